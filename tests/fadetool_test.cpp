#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "cli/fadejob.h"
#include "cli/fadetool.h"
#include "output/fadedocument.h"
#include "store/profile.h"
#include "tests/runtool.h"
#include "tests/sanitizers.h"
#include "tests/smalldisk.h"

namespace tintrix {
namespace {

using testing::RunTool;
using testing::ToolRun;

std::string ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

std::string DefaultDocument(const std::string& text) {
  FadeSettings fade = DefaultFade();
  fade.text = text;
  const StatusOr<std::string> document = BuildFadeDocument(fade, {});
  EXPECT_TRUE(document.ok());
  return document.ok() ? *document + "\n" : std::string();
}

TEST(FadeTool, PrintsTheWorkedExample) {
  const ToolRun run = RunTool({"--defaults", "--markup-only", "--colors", "2", "--color", "1=0",
                               "--color", "2=16711680", "--", "ab"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "<Font Color=#000080>a<Font Color=#0000FF>b\n");
  EXPECT_EQ(run.out.size(), 43u);
  EXPECT_EQ(run.err, "");
}

TEST(FadeTool, OptionsChangeTheStartingFade) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    void (*expect)(FadeSettings&);
  } cases[] = {
      {"hex colour is red first",
       {"--color", "2=#0000FF"},
       [](FadeSettings& f) { f.colors[1] = "16711680"; }},
      {"hex lower case", {"--color=1=#ff8000"}, [](FadeSettings& f) { f.colors[0] = "33023"; }},
      {"styles on",
       {"--italic", "--underline", "--no-bold"},
       [](FadeSettings& f) { f.italic = 1, f.underlined = 1, f.bold = 0; }},
      {"last word wins", {"--bold", "--no-bold"}, [](FadeSettings& f) { f.bold = 0; }},
      {"empty font", {"--font", ""}, [](FadeSettings& f) { f.font = ""; }},
      {"font with =", {"--font=A=B"}, [](FadeSettings& f) { f.font = "A=B"; }},
      {"count text as given", {"--colors", " 3 "}, [](FadeSettings& f) { f.colorCount = " 3 "; }},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--defaults");
    args.push_back("text");
    FadeSettings fade = DefaultFade();
    c.expect(fade);
    fade.text = "text";
    const StatusOr<std::string> made = BuildFadeDocument(fade, {});
    ASSERT_TRUE(made.ok()) << c.name;
    const std::string& document = *made;
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.out, document + "\n") << c.name;
  }
}

TEST(FadeTool, StartsFromTheStoredFadeUnlessToldOtherwise) {
  const auto stored = [] {
    FadeSettings fade = DefaultFade();
    fade.colorCount = "2";
    fade.bold = 0;
    return fade;
  };
  EXPECT_EQ(RunTool({"ab"}, "", stored).out,
            "<font face=\"Arial\"><Font Color=#000080>a<Font Color=#0000FF>b</font>\n");
  EXPECT_EQ(RunTool({"--defaults", "ab"}, "", stored).out, DefaultDocument("ab"));
}

TEST(FadeTool, FadesEachLineOfStandardInput) {
  const ToolRun run = RunTool({"--defaults"}, "ab\r\ncd\n\nlast without break");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, DefaultDocument("ab") + DefaultDocument("cd") + DefaultDocument("") +
                         DefaultDocument("last without break"));
  EXPECT_EQ(RunTool({"--defaults"}, "").out, "");
  EXPECT_EQ(RunTool({"--defaults", ""}, "ignored").out, DefaultDocument(""));
}

TEST(FadeTool, SeedMakesTheWaveReproducible) {
  const std::vector<std::string> args = {"--defaults", "--wavy", "--seed", "7", "a wavy line"};
  const ToolRun first = RunTool(args);
  EXPECT_NE(first.out.find("<SU"), std::string::npos);
  EXPECT_EQ(RunTool(args).out, first.out);
  EXPECT_NE(RunTool({"--defaults", "--wavy", "--seed", "8", "a wavy line"}).out, first.out);
}

