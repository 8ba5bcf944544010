#include <gtest/gtest.h>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/cpufeatures.h"
#include "output/graphemes.h"

namespace tintrix {
namespace {

std::vector<std::string> Characters(const std::string& text, CutPath path) {
  const CharacterText characters = SplitCharacters(text, path);
  CharacterText::Cursor cursor(characters);
  std::vector<std::string> out;
  for (std::size_t i = 0, start = 0; i < characters.size(); ++i) {
    const std::size_t end = cursor.Next();
    out.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return out;
}

// The characters by the portable path, which every machine tests; where the processor has
// AVX2, its path must cut the same.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> portable = Characters(text, CutPath::kPortable);
  if (Avx2Available()) {
    EXPECT_EQ(Characters(text, CutPath::kAvx2), portable) << testing::PrintToString(text);
  }
  return portable;
}

// ICU's character break iterator over the whole text at once: the reference.
std::vector<std::string> IcuCharacters(const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  static const std::unique_ptr<icu::BreakIterator> iterator(
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
      {"ill-formed byte takes a mark", "\xFF\xCC\x81", {"\xFF\xCC\x81"}},
      {"devanagari conjunct",
       "\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7",
       {"\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7"}},
      {"tamil has no conjunct rule",
       "\xE0\xAE\x95\xE0\xAF\x8D\xE0\xAE\xB7",
       {"\xE0\xAE\x95\xE0\xAF\x8D", "\xE0\xAE\xB7"}},
      {"regional indicator after prepend",
       "\xD8\x80\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xA9",
       {"\xD8\x80\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", "\xF0\x9F\x87\xA9"}},
      {"long run of plain ascii then a mark", std::string(70, 'a') + "\xCC\x81",
       [] {
         std::vector<std::string> c(69, "a");
         c.push_back("a\xCC\x81");
         return c;
       }()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Characters(c.text), c.characters) << c.name;
    EXPECT_EQ(Characters(c.text), IcuCharacters(c.text)) << c.name;
  }
}

TEST(SplitCharacters, PlainAsciiIsCutByBytes) {
  const std::string sixteen(16, 'x');
  const struct {
    std::string text;
    bool bytes;
  } cases[] = {
      {"plain <ascii> & more\ttext", true},
      {"line\r\nbreak", false},
      {"caf\xC3\xA9", false},
      {sixteen + sixteen + "a", true},
      {sixteen + "\r\n", false},                // only in the last sixteen, read again
      {"\r\n" + sixteen + sixteen, false},      // in the first sixteen
      {sixteen + "\xC3\xA9" + sixteen, false},  // across two
      {sixteen + "\rcarriage return alone", true},
      {std::string(100, 'x') + "\r\n", false},     // past the first 64 bytes
      {std::string(70, 'x') + "\xC3\xA9", false},  // likewise
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCharacters(c.text).bytes(), c.bytes) << c.text;
}

// One code point (or ill-formed byte) of every class the rules tell apart.
const std::vector<std::string> kClassSamples = {"a",
                                                "\xC3\xA9",
                                                "\r",
                                                "\n",
                                                "\t",
                                                "\xCC\x81",
                                                "\xEF\xB8\x8F",
                                                "\xE0\xA5\x8D",
                                                "\xE2\x80\x8D",
                                                "\xF0\x9F\x87\xA9",
                                                "\xD8\x80",
                                                "\xE0\xA4\xBE",
                                                "\xE1\x84\x80",
                                                "\xE1\x85\xA1",
                                                "\xE1\x86\xA8",
                                                "\xEA\xB0\x80",
                                                "\xEA\xB0\x81",
                                                "\xF0\x9F\x91\x8D",
                                                "\xE0\xA4\x95",
                                                "\xFF"};

// Every text of up to four samples: each pair and each run of three or four classes the rules
// look back over.
TEST(SplitCharacters, AgreesWithIcuOnEveryShortSequence) {
  const std::size_t n = kClassSamples.size();
  for (std::size_t length = 1; length <= 4; ++length) {
    std::vector<std::size_t> picks(length, 0);
    while (true) {
      std::string text;
      for (std::size_t pick : picks) text += kClassSamples[pick];
      ASSERT_EQ(Characters(text), IcuCharacters(text)) << testing::PrintToString(text);
      std::size_t i = 0;
      while (i < length && ++picks[i] == n) picks[i++] = 0;
      if (i == length) break;
    }
  }
}

// Random texts built from code points of every break class, ill-formed sequences and runs of
// plain text: the result must be ICU's.
TEST(SplitCharacters, AgreesWithIcuOnRandomTexts) {
  std::vector<std::string> pool = kClassSamples;
  const std::vector<std::string> more = {" ",
                                         "\xE6\x9D\xB1",
                                         "\xE2\x80\x8C",
                                         "\xF0\x9F\x87\xAA",
                                         "\xF0\x9F\x8F\xBD",
                                         "\xE2\x9D\xA4",
                                         "\xC2\xA9",
                                         "\xE0\xA4\xB7",
                                         "\xE0\xA6\x95",
                                         "\xE0\xA7\x8D",
                                         "\xE0\xAE\x95",
                                         "\xE0\xAF\x8D",
                                         "\xC2\x85",
                                         "\xC3",
                                         "\xE2\x80",
                                         "\xED\xA0\x80",
                                         "\xF4\x90\x80\x80",
                                         "\xC0\xAF",
                                         "\xF0\x9F",
                                         "plain text ",
                                         "\xD0\xBF\xD1\x80\xD0\xB8",
                                         "\r\n",
                                         "the quick brown fox jumps over the lazy dog "};
  pool.insert(pool.end(), more.begin(), more.end());
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int pieces = static_cast<int>(random() % (round % 10 == 0 ? 300 : 40));
    for (int p = 0; p < pieces; ++p) text += pool[random() % pool.size()];
    ASSERT_EQ(Characters(text), IcuCharacters(text)) << "round " << round;
  }
}

// The cut takes 64 bytes at a time: every pair of samples, ill-formed ones too, with the
// second on either side of a chunk's end, after plain ASCII or after text in another script.
TEST(SplitCharacters, AgreesWithIcuAcrossChunks) {
  std::vector<std::string> samples = kClassSamples;
  for (const char* more : {"\xC3", "\xE6\x9D", "\xF0\x9F\x8E", "\xBF", "\xC0\xAF", "\xED\xA0\x80",
                           "\xE0\x80\x80", "\xF4\x90\x80\x80", "\xE6\x9D\xB1", "\xE3\x81\xAE"}) {
    samples.emplace_back(more);
  }
  for (const std::string& before : {std::string(60, 'a'), std::string(30, 'a') + "\xD0\xBF"}) {
    for (std::size_t pad = 0; pad < 8; ++pad) {
      for (const std::string& a : samples) {
        for (const std::string& b : samples) {
          const std::string text = before + std::string(pad, ' ') + a + b + "z";
          ASSERT_EQ(Characters(text), IcuCharacters(text)) << testing::PrintToString(text);
        }
      }
    }
  }
}

// EndAfter(k) tells where the k-th Next() ends; Walk() passes the characters Next() gives, a
// run of one-byte characters at a time where it can, however many it is asked for at once.
TEST(CharacterText, WalkAndEndAfterAgreeWithNext) {
  const std::string texts[] = {
      std::string(63, 'a') + "\xC3\xA9" + std::string(70, 'b') + "e\xCC\x81",
      std::string(64, 'a') + "\r\n" + std::string(130, 'c'),
      "\xE6\x9D\xB1\xE4\xBA\xAC x\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD" + std::string(200, 'z'),
      std::string(100, ' ') + "\xD0\xBF\xD1\x80\xD0\xB8" + std::string(28, '.')};
  for (const std::string& text : texts) {
    const CharacterText characters = SplitCharacters(text);
    ASSERT_FALSE(characters.bytes());
    CharacterText::Cursor next(characters);
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < characters.size(); ++i) ends.push_back(next.Next());
    for (std::size_t k = 1; k <= ends.size(); ++k) {
      ASSERT_EQ(CharacterText::Cursor(characters).EndAfter(k), ends[k - 1]) << k;
    }
    for (const std::size_t step : {1, 3, 8, 64, 1000}) {
      CharacterText::Cursor cursor(characters);
      std::vector<std::size_t> walked;
      for (std::size_t start = 0; walked.size() < ends.size();) {
        const std::size_t count = std::min(step, ends.size() - walked.size());
        const std::size_t before = walked.size();
        const char* const bytes = text.data();
        cursor.Walk(
            bytes, start, count,
            [&](std::size_t j, const char* from, std::size_t n) {
              EXPECT_EQ(before + j, walked.size());
              for (std::size_t k = 1; k <= n; ++k) walked.push_back(from - bytes + k);
            },
            [&](std::size_t j, const char* from, const char* end) {
              EXPECT_EQ(before + j, walked.size());
              EXPECT_GT(end, from + 1);
              walked.push_back(end - bytes);
            });
        ASSERT_EQ(walked.size(), before + count);
        start = walked.back();
      }
      EXPECT_EQ(walked, ends) << step << " " << testing::PrintToString(text);
    }
  }
}

