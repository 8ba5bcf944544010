#include "cli/readjob.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <random>

#include "store/fadefilecommands.h"
#include "tests/runtool.h"
#include "tests/sanitizers.h"

namespace tintrix {
namespace {

using testing::RunTool;
using testing::ToolRun;

// The words a POSIX shell makes of a line that quotes only with single quotes and \.
std::vector<std::string> ShellWords(const std::string& line) {
  std::vector<std::string> words;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\'') {
        quoted = false;
      } else {
        words.back() += c;
      }
      continue;
    }
    if (c == ' ') {
      inWord = false;
      continue;
    }
    if (!inWord) words.emplace_back(), inWord = true;
    if (c == '\'') {
      quoted = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      words.back() += line[++i];
    } else {
      words.back() += c;
    }
  }
  return words;
}

TEST(ReadJob, QuotesFontsForAShell) {
  const struct {
    const char* word;
    const char* quoted;
  } cases[] = {{"Arial", "Arial"},
               {"", "''"},
               {"Comic Sans MS", "'Comic Sans MS'"},
               {"O'Brien", "'O'\\''Brien'"},
               {"$HOME", "'$HOME'"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ShellWord(c.word), c.quoted);
    EXPECT_EQ(ShellWords(ShellWord(c.word)), std::vector<std::string>{c.word});
  }
}

// The pieces random texts are made of: plain letters, what every format escapes or retags,
// characters of several code points, and blanks.
constexpr const char* kPieces[] = {
    "a",      "b",  "Z",       " ", "&",      "<",       ">",
    "\"",     "\\", "[",       "]", "\u00A7", "e\u0301", "\U0001F44D\U0001F3FD",
    "\u4E2D", "&n", "\u00A7l", "x", "<b>",    "'"};
constexpr const char* kFonts[] = {"Arial",
                                  "Comic Sans MS",
                                  "O'Brien",
                                  "a\"b",
                                  "",
                                  "x\\y",
                                  "x\"><img src=x onerror=\"t='p'\">&amp;",
                                  "a]b[url=x]c",
                                  "tab\tand\\41 "};

std::string RandomText(std::mt19937_64& random) {
  const std::size_t pieces = std::uniform_int_distribution<std::size_t>(1, 48)(random);
  std::string text;
  for (std::size_t k = 0; k < pieces; ++k) {
    text += kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(random)];
  }
  return text;
}

// A random fade's options, colours as decimal colour values or #RRGGBB.
std::vector<std::string> RandomFade(std::mt19937_64& random) {
  const auto coin = [&] { return std::uniform_int_distribution<int>(0, 1)(random) == 1; };
  const int count = std::uniform_int_distribution<int>(2, 32)(random);
  std::vector<std::string> args = {"--defaults", "--colors", std::to_string(count)};
  for (int k = 1; k <= count; ++k) {
    const std::uint32_t value = std::uniform_int_distribution<std::uint32_t>(0, 0xFFFFFF)(random);
    args.push_back("--color=" + std::to_string(k) + "=" + std::to_string(value));
  }
  const std::size_t format =
      std::uniform_int_distribution<std::size_t>(0, kFormats.size() - 1)(random);
  args.push_back("--format=" + std::string(kFormats[format].name));
  for (const char* style : {"bold", "italic", "underline", "wavy"}) {
    args.push_back(std::string(coin() ? "--" : "--no-") + style);
  }
  if (coin()) args.emplace_back("--merge");
  if (coin()) args.emplace_back("--markup-only");
  args.emplace_back("--font");
  args.emplace_back(
      kFonts[std::uniform_int_distribution<std::size_t>(0, std::size(kFonts) - 1)(random)]);
  return args;
}

// Whatever the user's current fade is, the options read back make the same document.
FadeSettings OtherFade() {
  FadeSettings fade = DefaultFade();
  fade.colorCount = "10";
  fade.bold = 0;
  fade.italic = 1;
  fade.underlined = 1;
  fade.wavy = 1;
  fade.font = "Other";
  for (std::size_t k = 0; k < fade.colors.size(); ++k) fade.colors[k] = std::to_string(k * 77777);
  return fade;
}

