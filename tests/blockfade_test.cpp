// Blocks of lines faded as one picture, checked character by character against a fade of one
// line as long as the block's places, with display columns counted independently of the
// program: by the C library's wcwidth.
#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fadetool.h"

namespace tintrix {
namespace {

struct Character {
  std::string text;
  std::string color;
};

// The characters of html documents, one document a line, without merge: each character
// is one element "<span style="color:#rrggbb">C</span>".
std::vector<std::vector<Character>> ReadHtml(const std::string& documents) {
  static const std::regex kElement(R"re(<span style="color:#([0-9a-f]{6})">(.*?)</span>)re");
  std::vector<std::vector<Character>> lines;
  std::istringstream in(documents);
  for (std::string line; std::getline(in, line);) {
    lines.emplace_back();
    for (std::sregex_iterator it(line.begin(), line.end(), kElement), end; it != end; ++it) {
      lines.back().push_back({(*it)[2], (*it)[1]});
    }
  }
  return lines;
}

std::string FadeHtml(std::vector<std::string> args, const std::string& input) {
  const std::vector<std::string> fade = {
      "--defaults", "--markup-only", "--format",  "html",    "--colors",  "4",       "--color",
      "1=#FF0000",  "--color",       "2=#00FF00", "--color", "3=#0000FF", "--color", "4=#FFFFFF"};
  args.insert(args.begin(), fade.begin(), fade.end());
  std::istringstream in(input);
  std::ostringstream out, err;
  EXPECT_EQ(RunFadeTool(args, in, out, err, {}), 0) << err.str();
  return out.str();
}

// The columns of each character, and the line's width, by wcwidth: a mark has width 0, so a
// character's column is where its first code point stands.
std::vector<std::size_t> Columns(const std::vector<Character>& line, std::size_t& width) {
  std::vector<std::size_t> columns;
  std::size_t column = 0;
  for (const Character& character : line) {
    columns.push_back(column);
    std::mbstate_t state{};
    const char* p = character.text.data();
    const char* const end = p + character.text.size();
    wchar_t c = 0;
    for (std::size_t n; p < end && (n = std::mbrtowc(&c, p, end - p, &state)) > 0; p += n) {
      column += c == L'\t' ? 8 - column % 8 : static_cast<std::size_t>(wcwidth(c));
    }
  }
  width = column;
  return columns;
}

TEST(BlockFade, EveryCharacterTakesTheColourOfItsPlace) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  const struct {
    const char* name;
    std::string block;
  } blocks[] = {
      {"ascii art", " _   _ _\n| | | (_)\n| |_| | |\n|  _  | |\n|_| |_|_|\n"},
      {"cjk", "東京 tokyo\n大阪\nkyoto 京都\n"},
      {"emoji", "\xF0\x9F\x8E\x89 party \xF0\x9F\x8E\x89\nok\n"},
      {"combining marks", "nai\xCC\x88ve\ncafe\xCC\x81 au lait\n"},
      {"tabs", "a\tb\tc\n\tindented\nab\tcd\n"},
      {"ragged", "a\nabcdefghijklmnop\nabc\n"},
      {"one line", "just one line of text\n"},
      {"empty lines", "ab\n\n\ncdef\n"},
  };
  const struct {
    const char* mode;
    bool columns;
    bool lines;
  } modes[] = {{"columns", true, false}, {"lines", false, true}, {"diagonal", true, true}};
  for (const auto& block : blocks) {
    for (const auto& mode : modes) {
      const auto faded = ReadHtml(FadeHtml({std::string("--block=") + mode.mode}, block.block));
      std::vector<std::vector<std::size_t>> columns;
      std::size_t widest = 0;
      for (const auto& line : faded) {
        std::size_t width = 0;
        columns.push_back(Columns(line, width));
        widest = std::max(widest, width);
      }
      const std::size_t places =
          mode.columns ? widest + (mode.lines ? faded.size() - 1 : 0) : faded.size();
      const auto reference = ReadHtml(FadeHtml({}, std::string(places, 'x')));
      ASSERT_EQ(reference.size(), 1u);
      ASSERT_EQ(reference[0].size(), places);
      for (std::size_t k = 0; k < faded.size(); ++k) {
        for (std::size_t j = 0; j < faded[k].size(); ++j) {
          const std::size_t place = (mode.columns ? columns[k][j] : 0) + (mode.lines ? k : 0);
          EXPECT_EQ(faded[k][j].color, reference[0][place].color)
              << block.name << ", " << mode.mode << ": line " << k << ", character " << j;
        }
      }
    }
  }
}

TEST(BlockFade, ABlockOfOneLineIsThatLine) {
  for (const std::string format : {"classic", "bbcode", "ansi", "json"}) {
    const std::vector<std::string> args = {"--format", format, "--merge", "--wavy", "--seed", "3"};
    std::vector<std::string> block = args;
    block.push_back("--block");
    EXPECT_EQ(FadeHtml(block, "a line, faded\n"), FadeHtml(args, "a line, faded\n")) << format;
  }
}

}  // namespace
}  // namespace tintrix
