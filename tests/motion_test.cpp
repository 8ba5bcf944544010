#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <regex>
#include <set>
#include <sstream>

#include "tests/runtool.h"

namespace tintrix {
namespace {

using testing::RunTool;
using testing::ToolRun;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The colours of a classic document without --merge, one per character, in order.
std::vector<std::string> Colors(const std::string& document) {
  static const std::regex tag("<Font Color=#([0-9A-F]{6})>");
  std::vector<std::string> colors;
  for (std::sregex_iterator it(document.begin(), document.end(), tag), end; it != end; ++it) {
    colors.push_back((*it)[1]);
  }
  return colors;
}

// The document with its colours left out: all else must stay as the plain fade has it.
std::string WithoutColors(const std::string& document) {
  return std::regex_replace(document, std::regex("Color=#[0-9A-F]{6}"), "Color=#");
}

// The colours at offset s, by the rule: character i shows place (i - s) mod 2n of the loop
// of the n plain colours and the same backwards.
std::vector<std::string> Moved(const std::vector<std::string>& plain, long long s) {
  const auto n = static_cast<long long>(plain.size());
  std::vector<std::string> moved;
  for (long long i = 0; i < n; ++i) {
    const long long place = ((i - s) % (2 * n) + 2 * n) % (2 * n);
    moved.push_back(plain[static_cast<std::size_t>(place < n ? place : 2 * n - 1 - place)]);
  }
  return moved;
}

const std::vector<std::string> kFade = {"--defaults", "--no-bold", "--colors", "5",
                                        "--color",    "1=#FF0000", "--color",  "2=#00FF00"};

TEST(Motion, PhasesAndFramesMoveThePlainFadesColours) {
  const struct {
    std::string name;
    std::vector<std::string> args;  // besides the fade's
    std::string input;              // the texts, one a line
    int frames;                     // documents per text
    double phase = 0;               // --phase, when frames is 0
  } cases[] = {
      {"every offset once", {"--frames", "24"}, "Hello, world\n", 24},
      {"frames that do not divide", {"--frames", "7", "--colors", "10"}, "Zwölf Zeichen\n", 7},
      {"wave, styles, font, two texts",
       {"--frames", "5", "--wavy", "--seed", "9", "--bold", "--underline", "--font", "Sans"},
       "fa\u0301de 👋🏽 on\nand a second line\n",
       5},
      {"more colours than characters", {"--frames", "4", "--colors", "10"}, "abc\n", 4},
      {"no characters", {"--frames", "3"}, "\n", 3},
      {"half the loop", {"--phase", "0.5"}, "Hello, world\n", 0, 0.5},
      {"backwards", {"--phase", "-0.25"}, "Hello, world\nab\n", 0, -0.25},
      {"almost all of it", {"--phase", "0.999"}, "Hello, world\n", 0, 0.999},
      {"a step back", {"--phase", "-0.001", "--wavy", "--seed", "3"}, "abc\n", 0, -0.001},
      // The colours at positions and raised to a contrast are the ones that move.
      {"positions and contrast, then motion",
       {"--frames", "9", "--color", "3=#0000FF@30", "--color", "5=yellow@90", "--background",
        "white", "--min-contrast", "4.5"},
       "Hello, world\nab\n",
       9},
      {"positions, then a phase",
       {"--phase", "0.3", "--color", "2=#00FF00@10", "--blend", "oklch"},
       "Hello, world\n",
       0,
       0.3},
  };
  for (const auto& c : cases) {
    std::vector<std::string> fade = kFade;
    std::vector<std::string> plainArgs = fade;
    for (const std::string& arg : c.args) fade.push_back(arg);
    // The plain fade: the same options without the motion's.
    for (std::size_t k = 2; k < c.args.size(); ++k) plainArgs.push_back(c.args[k]);
    const ToolRun plain = RunTool(plainArgs, c.input);
    const ToolRun moved = RunTool(fade, c.input);
    ASSERT_EQ(plain.status, 0) << c.name << plain.err;
    ASSERT_EQ(moved.status, 0) << c.name << moved.err;
    const std::vector<std::string> texts = Lines(plain.out);
    const std::vector<std::string> documents = Lines(moved.out);
    const std::size_t perText = c.frames > 0 ? static_cast<std::size_t>(c.frames) : 1;
    ASSERT_EQ(documents.size(), texts.size() * perText) << c.name;
    for (std::size_t t = 0; t < texts.size(); ++t) {
      const std::vector<std::string> colors = Colors(texts[t]);
      const auto places = static_cast<double>(2 * colors.size());
      for (std::size_t k = 0; k < perText; ++k) {
        const std::string& document = documents[t * perText + k];
        const double offset = c.frames > 0 ? std::floor(static_cast<double>(k) * places / c.frames)
                                           : std::floor(c.phase * places);
        EXPECT_EQ(Colors(document), Moved(colors, static_cast<long long>(offset)))
            << c.name << ", text " << t << ", document " << k;
        EXPECT_EQ(WithoutColors(document), WithoutColors(texts[t])) << c.name << ", text " << t;
      }
    }
  }
}

TEST(Motion, BadValuesAndCombinationsAreUsageErrorsNamingTheOption) {
  const struct {
    std::vector<std::string> args;
    std::string option;  // the option the message starts with
  } cases[] = {
      {{"--phase", "1"}, "--phase"},
      {{"--phase", "-1"}, "--phase"},
      {{"--phase", "0.1234"}, "--phase"},
      {{"--phase", "1e-3"}, "--phase"},
      {{"--phase", "--0.5"}, "--phase"},
      {{"--phase", ".5"}, "--phase"},
      {{"--frames", "0"}, "--frames"},
      {{"--frames", "100001"}, "--frames"},
      {{"--frames", "2.0"}, "--frames"},
      {{"--animate=0"}, "--animate"},
      {{"--animate=600.001"}, "--animate"},
      {{"--animate=-1"}, "--animate"},
      {{"--moving", "0.099", "--format", "html"}, "--moving"},
      {{"--moving", "3600.0001", "--format", "html"}, "--moving"},
      {{"--moving", "2"}, "--moving"},
      {{"--frames", "2", "--phase", "0.5"}, "--phase"},
      {{"--frames", "2", "--block"}, "--block"},
      {{"--frames", "2", "--read"}, "--frames"},
      {{"--moving", "2", "--format", "html", "--max-length", "999"}, "--max-length"},
      // Not a terminal: standard output is a string here.
      {{"--animate"}, "--animate"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--defaults"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("text");
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 2) << c.args[0] << " " << c.args[1 % c.args.size()];
    EXPECT_EQ(run.out, "") << c.args[0];
    EXPECT_EQ(run.err.rfind("tintrix-fade: " + c.option + " ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
  }
}

// The moving document is the plain html document, every run in its own element, with the
// motion added: a wrapping span, a style element and each run's place in the loop.
TEST(Motion, AMovingDocumentIsThePlainOneWithItsMotion) {
  const std::vector<std::string> html = {"--format", "html",   "--wavy",       "--seed",
                                         "4",        "--bold", "--skip-blanks"};
  const std::regex motion(
      R"(^<span class="tintrix-[0-9a-f]{16}"><style>[^<]*</style>(.*)</span>$)");
  std::set<std::string> names;
  for (const std::string text : {"<b>&amp;\" ok", "0123456789", "0123456789 ", ""}) {
    std::vector<std::string> args = kFade;
    args.insert(args.end(), html.begin(), html.end());
    const ToolRun plain = RunTool(args, text + "\n");
    args.insert(args.end(), {"--merge", "--moving", "2.5"});
    const ToolRun moving = RunTool(args, text + "\n");
    ASSERT_EQ(moving.status, 0) << moving.err;
    std::smatch parts;
    const std::string document = Lines(moving.out).at(0);
    if (text.empty()) {
      EXPECT_EQ(document, Lines(plain.out).at(0));
      continue;
    }
    ASSERT_TRUE(std::regex_match(document, parts, motion)) << document;
    EXPECT_EQ(std::regex_replace(parts[1].str(), std::regex(";--tx:[0-9]+"), ""),
              Lines(plain.out).at(0));
    names.insert(document.substr(0, document.find('>')));
  }
  EXPECT_EQ(names.size(), 3u) << "two different documents share a name";

  // Linear in n: twice the characters, twice the size at most, and a bound per character.
  std::size_t sizes[2];
  for (std::size_t k = 0; k < 2; ++k) {
    std::vector<std::string> args = kFade;
    args.insert(args.end(), {"--format", "html", "--moving", "1", std::string(1000 << k, 'x')});
    sizes[k] = RunTool(args).out.size();
  }
  EXPECT_LT(sizes[1], 2 * sizes[0] + 100);
  EXPECT_LT(sizes[1], 2000u * 100);
}

// The real program on a pseudo-terminal: what it draws, and how it ends.
class Terminal {
 public:
  explicit Terminal(const std::vector<std::string>& args) {
    std::vector<char*> argv = {const_cast<char*>(TINTRIX_FADE_PROGRAM)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    m_pid = forkpty(&m_master, nullptr, nullptr, nullptr);
    if (m_pid == 0) {
      execv(argv[0], argv.data());
      _exit(127);
    }
    // Ctrl+C neither echoed as ^C nor flushing what was drawn but not yet read.
    termios modes{};
    tcgetattr(m_master, &modes);
    modes.c_lflag = (modes.c_lflag & ~tcflag_t{ECHO}) | NOFLSH;
    tcsetattr(m_master, TCSANOW, &modes);
  }
  ~Terminal() { close(m_master); }

  // Reads until `until` has been seen `count` times, or to the end; all read so far.
  const std::string& Read(const std::string& until = "", std::size_t count = 1) {
    char buffer[4096];
    while (until.empty() || Occurrences(until) < count) {
      const ssize_t got = read(m_master, buffer, sizeof buffer);
      if (got <= 0 && errno == EINTR) continue;
      if (got <= 0) break;  // EIO: the program closed the terminal
      m_read.append(buffer, static_cast<std::size_t>(got));
    }
    return m_read;
  }
  void Type(const std::string& keys) {
    ASSERT_EQ(write(m_master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  int ExitStatus() {
    Read();
    int status = 0;
    waitpid(m_pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }

 private:
  std::size_t Occurrences(const std::string& what) const {
    std::size_t count = 0;
    for (std::size_t at = m_read.find(what); at != std::string::npos;
         at = m_read.find(what, at + 1)) {
      ++count;
    }
    return count;
  }

  int m_master = -1;
  pid_t m_pid = -1;
  std::string m_read;
};

TEST(Motion, AnimatesOnATerminalFrameByFrameAndEndsClean) {
  const std::string text = "Fade \u00e9 👋🏽!";  // 9 characters: 18 offsets
  std::vector<std::string> args = {"--defaults", "--colors", "3", "--format", "json", "--bold"};
  std::vector<std::string> frames = args;
  frames.insert(frames.end(), {"--frames", "18", "--format", "ansi", text});
  const std::vector<std::string> expected = Lines(RunTool(frames).out);
  ASSERT_EQ(expected.size(), 18u);
  const std::string end = "\x1b[0m\x1b[?25h\r\n";  // the terminal turns LF into CR LF
  for (const bool interrupted : {false, true}) {
    std::vector<std::string> animate = args;
    animate.insert(animate.end(), {interrupted ? "--animate=600" : "--animate=1.3", text});
    Terminal terminal(animate);
    if (interrupted) {
      terminal.Read("\r", 3);
      terminal.Type("\x03");  // Ctrl+C
    }
    const int status = terminal.ExitStatus();
    const std::string& drawn = terminal.Read();
    EXPECT_EQ(status, interrupted ? 130 : 0);
    ASSERT_EQ(drawn.rfind("\x1b[?25l\r", 0), 0u) << "the cursor is not hidden first";
    ASSERT_GE(drawn.size(), end.size());
    EXPECT_EQ(drawn.substr(drawn.size() - end.size()), end) << "the end is not clean";
    // After the hiding, each frame after its carriage return, the k-th at offset k mod 18.
    std::vector<std::string> shown;
    const std::string body = drawn.substr(7, drawn.size() - end.size() - 7);
    for (std::size_t at = 0, next = 0; next != std::string::npos; at = next + 1) {
      next = body.find('\r', at);
      shown.push_back(body.substr(at, next == std::string::npos ? next : next - at));
    }
    ASSERT_GE(shown.size(), interrupted ? 3u : 1u);
    for (std::size_t k = 0; k < shown.size(); ++k) {
      EXPECT_EQ(shown[k], expected[k % 18]) << "frame " << k;
    }
  }
}

}  // namespace
}  // namespace tintrix
