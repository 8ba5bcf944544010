#include "engine/color.h"

#include "engine/internal/hexdigits.h"
#include "engine/text.h"

namespace tintrix {

namespace {

int HexDigitValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

int HexPair(const std::string& hex, std::size_t at) {
  return HexDigitValue(hex[at]) * 16 + HexDigitValue(hex[at + 1]);
}

}  // namespace

std::optional<ColorValue> ParseColorValue(std::string_view text) {
  const std::optional<std::uint64_t> value = ParseWhole<std::uint64_t>(TrimBlanks(text));
  if (!value || *value > kMaxColorValueText) return std::nullopt;
  return static_cast<ColorValue>(*value);
}

std::string ColorToHex(std::uint32_t n) {
  std::size_t digits = 6;
  while (digits < 8 && (n >> (4 * digits)) != 0) ++digits;
  std::string hex(digits, '0');
  for (std::size_t k = 0; k < digits; ++k) hex[digits - 1 - k] = hex::Digit(n >> (4 * k));
  return hex;
}

std::optional<std::string> ColorToHex(std::string_view decimalText) {
  const std::optional<ColorValue> value = ParseColorValue(decimalText);
  if (!value) return std::nullopt;
  return ColorToHex(*value);
}

Channels ColorChannels(ColorValue color) {
  // Read from the hexadecimal text, so that seven- and eight-digit values keep the program's
  // established reading; for 24-bit values this is plain byte extraction.
  const std::string hex = ColorToHex(color);
  return {HexPair(hex, hex.size() - 2), HexPair(hex, 2), HexPair(hex, 0)};
}

ColorValue PackColor(const Channels& channels) {
  return static_cast<ColorValue>(channels.red + 256 * channels.green + 65536 * channels.blue);
}

std::string MarkupColor(int red, int green, int blue) {
  return ColorToHex(static_cast<std::uint32_t>(red * 65536 + green * 256 + blue));
}

}  // namespace tintrix