TEST(FadeTool, RefusesFadesThatCannotBeMade) {
  QTemporaryDir dir;
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--colors", "3", "--color", "3=abc", "x"},
       "tintrix-fade: Colour 3 is not a valid colour value: \"abc\"\n"},
      {{"--colors", "five", "x"},
       "tintrix-fade: The number of colours is not a number: \"five\"\n"},
      {{"--colors", "12", "--color", "12=5", "x"}, "tintrix-fade: Colour 11 is not set\n"},
      {{"--colors", "33", "x"},
       "tintrix-fade: The number of colours must be a whole number from 2 to 32: \"33\"\n"},
      {{"--colors", "4.5", "x"},
       "tintrix-fade: The number of colours must be a whole number from 2 to 32: \"4.5\"\n"},
      {{"--block", std::string(kMaxBlockBytes + 1, 'x')},
       "tintrix-fade: The input is larger than 64 MiB, the most --block reads\n"},
      {{"--fade", dir.filePath("none.fad").toStdString(), "x"},
       "tintrix-fade: " + dir.filePath("none.fad").toStdString() + " is not a fade file.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--defaults");
    const ToolRun run = RunTool(args, "line one\nline two\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.message);
  }
  // stdin too: nothing is printed, not even for the lines before the problem shows
  EXPECT_EQ(RunTool({"--defaults", "--color", "1=x"}, "a\nb\n").out, "");
}

TEST(FadeTool, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {{"--bogus"},
                                                       {"--color", "33=5"},
                                                       {"--color", "0=5"},
                                                       {"--color", "5"},
                                                       {"--color", "1=#12345"},
                                                       {"--color", "1=#GG0000"},
                                                       {"--seed", "x"},
                                                       {"--seed", "-1"},
                                                       {"one", "two"},
                                                       {"--colors"},
                                                       {"--wavy=1"},
                                                       {"--=junk", "x"},
                                                       {"--help=x"},
                                                       {"--version=1"},
                                                       {"-x"}};
  for (const auto& args : cases) {
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("tintrix-fade: ", 0), 0u) << run.err;
  }
  // after "--" everything is text
  EXPECT_EQ(RunTool({"--defaults", "--", "--bogus"}).out, DefaultDocument("--bogus"));
}

TEST(FadeTool, HelpAndVersion) {
  const ToolRun help = RunTool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: tintrix-fade [OPTIONS] [--] [TEXT]\n", 0), 0u);
  const ToolRun version = RunTool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tintrix-fade " TINTRIX_VERSION "\n");
}