// The round trip: a document made by the companion, read back, made again from what --read
// prints on the same text, gives the same bytes; a wavy one with the same seed too.
// Makes the document of `text` with the options `made` and the wave of `trial`, reads it back,
// and makes it again from the options read, starting from another fade: the same bytes, and
// the same text. The colour count read goes to `readCount`.
void ExpectMadeAgain(std::vector<std::string> made, int trial, const std::string& text,
                     int& readCount) {
  const std::vector<std::string> tail = {"--seed", std::to_string(trial), "--", text};
  made.insert(made.end(), tail.begin(), tail.end());
  const ToolRun document = RunTool(made);
  ASSERT_EQ(document.status, 0) << document.err;
  const ToolRun read = RunTool({"--read"}, document.out);
  const std::string context = "case " + std::to_string(trial) + ": " + document.out;
  ASSERT_EQ(read.status, 0) << context << read.err;
  EXPECT_EQ(read.err, "") << context;
  std::vector<std::string> again = ShellWords(read.out.substr(0, read.out.size() - 1));
  const auto colors = std::find(again.begin(), again.end(), "--colors");
  ASSERT_NE(colors, again.end()) << read.out;
  readCount = std::stoi(*(colors + 1));
  again.insert(again.end(), tail.begin(), tail.end());
  EXPECT_EQ(RunTool(again, "", OtherFade).out, document.out) << context << read.out;
  EXPECT_EQ(RunTool({"--read", "--text"}, document.out).out, text + "\n") << context;
}

TEST(ReadJob, EveryFadeComesBackByteForByte) {
  std::mt19937_64 random(20261208);
  for (int trial = 0; trial < testing::Trials(300); ++trial) {
    std::vector<std::string> made = RandomFade(random);
    int count = 0;
    ExpectMadeAgain(made, trial, RandomText(random), count);
  }
}

// A merged run of one colour writes the wave between its characters where the state stays
// ("<SUP>c</SUP><SUP>d" in classic): those tags are read as tags, not text.
TEST(ReadJob, ReadsTheWaveWithinAMergedRun) {
  for (const char* format : {"classic", "html", "bbcode"}) {
    const std::vector<std::string> made = {
        "--defaults", "--no-bold", "--colors", "2", "--color",  "1=255", "--color", "2=255",
        "--wavy",     "--merge",   "--seed",   "3", "--format", format,  "--",      "abcdefgh"};
    const ToolRun document = RunTool(made);
    EXPECT_EQ(RunTool({"--read", "--text"}, document.out).out, "abcdefgh\n") << document.out;
    const ToolRun read = RunTool({"--read"}, document.out);
    std::vector<std::string> again = ShellWords(read.out.substr(0, read.out.size() - 1));
    again.insert(again.end(), {"--seed", "3", "--", "abcdefgh"});
    EXPECT_EQ(RunTool(again).out, document.out) << read.out;
  }
}

// A fade with its colours at random positions (some on one place, a hard edge), in #RRGGBB or
// by name, in a random format with random styles.
std::vector<std::string> RandomPositionedFade(std::mt19937_64& random, int count) {
  std::vector<std::string> args = RandomFade(random);
  args[2] = std::to_string(count);
  std::erase_if(args, [](const std::string& arg) { return arg.starts_with("--color="); });
  std::vector<int> positions(static_cast<std::size_t>(count));
  for (int& p : positions) p = static_cast<int>(random() % 1001);
  std::sort(positions.begin(), positions.end());
  if (count > 2 && random() % 3 == 0) positions[1] = positions[2];
  for (int k = 0; k < count; ++k) {
    const std::uint32_t rgb = std::uniform_int_distribution<std::uint32_t>(0, 0xFFFFFF)(random);
    char value[8];
    std::snprintf(value, sizeof value, "#%06X", rgb);
    const int p = positions[static_cast<std::size_t>(k)];
    args.push_back("--color=" + std::to_string(k + 1) + "=" + value + "@" + std::to_string(p / 10) +
                   "." + std::to_string(p % 10));
  }
  return args;
}

// Documents made with colours at positions come back byte for byte too, with no more colours
// than made them.
TEST(ReadJob, EveryPositionedFadeComesBackWithNoMoreColours) {
  std::mt19937_64 random(20261231);
  for (int trial = 0; trial < testing::Trials(40); ++trial) {
    const int count = std::uniform_int_distribution<int>(2, 6)(random);
    std::vector<std::string> made = RandomPositionedFade(random, count);
    std::string text = RandomText(random);
    while (trial % 4 == 0 && text.size() < 600) text += RandomText(random);
    int read = 0;
    ExpectMadeAgain(made, trial, text, read);
    EXPECT_LE(read, count) << "case " << trial;
  }
}

