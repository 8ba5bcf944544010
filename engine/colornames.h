#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The colours the companion takes by name, and the #RGB and #RRGGBB forms beside them.

namespace tintrix {

struct NamedColor {
  std::string_view name;  // lower case, as CSS lists it
  std::uint32_t rgb;      // 0xRRGGBB
};

// The named colours of CSS Color 4, in alphabetical order: 148 names, the grey/gray spellings
// each counted.
std::span<const NamedColor> CssNamedColors();

// The colour of `name` in any mix of upper and lower case ("RebeccaPurple"); nullopt for a
// text that is no name of the list (blanks included).
std::optional<std::uint32_t> FindNamedColor(std::string_view name);

// "#RRGGBB" or "#RGB" (each digit doubled: "#f80" is "#ff8800"), digits in either case, as
// 0xRRGGBB; nullopt for anything else.
std::optional<std::uint32_t> ParseHexColor(std::string_view text);

}  // namespace tintrix
