#include "cli/linereader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/documentstream.h"
#include "tests/testhome.h"

namespace tintrix {
namespace {

const testing::TemporaryHome home;

// `count` bytes of printable ASCII, varied enough that a misplaced window shows.
std::string Ascii(std::size_t count, unsigned seed) {
  std::string text(count, ' ');
  for (std::size_t i = 0; i < count; ++i)
    text[i] = static_cast<char>(' ' + (i * 7 + seed + i / 4099) % 95);
  return text;
}

// The file's descriptor, open for reading at `offset`.
int OpenAt(const std::string& bytes, off_t offset) {
  const std::string path = std::string(getenv("HOME")) + "/input.txt";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  const int fd = open(path.c_str(), O_RDONLY);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(lseek(fd, offset, SEEK_SET), offset);
  return fd;
}

// Every line a reader of the file gives, a long one read window by window as a writer would.
// `stream` is the file's stream, standing where the file does.
std::vector<std::string> ReadAll(std::istream& stream, int fd, std::size_t longLineBytes,
                                 std::size_t& streamed) {
  LineReader reader(stream, fd, longLineBytes);
  std::vector<std::string> lines;
  for (std::string_view line; reader.Next(line);) {
    LongLine* const whole = reader.Streamed();
    if (whole == nullptr) {
      lines.emplace_back(line);
      continue;
    }
    ++streamed;
    EXPECT_EQ(line.data(), whole->text().data());
    std::string read;
    for (std::size_t at = 0; at < line.size(); at += 1 << 16) {
      whole->Reach(at);
      read += line.substr(at, 1 << 16);
    }
    lines.push_back(read);
  }
  return lines;
}

TEST(LineReader, LongLinesOfAFileAreTheLinesOfItsStream) {
  const std::size_t window = LongLine::kWindowBytes;
  const std::string accent = "caf\xC3\xA9";
  const struct {
    const char* name;
    std::string input;
    off_t offset;
    std::size_t streamed;  // lines read as LongLines
  } cases[] = {
      {"short lines stay held", "one\ntwo\r\n\nthree", 0, 0},
      {"a line held whole in the first block", "a\n" + Ascii(3000, 1) + "\nb\n", 0, 0},
      {"a line past the first block", "a\n" + Ascii(window, 1) + "\nb\n", 0, 1},
      {"past several windows, CR LF", Ascii(2 * window + 77, 2) + "\r\n" + Ascii(5000, 3), 0, 2},
      {"exactly windows long, no feed", Ascii(2 * window - 64, 4), 0, 1},
      {"windows moved round several times", Ascii(5 * window + 3, 10) + "\n", 0, 1},
      {"read from where the file stood", "skipped\n" + Ascii(window, 5) + "\nlast", 8, 1},
      {"a byte past ASCII keeps it held", Ascii(3000, 6) + accent + Ascii(window, 7) + "\n", 0, 0},
      {"past ASCII after the first block", Ascii(window + 5, 8) + accent + "\nx", 0, 0},
      {"past ASCII, lines before it", "first\n" + Ascii(window, 9) + accent + "\nlast", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream stream(c.input.substr(static_cast<std::size_t>(c.offset)));
    LineReader plain(stream);
    std::vector<std::string> expected;
    for (std::string_view line; plain.Next(line);) expected.emplace_back(line);
    const int fd = OpenAt(c.input, c.offset);
    std::istringstream file(c.input);
    file.seekg(c.offset);
    std::size_t streamed = 0;
    EXPECT_EQ(ReadAll(file, fd, 1024, streamed), expected);
    EXPECT_EQ(streamed, c.streamed);
    close(fd);
  }
}

// What a document stream writes, kept.
class KeptOutput final : public DocumentOutput {
 public:
  Status Append(std::string_view bytes) override {
    m_bytes += bytes;
    return Status::Ok();
  }
  Status Finish() override { return Status::Ok(); }
  std::string m_bytes;
};

TEST(LongLine, FadesAsItWouldHeld) {
  // Windows of the least size, each taken again as the fade reaches past them.
  constexpr std::size_t kWindow = 256 << 10;
  const std::string line = Ascii(4 * kWindow + 4099, 9);
  const struct {
    MarkupFormat format;
    bool merge, skipBlanks, wavy;
  } cases[] = {
      {MarkupFormat::kClassic, false, false, true},
      {MarkupFormat::kAnsi, true, false, false},
      {MarkupFormat::kJson, false, true, false},
      {MarkupFormat::kMinecraftX, true, true, false},
  };
  const int fd = OpenAt("x\n" + line + "\n", 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(kFormats[static_cast<std::size_t>(c.format)].name));
    FadeSettings fade = DefaultFade();
    fade.wavy = c.wavy ? 1 : 0;
    FadeJob job;
    job.seed = 7;
    job.markup = {.format = c.format, .merge = c.merge, .skipBlanks = c.skipBlanks};
    KeptOutput held, streamed;
    for (KeptOutput* output : {&held, &streamed}) {
      StatusOr<FadeDocument> document =
          FadeDocument::Create(fade, false, job.markup, ColorCounts::kAny);
      ASSERT_TRUE(document.ok());
      DocumentStream stream(std::move(*document), fade, job, *output, false);
      LongLine whole(fd, 2, line.size(), kWindow);
      ASSERT_TRUE((output == &held ? stream.Add(line) : stream.Add(whole)).ok());
      ASSERT_TRUE(stream.Finish().ok());
    }
    EXPECT_TRUE(streamed.m_bytes == held.m_bytes);
  }
  close(fd);
}

}  // namespace
}  // namespace tintrix
