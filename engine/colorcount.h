#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/status.h"

namespace tintrix {

// The numbers of colours a fade runs through, in the order the program offers them.
inline constexpr std::array<int, 5> kFadeColorCounts = {2, 3, 4, 5, 10};

// One of kFadeColorCounts: how many colours a fade blends through. Only Of makes one, so
// holding a ColorCount means holding a count the generator has a fade for.
class ColorCount {
 public:
  // The count n, or nullopt when n is none of kFadeColorCounts.
  static constexpr std::optional<ColorCount> Of(int n) {
    for (int count : kFadeColorCounts) {
      if (count == n) return ColorCount(n);
    }
    return std::nullopt;
  }

  constexpr int value() const { return m_value; }
  // The number of segments the text is cut into: one between each pair of neighbours.
  constexpr std::size_t segments() const { return static_cast<std::size_t>(m_value - 1); }
  // As FadeSettings::colorCount holds it: "2", "3", "4", "5" or "10".
  std::string text() const { return std::to_string(m_value); }

  constexpr bool operator==(const ColorCount&) const = default;

 private:
  constexpr explicit ColorCount(int value) : m_value(value) {}
  int m_value;
};

// Reads a colour count as FadeSettings holds it: a decimal number (ParseDecimal: blanks, a
// sign and a fraction allowed), which selects a fade when it equals one of kFadeColorCounts
// exactly. The count, or nullopt for a number that is none of them (a fade without colours).
// Fails with kInvalidArgument, `The number of colours is not a number: "TEXT"`, when the text
// is no number at all.
StatusOr<std::optional<ColorCount>> ParseNumberColors(std::string_view text);

}  // namespace tintrix
