#include "engine/colornames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tintrix {
namespace {

// A sample of CSS Color 4's named colours, as the list gives them.
TEST(ColorNames, HoldCssColor4sNamedColours) {
  const struct {
    const char* name;
    std::uint32_t rgb;
  } cases[] = {{"aliceblue", 0xF0F8FF},     {"black", 0x000000},
               {"blue", 0x0000FF},          {"chartreuse", 0x7FFF00},
               {"cyan", 0x00FFFF},          {"aqua", 0x00FFFF},
               {"darkslategray", 0x2F4F4F}, {"darkslategrey", 0x2F4F4F},
               {"gold", 0xFFD700},          {"gray", 0x808080},
               {"grey", 0x808080},          {"green", 0x008000},
               {"lime", 0x00FF00},          {"lightgoldenrodyellow", 0xFAFAD2},
               {"magenta", 0xFF00FF},       {"navajowhite", 0xFFDEAD},
               {"olive", 0x808000},         {"orange", 0xFFA500},
               {"rebeccapurple", 0x663399}, {"red", 0xFF0000},
               {"silver", 0xC0C0C0},        {"tan", 0xD2B48C},
               {"white", 0xFFFFFF},         {"yellowgreen", 0x9ACD32}};
  for (const auto& c : cases) EXPECT_EQ(FindNamedColor(c.name), c.rgb) << c.name;

  // 148 names, grey and gray counted apart, each once and lower case, in order.
  const std::span<const NamedColor> all = CssNamedColors();
  EXPECT_EQ(all.size(), 148u);
  std::set<std::string_view> names;
  for (const NamedColor& color : all) {
    names.insert(color.name);
    EXPECT_EQ(std::string(color.name).find_first_not_of("abcdefghijklmnopqrstuvwxyz"),
              std::string::npos);
    EXPECT_EQ(FindNamedColor(color.name), color.rgb);
  }
  EXPECT_EQ(names.size(), all.size());
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                             [](const auto& a, const auto& b) { return a.name < b.name; }));
}

TEST(ColorNames, FindsNamesInAnyCaseAndNothingElse) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> rgb;
  } cases[] = {
      {"RebeccaPurple", 0x663399},   {"RED", 0xFF0000}, {"gOlD", 0xFFD700}, {"transparent", {}},
      {"currentcolor", {}},          {"red ", {}},      {"", {}},           {"reds", {}},
      {"lightgoldenrodyellowx", {}}, {"#ff0000", {}}};
  for (const auto& c : cases) EXPECT_EQ(FindNamedColor(c.text), c.rgb) << c.text;
}

TEST(ColorNames, ReadsSixAndThreeHexDigits) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> rgb;
  } cases[] = {{"#FF8800", 0xFF8800},
               {"#ff8800", 0xFF8800},
               {"#f80", 0xFF8800},
               {"#F80", 0xFF8800},
               {"#000", 0x000000},
               {"#abc", 0xAABBCC},
               {"#ff880", {}},
               {"#ff88000", {}},
               {"ff8800", {}},
               {"#gg0000", {}},
               {"#", {}},
               {"#12", {}},
               {"#-12", {}},
               {"", {}}};
  for (const auto& c : cases) EXPECT_EQ(ParseHexColor(c.text), c.rgb) << c.text;
}

}  // namespace
}  // namespace tintrix
