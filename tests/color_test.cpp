#include <gtest/gtest.h>

#include "engine/color.h"

namespace tintrix {
namespace {

TEST(ColorToHex, PadsToSixUpperCaseDigits) {
  const struct {
    std::uint32_t n;
    const char* hex;
  } cases[] = {{0, "000000"},         {15, "00000F"},          {4096, "001000"},
               {16777215, "FFFFFF"},  {16711680, "FF0000"},    {255, "0000FF"},
               {16777216, "1000000"}, {2147483647, "7FFFFFFF"}};
  for (const auto& c : cases) EXPECT_EQ(ColorToHex(c.n), c.hex) << c.n;
}

TEST(ColorToHex, DecimalTextEqualsNumber) {
  EXPECT_EQ(ColorToHex(std::string_view("16711680")), ColorToHex(16711680u));
  EXPECT_EQ(ColorToHex(std::string_view(" 255\t")), "0000FF");
  EXPECT_EQ(ColorToHex(std::string_view("x")), std::nullopt);
}

TEST(ParseColorValue, AcceptsOnlyWholeDecimalsUpTo32BitSigned) {
  const struct {
    const char* text;
    std::optional<ColorValue> value;
  } cases[] = {{"0", 0u},
               {"16744703", 16744703u},
               {" 12 ", 12u},
               {"\t7\t", 7u},
               {"007", 7u},
               {"2147483647", 2147483647u},
               {"2147483648", std::nullopt},
               {"99999999999999999999999", std::nullopt},
               {"", std::nullopt},
               {"   ", std::nullopt},
               {"-1", std::nullopt},
               {"+1", std::nullopt},
               {"1.0", std::nullopt},
               {"1e3", std::nullopt},
               {"12 34", std::nullopt},
               {"red", std::nullopt},
               {"0x10", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseColorValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(ColorChannels, SplitsRedLowBlueHigh) {
  const struct {
    ColorValue color;
    Channels channels;
    const char* markup;
  } cases[] = {{0, {0, 0, 0}, "000000"},
               {16711680, {0, 0, 255}, "0000FF"},
               {12615808, {128, 128, 192}, "8080C0"},
               {16744703, {255, 128, 255}, "FF80FF"},
               {255, {255, 0, 0}, "FF0000"},
               // beyond 24 bits: blue from the first two digits, green from the third and
               // fourth, red from the last two
               {16777216, {0, 0, 16}, "000010"},
               {2147483647, {255, 255, 127}, "FFFF7F"},
               {0x1234567, {0x67, 0x34, 0x12}, "673412"}};
  for (const auto& c : cases) {
    const Channels channels = ColorChannels(c.color);
    EXPECT_EQ(channels, c.channels) << c.color;
    EXPECT_EQ(MarkupColor(channels.red, channels.green, channels.blue), c.markup) << c.color;
  }
}

TEST(MarkupColor, IsRedFirstUpperCase) {
  EXPECT_EQ(MarkupColor(171, 205, 239), "ABCDEF");
  EXPECT_EQ(MarkupColor(0, 0, 1), "000001");
}

}  // namespace
}  // namespace tintrix
