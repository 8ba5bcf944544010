#include "engine/text.h"

#include <gtest/gtest.h>

#include <optional>

#include "engine/colorcount.h"

namespace tintrix {
namespace {

TEST(ParseDecimal, ReadsTheNumbersOfTextFields) {
  const struct {
    const char* text;
    std::optional<double> number;
  } cases[] = {{"5", 5},      {" 5 ", 5},   {"05", 5},    {"5.0", 5},  {"+5", 5},
               {"-2", -2},    {"2.5", 2.5}, {".5", 0.5},  {"5.", 5},   {"\t10\t", 10},
               {"", {}},      {" ", {}},    {"five", {}}, {"5x", {}},  {"1e1", {}},
               {"5.0.0", {}}, {"+", {}},    {".", {}},    {"--5", {}}, {"5 5", {}}};
  for (const auto& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.number) << '"' << c.text << '"';
}

TEST(ParseWhole, TakesTheWholeTextOnly) {
  EXPECT_EQ(ParseWhole<int>("42"), 42);
  EXPECT_EQ(ParseWhole<int>("-7"), -7);
  EXPECT_EQ(ParseWhole<unsigned>("ff", 16), 255u);
  for (const char* text : {"", " 1", "1 ", "+1", "1x", "99999999999"}) {
    EXPECT_EQ(ParseWhole<int>(text), std::nullopt) << '"' << text << '"';
  }
  EXPECT_EQ(ParseWhole<unsigned>("-1"), std::nullopt);
}

TEST(ParseNumberColors, SelectsOnlyTheFiveCounts) {
  const struct {
    const char* text;
    bool number;
    std::optional<int> count;
  } cases[] = {{"5", true, 5},  {" 10 ", true, 10}, {"05", true, 5},  {"2.0", true, 2},
               {"6", true, {}}, {"2.5", true, {}},  {"-3", true, {}}, {"0", true, {}},
               {"", false, {}}, {"five", false, {}}};
  for (const auto& c : cases) {
    const StatusOr<std::optional<ColorCount>> count = ParseNumberColors(c.text);
    EXPECT_EQ(count.ok(), c.number) << c.text;
    if (!c.number) {
      EXPECT_EQ(count.status().code(), StatusCode::kInvalidArgument);
      EXPECT_EQ(count.status().message(),
                std::string("The number of colours is not a number: \"") + c.text + "\"");
    } else {
      EXPECT_EQ(*count ? std::optional<int>((*count)->value()) : std::nullopt, c.count) << c.text;
    }
  }
}

TEST(QuoteName, KeepsOneLineAndReadsBackInAShell) {
  const struct {
    const char* name;
    const char* quoted;
  } cases[] = {
      {"plain/path.fad", "plain/path.fad"},
      {"with 'quote' and space", "with 'quote' and space"},
      {"a\nb", "'a'$'\\n''b'"},
      {"\x1b[31mred", "$'\\x1b''[31mred'"},
      {"tab\tit's", "'tab'$'\\t''it'\\''s'"},
      {"end\r", "'end'$'\\r'"},
      {"c1 \xC2\x9B", "'c1 '$'\\u009b'"},
      {"del\x7F", "'del'$'\\x7f'"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteName(c.name), c.quoted) << c.name;
}

TEST(EscapeControlCharacters, WritesEveryControlAsAnEscape) {
  EXPECT_EQ(EscapeControlCharacters("a\nb\rc\td\x1b[0m\x01\\"), "a\\nb\\rc\\td\\x1b[0m\\x01\\");
  EXPECT_EQ(EscapeControlCharacters("Gr\xC3\xBC\xC3\x9F"), "Gr\xC3\xBC\xC3\x9F");
  EXPECT_FALSE(HasControlCharacters("Gr\xC3\xBC\xC3\x9F e"));
  EXPECT_TRUE(HasControlCharacters("x\x7F"));
}

}  // namespace
}  // namespace tintrix
