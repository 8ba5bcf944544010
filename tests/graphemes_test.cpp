#include <gtest/gtest.h>

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "output/graphemes.h"

namespace tintrix {
namespace {

std::vector<std::string> Characters(const std::string& text) {
  const CharacterText characters = SplitCharacters(text);
  CharacterText::Cursor cursor(characters);
  std::vector<std::string> out;
  for (std::size_t i = 0, start = 0; i < characters.size(); ++i) {
    const std::size_t end = cursor.Next();
    out.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return out;
}

// ICU's character break iterator over the whole text at once: the reference.
std::vector<std::string> IcuCharacters(const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> iterator(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  UText utext = UTEXT_INITIALIZER;
  utext_openUTF8(&utext, text.data(), static_cast<int64_t>(text.size()), &status);
  iterator->setText(&utext, status);
  std::vector<std::string> out;
  int32_t start = 0;
  for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; end = iterator->next()) {
    out.emplace_back(
        text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    start = end;
  }
  utext_close(&utext);
  return out;
}

TEST(SplitCharacters, UserPerceivedCharacters) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> characters;
  } cases[] = {
      {"ascii", "ab c", {"a", "b", " ", "c"}},
      {"empty", "", {}},
      {"crlf is one", "a\r\nb", {"a", "\r\n", "b"}},
      {"lone cr and lf", "\n\r", {"\n", "\r"}},
      {"precomposed", "caf\xC3\xA9", {"c", "a", "f", "\xC3\xA9"}},
      {"combining accent", "e\xCC\x81x", {"e\xCC\x81", "x"}},
      {"accent on ascii after ascii", "ae\xCC\x81", {"a", "e\xCC\x81"}},
      {"flag", "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"}},
      {"three regional indicators",
       "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xA9",
       {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", "\xF0\x9F\x87\xA9"}},
      {"skin tone", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!", {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", "!"}},
      {"zwj sequence",
       "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB",
       {"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"}},
      {"hangul jamo",
       "\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8",
       {"\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8"}},
      {"cjk", "\xE6\x9D\xB1\xE4\xBA\xAC", {"\xE6\x9D\xB1", "\xE4\xBA\xAC"}},
      {"prepend joins what follows",
       "\xD8\x80"
       "1",
       {"\xD8\x80"
        "1"}},
      {"spacing mark", "\xE0\xA4\x95\xE0\xA4\xBE", {"\xE0\xA4\x95\xE0\xA4\xBE"}},
      {"ill-formed bytes kept",
       "a\xFF"
       "b",
       {"a", "\xFF", "b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Characters(c.text), c.characters) << c.name;
    EXPECT_EQ(Characters(c.text), IcuCharacters(c.text)) << c.name;
  }
}

TEST(SplitCharacters, PlainAsciiIsCutByBytes) {
  EXPECT_TRUE(SplitCharacters("plain <ascii> & more\ttext").bytes());
  EXPECT_FALSE(SplitCharacters("line\r\nbreak").bytes());
  EXPECT_FALSE(SplitCharacters("caf\xC3\xA9").bytes());
}

// Random texts built from code points of every break class, and from runs of plain text of
// every length around the point where a stretch is handed to ICU: the result must be ICU's.
TEST(SplitCharacters, AgreesWithIcuOnRandomTexts) {
  const std::vector<std::string> pool = {"a",
                                         " ",
                                         "\r",
                                         "\n",
                                         "\t",
                                         "\xC3\xA9",
                                         "\xE6\x9D\xB1",  // plain and controls
                                         "\xCC\x81",
                                         "\xE2\x80\x8D",
                                         "\xEF\xB8\x8F",  // extend, ZWJ, VS16
                                         "\xF0\x9F\x87\xA9",
                                         "\xF0\x9F\x87\xAA",  // regional indicators
                                         "\xF0\x9F\x91\x8D",
                                         "\xF0\x9F\x8F\xBD",
                                         "\xE2\x9D\xA4",
                                         "\xC2\xA9",  // pictographs, tone
                                         "\xD8\x80",
                                         "\xE0\xA4\x95",
                                         "\xE0\xA4\xBE",
                                         "\xE0\xA5\x8D",  // prepend, Devanagari
                                         "\xE1\x84\x80",
                                         "\xE1\x85\xA1",
                                         "\xE1\x86\xA8",
                                         "\xEA\xB0\x80",  // Hangul L V T LV
                                         "\xFF",
                                         "\xC3",
                                         "\xE2\x80",  // ill-formed
                                         "plain text ",
                                         "\xD0\xBF\xD1\x80\xD0\xB8"};  // runs
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int pieces = static_cast<int>(random() % 40);
    for (int p = 0; p < pieces; ++p) text += pool[random() % pool.size()];
    ASSERT_EQ(Characters(text), IcuCharacters(text)) << "round " << round;
  }
}

}  // namespace
}  // namespace tintrix
