// The companion's input read from the file itself: a LineReader of the file gives the lines a
// LineReader of its stream gives, from wherever the file stands; and a LongLine over any span
// of the file holds the span's bytes when they are ASCII without a line feed, and otherwise
// fails to read (std::ios::failure) instead of giving other bytes.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ios>
#include <sstream>
#include <string>
#include <vector>

#include "cli/linereader.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

std::vector<std::string> Lines(tintrix::LineReader& reader) {
  std::vector<std::string> lines;
  for (std::string_view line; reader.Next(line);) {
    tintrix::LongLine* const whole = reader.Streamed();
    for (std::size_t at = 0; whole != nullptr && at < line.size(); at += 1 << 16) whole->Reach(at);
    lines.emplace_back(line);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tintrix::fuzz::Fail;
  if (size < 3) return 0;
  static const int fd = [] {
    char path[] = "/tmp/tintrix-fuzz-XXXXXX";
    const int made = mkstemp(path);
    if (made < 0) std::abort();
    unlink(path);
    return made;
  }();
  const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (ftruncate(fd, 0) != 0 ||
      pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  const std::size_t offset = std::min<std::size_t>(data[0], bytes.size());

  std::istringstream held(bytes.substr(offset)), file(bytes);
  file.seekg(static_cast<std::streamoff>(offset));
  lseek(fd, static_cast<off_t>(offset), SEEK_SET);
  tintrix::LineReader fromStream(held), fromFile(file, fd, 1);
  if (Lines(fromFile) != Lines(fromStream)) Fail("the file's lines differ from its stream's");

  // A span from `offset`, as long as the second byte says, perhaps past the file's end.
  const std::size_t length = std::size_t{data[1]} * 3;
  const std::string span = bytes.substr(offset, length);
  const bool readable = span.size() == length && std::all_of(span.begin(), span.end(), [](char c) {
                          return static_cast<unsigned char>(c) < 0x80 && c != '\n';
                        });
  try {
    tintrix::LongLine line(fd, static_cast<off_t>(offset), length, 256 << 10);
    if (!readable) Fail("a span that is not one line of ASCII was read");
    if (line.text() != span) Fail("a long line holds other bytes than the file's");
  } catch (const std::ios::failure&) {
    if (readable) Fail("a readable span failed");
  }
  return 0;
}