TEST(FadeTool, OutputFileAndFadeFile) {
  QTemporaryDir dir;
  const QString fadeFile = dir.filePath("three.fad");
  ASSERT_NE(WriteProfileValue("Main", "NumberColors", "3", fadeFile.toStdString()), 0);
  ASSERT_NE(WriteProfileValue("Main", "Color1", "255", fadeFile.toStdString()), 0);
  FadeSettings fade = DefaultFade();
  fade.colorCount = "3";
  fade.colors[0] = "255";
  // missing keys empty their fields
  for (std::size_t k = 1; k < 10; ++k) fade.colors[k] = "";
  fade.font = "";
  fade.colors[1] = "0";
  fade.colors[2] = "65280";
  fade.text = "abc";
  const StatusOr<std::string> made = BuildFadeDocument(fade, {});
  ASSERT_TRUE(made.ok());
  const std::string& document = *made;

  const QString output = dir.filePath("out.htm");
  const ToolRun run = RunTool({"--defaults", "--fade", fadeFile.toStdString(), "--color", "2=0",
                               "--color", "3=65280", "-o", output.toStdString(), "abc"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadBytes(output), document + "\n");

  const ToolRun unwritable =
      RunTool({"--defaults", "-o", dir.filePath("no/such/dir/out.htm").toStdString(), "x"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err.rfind("tintrix-fade: Could not write ", 0), 0u);
}

TEST(FadeTool, ReportsOutputThatCannotBeWrittenAndWhy) {
  const int full = open("/dev/full", O_WRONLY);
  const int readOnly = open("/dev/null", O_RDONLY);
  ASSERT_GE(full, 0);
  ASSERT_GE(readOnly, 0);
  const struct {
    int fd;
    const char* err;
  } cases[] = {
      {-1, "tintrix-fade: Could not write standard output: Input/output error\n"},
      {full, "tintrix-fade: Could not write standard output: No space left on device\n"},
      {readOnly, "tintrix-fade: Could not write standard output: Bad file descriptor\n"},
  };
  for (const auto& c : cases) {
    std::istringstream in;
    std::ostringstream err;
    std::ostream broken(nullptr);  // every write fails
    EXPECT_EQ(RunFadeTool({"--defaults", "ab"}, in, broken, err, {}, c.fd), 1);
    EXPECT_EQ(err.str(), c.err);
  }
  close(full);
  close(readOnly);
}

// A stream whose reading fails, as reading a folder does.
class FailingBuffer : public std::streambuf {
 protected:
  int_type underflow() override { throw std::ios::failure("Is a directory"); }
};

TEST(FadeTool, ReportsInputThatCannotBeRead) {
  FailingBuffer buffer;
  std::istream in(&buffer);
  std::ostringstream out, err;
  EXPECT_EQ(RunFadeTool({"--defaults"}, in, out, err, {}), 1);
  EXPECT_EQ(err.str(), "tintrix-fade: Could not read standard input\n");
}

TEST(FadeTool, LinesAcrossTheReadBlocksComeWhole) {
  const std::size_t block = 1 << 20;
  const std::string longLine(block + 5, 'y');
  const struct {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
  } cases[] = {
      {"a line longer than a block", "a\n" + longLine + "\nb", {"a", longLine, "b"}},
      {"CR and LF in two blocks",
       std::string(block - 1, 'c') + "\r\nd\r\n",
       {std::string(block - 1, 'c'), "d"}},
      {"a line feed that ends a block",
       std::string(block - 1, 'e') + "\n",
       {std::string(block - 1, 'e')}},
      {"empty lines", "\n\r\n\n", {"", "", ""}},
      // The buffer grows past its first pages while it holds the start of the line.
      {"a line that grows the buffer twice",
       "ab\n" + std::string(5 * block + 3, 'g') + "\nz",
       {"ab", std::string(5 * block + 3, 'g'), "z"}},
  };
  for (const auto& c : cases) {
    std::string expected;
    for (const std::string& line : c.lines) expected += DefaultDocument(line);
    const ToolRun run = RunTool({"--defaults"}, c.input);
    EXPECT_EQ(run.status, 0) << c.name;
    EXPECT_TRUE(run.out == expected) << c.name;
  }
}

// Keeps the start and the end of what the companion writes, and counts the rest.
class EndsBuffer : public std::streambuf {
 public:
  std::string head;
  std::string tail;
  std::size_t bytes = 0;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const std::string_view part(s, static_cast<std::size_t>(n));
    if (head.size() < 64) head += part.substr(0, 64 - head.size());
    tail = std::string(tail + std::string(part.substr(part.size() > 64 ? part.size() - 64 : 0)));
    if (tail.size() > 64) tail.erase(0, tail.size() - 64);
    bytes += part.size();
    return n;
  }
  int_type overflow(int_type c) override {
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }
};

// One line of 50 MB, written out as it is made: the document's length and its first and
// last characters' tags.
TEST(FadeTool, FadesOneHugeLine) {
  const std::size_t characters = 50000000;
  std::string input = "\xC3\xA9" + std::string(characters - 2, 'x') + "z\n";
  std::istringstream in(std::move(input));
  EndsBuffer buffer;
  std::ostream out(&buffer);
  std::ostringstream err;
  ASSERT_EQ(
      RunFadeTool({"--defaults", "--colors", "2", "--color", "1=#102030", "--color", "2=#A0B0C0"},
                  in, out, err, {}),
      0)
      << err.str();
  const std::string open = "<font face=\"Arial\"><b>";
  EXPECT_EQ(buffer.head.substr(0, open.size() + 22), open + "<Font Color=#102030>\xC3\xA9");
  EXPECT_EQ(buffer.tail.substr(buffer.tail.size() - 33), "<Font Color=#A0B0C0>z</b></font>\n");
  EXPECT_EQ(buffer.bytes, open.size() + characters * 20 + (characters + 1) + 12);
}

TEST(FadeTool, WritesIntoAPipeInsteadOfReplacingIt) {
  QTemporaryDir dir;
  const QByteArray fifo = dir.filePath("pipe").toLocal8Bit();
  ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
  QFile reader(QString::fromLocal8Bit(fifo));
  std::string got;
  std::thread thread([&] {
    if (reader.open(QIODevice::ReadOnly)) got = reader.readAll().toStdString();
  });
  const ToolRun run = RunTool({"--defaults", "-o", fifo.toStdString(), "ab"});
  thread.join();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(got, DefaultDocument("ab"));
  EXPECT_FALSE(QFileInfo(QString::fromLocal8Bit(fifo)).isFile());
}

TEST(FadeTool, EveryMessageStaysOneLineAndShowsNoRawControls) {
  QTemporaryDir dir;
  const std::string escapes = dir.filePath("escapes.fad").toStdString();
  ASSERT_EQ(WriteProfileValue("Main", "Color1", "\x1b[31mred", escapes), 1);
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--fade", "a\nb", "x"}, "tintrix-fade: 'a'$'\\n''b' is not a fade file.\n"},
      {{"--fade", escapes, "--colors", "2", "x"},
       "tintrix-fade: Colour 1 is not a valid colour value: \"\\x1b[31mred\"\n"},
      {{"--no\rpe", "x"},
       "tintrix-fade: unknown option '--no'$'\\r''pe'\nTry 'tintrix-fade --help'.\n"},
      {{"--colors", "\x07", "x"},
       "tintrix-fade: The number of colours is not a number: \"\\x07\"\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--defaults");
    EXPECT_EQ(RunTool(args).err, c.err);
  }
}

