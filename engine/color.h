#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tintrix {

// A colour value holds red in the low byte, green in the middle byte and blue in the high
// byte: red + 256 * green + 65536 * blue. The program's own colours lie in 0 ... 16777215;
// texts from stored settings or fade files may hold larger values up to 2147483647.
using ColorValue = std::uint32_t;

inline constexpr ColorValue kMaxColorValueText = 2147483647;

struct Channels {
  int red = 0;
  int green = 0;
  int blue = 0;

  bool operator==(const Channels&) const = default;
};

// Parses a colour text: decimal digits only, blanks (spaces, tabs) allowed around them, value
// 0 ... 2147483647. Anything else (empty, a sign, a fraction, letters, a larger value) gives
// nullopt.
std::optional<ColorValue> ParseColorValue(std::string_view text);

// Upper-case hexadecimal of n, left-padded with zeros to six digits; seven or eight digits
// stay as they are. A colour value reads BBGGRR, a packed markup colour RRGGBB.
std::string ColorToHex(std::uint32_t n);

// As above for the decimal text of a number; nullopt when ParseColorValue refuses the text.
std::optional<std::string> ColorToHex(std::string_view decimalText);

// Splits a colour value into its channels. Values beyond 24 bits still give channels in
// 0 ... 255: red comes from the last two hexadecimal digits, green from the third and fourth,
// blue from the first two.
Channels ColorChannels(ColorValue color);

// The colour value of three channels (each 0 ... 255): red in the low byte.
ColorValue PackColor(const Channels& channels);

// The markup colour of three channels (each 0 ... 255): six upper-case digits, red first.
std::string MarkupColor(int red, int green, int blue);

}  // namespace tintrix