// A case of GraphemeBreakTest.txt: its text and where characters end.
struct UnicodeCase {
  std::string text;
  std::vector<std::string> characters;
  std::string line;
};

std::vector<UnicodeCase> ReadUnicodeCases(std::istream& in) {
  std::vector<UnicodeCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    const std::string rule = line.substr(0, line.find('#'));
    if (rule.find_first_not_of(" \t") == std::string::npos) continue;
    UnicodeCase c{{}, {}, line};
    std::istringstream items(rule);
    std::string item;
    while (items >> item) {
      if (item == "\xC3\xB7") {  // ÷
        if (!c.text.empty() && (c.characters.empty() || !c.characters.back().empty())) {
          c.characters.emplace_back();
        }
      } else if (item != "\xC3\x97") {  // ×
        char bytes[4];
        int32_t length = 0;
        U8_APPEND_UNSAFE(bytes, length, std::stoi(item, nullptr, 16));
        c.text.append(bytes, static_cast<std::size_t>(length));
        if (c.characters.empty()) c.characters.emplace_back();
        c.characters.back().append(bytes, static_cast<std::size_t>(length));
      }
    }
    if (!c.characters.empty() && c.characters.back().empty()) c.characters.pop_back();
    cases.push_back(c);
  }
  return cases;
}