TEST(FadeTool, FadeFilesThatAreNoFilesAreRefusedAtOnce) {
  QTemporaryDir dir;
  const std::string fifo = dir.filePath("fifo").toStdString();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), dir.path().toStdString()}) {
    const ToolRun run = RunTool({"--fade", path, "x"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tintrix-fade: " + path + " is not a fade file.\n");
  }
}

TEST(FadeTool, AFullDiskKeepsTheOldOutputAndSaysWhy) {
  EXPECT_EQ(RunTool({"--defaults", "-o", "/dev/full", "x"}).err,
            "tintrix-fade: Could not write /dev/full: No space left on device\n");
  TINTRIX_SMALL_DISK(disk);
  const std::string path = disk->File("out.htm");
  testing::PutFile(path, "old output\n");
  disk->Fill();
  // Below and above the 16 KiB a buffered writer would hold back.
  for (const std::size_t characters : {5u, 2000u}) {
    const ToolRun run = RunTool({"--defaults", "-o", path, "--", std::string(characters, 'x')});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tintrix-fade: Could not write " + path + ": No space left on device\n");
    EXPECT_EQ(testing::FileBytes(path), "old output\n");
  }
}

// The installed program: arguments, exit status and the user's stored fade, read only.
TEST(FadeToolProgram, RunsFromTheCommandLine) {
  const QString program = TINTRIX_FADE_PROGRAM;
  QTemporaryDir config;
  const QString store = config.filePath("Tintrix/Tintrix.conf");
  QDir().mkpath(config.filePath("Tintrix"));
  {
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Fader]\nNumberColors=2\nBold=0\n");
  }
  const std::string before = ReadBytes(store);
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", config.path());
  process.setProcessEnvironment(env);
  process.start(program, {"ab"});
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_EQ(process.readAllStandardOutput().toStdString(),
            "<font face=\"Arial\"><Font Color=#000080>a<Font Color=#0000FF>b</font>\n");
  EXPECT_EQ(ReadBytes(store), before);

  process.start(program, {"--colors"});
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitCode(), 2);
}

TEST(FadeToolProgram, RunningOutOfMemoryIsOneLineAndLeavesNoFile) {
  if (testing::kUnderSanitizers) {
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  }
  QTemporaryDir dir;
  const QString output = dir.filePath("out.htm");
  QProcess process;
  // 100 MB of address space (the program and its libraries take about 60) for a 60 MB line.
  process.start(QStringLiteral("/bin/sh"),
                {"-c",
                 "ulimit -v 100000; head -c 60000000 /dev/zero | tr '\\0' x | \"$0\" "
                 "--defaults -o \"$1\"",
                 QString::fromUtf8(TINTRIX_FADE_PROGRAM), output});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_EQ(process.readAllStandardError().toStdString(),
            "tintrix-fade: Out of memory while making the fade\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
}

}  // namespace
}  // namespace tintrix