TEST(ReadJob, ReadsEveryLineAndNamesTheFirstThatIsNoDocument) {
  const std::string good = RunTool({"--defaults", "--", "Hello"}).out;
  const struct {
    std::vector<std::string> args;
    std::string input;
    std::string err;
  } cases[] = {
      {{"--read"}, "plain text\n", "tintrix-fade: line 1: no colour tag in any format\n"},
      {{"--read"}, good + good + "\n", "tintrix-fade: line 3: no colour tag in any format\n"},
      {{"--read"},
       "<Font Color=#000000>\n",
       "tintrix-fade: line 1: no character in a colour tag\n"},
      {{"--read", "--from", "html"}, good, "tintrix-fade: line 1: no colour tag in html\n"},
      {{"--read", "--from=json"}, good, "tintrix-fade: line 1: not a json text component list\n"},
      {{"--read", "--save-fade", "/nonexistent/x.fad"},
       good + good,
       "tintrix-fade: --save-fade saves the fade of one document, not 2\n"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool(c.args, c.input);
    EXPECT_EQ(run.status, 1) << c.err;
    EXPECT_EQ(run.out, "") << c.err;
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(ReadJob, OptionsOfReadingNeedRead) {
  const struct {
    std::vector<std::string> args;
    std::string first;
  } cases[] = {
      {{"--text", "x"}, "tintrix-fade: --text needs --read\n"},
      {{"--max-error", "3", "--from", "html", "x"}, "tintrix-fade: --max-error needs --read\n"},
      {{"--read", "--max-error", "256"},
       "tintrix-fade: --max-error takes a whole number from 0 to 255, not \"256\"\n"},
      {{"--read=a", "b"}, "tintrix-fade: --read reads one FILE\n"}};
  for (const auto& c : cases) {
    const ToolRun run = RunTool(c.args);
    EXPECT_EQ(run.status, 2) << c.first;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.first);
  }
}

TEST(ReadJob, ReadsAFileGivenEitherWayAndSavesTheFade) {
  QTemporaryDir dir;
  const std::string documents = dir.filePath("doc.txt").toStdString();
  const std::string fadeFile = dir.filePath("read.fad").toStdString();
  const ToolRun made =
      RunTool({"--defaults", "--colors", "3", "--color", "1=255", "--color", "2=65280", "--color",
               "3=16711680", "--italic", "-o", documents, "--", "Read me back"});
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string expected =
      "--colors 3 --color 1=255 --color 2=65280 --color 3=16711680 --no-wavy --bold --italic "
      "--no-underline --font Arial\n";
  EXPECT_EQ(RunTool({"--read", documents}).out, expected);
  EXPECT_EQ(RunTool({"--read=" + documents}).out, expected);
  const ToolRun saved = RunTool({"--read", documents, "--save-fade", fadeFile});
  EXPECT_EQ(saved.status, 0) << saved.err;
  FadeSettings fade = DefaultFade();
  ASSERT_TRUE(ApplyFadeFile(fade, fadeFile).ok());
  EXPECT_EQ(fade.colorCount, "3");
  EXPECT_EQ(fade.colors[0], "255");
  EXPECT_EQ(fade.colors[2], "16711680");
  EXPECT_EQ(fade.italic, 1);
  EXPECT_EQ(fade.font, "Arial");
  EXPECT_NE(RunTool({"--read", dir.path().toStdString()}).err.find("is a folder"),
            std::string::npos);
}

// A document no fade makes, not even with colours at positions (a zigzag of 80 characters
// has 40 straight pieces), has no exact fit: the nearest is printed and its error said;
// --max-error lets fewer colours do.
TEST(ReadJob, SaysWhenAFitIsApproximate) {
  std::string document;
  for (int i = 0; i < 80; ++i)
    document += i % 2 == 0 ? "<Font Color=#000000>x" : "<Font Color=#FFFFFF>x";
  const ToolRun read = RunTool({"--read"}, document);
  EXPECT_EQ(read.status, 0);
  EXPECT_NE(read.out, "");
  EXPECT_EQ(read.err.rfind("tintrix-fade: line 1: approximate: largest error ", 0), 0u) << read.err;
  const ToolRun loose = RunTool({"--read", "--max-error", "255"}, document);
  EXPECT_EQ(loose.out.rfind("--colors 2 ", 0), 0u) << loose.out;
}

// Other programs spell their documents a little differently: each is read for its text, in
// the format named.
TEST(ReadJob, ReadsOtherProgramsSpellings) {
  const struct {
    const char* document;
    const char* format;
    const char* text;
  } cases[] = {
      // Resets after every character, and a blank left uncoloured.
      {"\x1b[38;2;255;0;0ma\x1b[39m \x1b[1;38;2;0;0;255mb\x1b[0m", "ansi", "a b"},
      {"<span style=\"color:#FF0000\">&#x41;&#66;&apos;</span><span "
       "style=\"color:#0000ff\">&amp;</span>",
       "html", "AB'&"},
      {R"([{"text":"a","color":"#ff0000","extra":[{"text":"x"}]},"\u00e9",{"color":"#0000FF","text":"\ud83d\udc4d"}])",
       "json", "a\u00E9\U0001F44D"},
      {"<#ff0000>\\\\<#0000ff>\\<", "minimessage", "\\<"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool({"--read", "--text"}, std::string(c.document) + "\n");
    EXPECT_EQ(run.status, 0) << c.document << run.err;
    EXPECT_EQ(run.out, std::string(c.text) + "\n") << c.document;
    const ToolRun options = RunTool({"--read"}, std::string(c.document) + "\n");
    EXPECT_EQ(options.out.rfind("--format " + std::string(c.format) + " ", 0), 0u) << options.out;
  }
}

}  // namespace
}  // namespace tintrix