// Every case of the Unicode Consortium's own test file, as Debian's unicode-data installs it.
// A file of another Unicode version than ICU's can expect breaks that ICU's iterator, the
// reference here, does not make; such cases are skipped and counted.
TEST(SplitCharacters, PassesTheUnicodeTestFile) {
  std::ifstream file(TINTRIX_GRAPHEME_BREAK_TEST);
  if (!file) GTEST_SKIP() << TINTRIX_GRAPHEME_BREAK_TEST << " is missing: install unicode-data";
  std::string header;
  std::getline(file, header);
  const std::size_t dash = header.find('-');
  const std::string fileVersion = header.substr(dash + 1, header.find(".txt") - dash - 1);
  const bool sameVersion = (fileVersion + ".").rfind(U_UNICODE_VERSION ".", 0) == 0;
  const std::vector<UnicodeCase> cases = ReadUnicodeCases(file);
  ASSERT_GT(cases.size(), 500u);
  int skipped = 0;
  for (const UnicodeCase& c : cases) {
    EXPECT_EQ(Characters(c.text), IcuCharacters(c.text)) << c.line;
    if (!sameVersion && IcuCharacters(c.text) != c.characters) {
      ++skipped;
      continue;
    }
    EXPECT_EQ(Characters(c.text), c.characters) << c.line;
  }
  if (skipped > 0) {
    std::cout << "Skipped " << skipped << " of " << cases.size()
              << " cases: the file is of Unicode " << fileVersion << ", ICU of "
              << U_UNICODE_VERSION << "\n";
  }
}

}  // namespace
}  // namespace tintrix
