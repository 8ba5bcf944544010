#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/status.h"

namespace tintrix {

// The numbers of colours the window's fades run through, in the order the program offers
// them; fade files and the settings hold one of them.
inline constexpr std::array<int, 5> kFadeColorCounts = {2, 3, 4, 5, 10};
// The most colours a fade runs through; the companion offers every count from 2 to this.
inline constexpr int kMaxFadeColors = 32;

// How many colours a fade blends through, 2 ... kMaxFadeColors. Only Of and Any make one, so
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

  // The count n, or nullopt when n is not from 2 to kMaxFadeColors.
  static constexpr std::optional<ColorCount> Any(int n) {
    if (n < 2 || n > kMaxFadeColors) return std::nullopt;
    return ColorCount(n);
  }

  constexpr int value() const { return m_value; }
  // The number of segments the text is cut into: one between each pair of neighbours.
  constexpr std::size_t segments() const { return static_cast<std::size_t>(m_value - 1); }
  // As FadeSettings::colorCount holds it: "2", "3", "4", "5", "10" ...
  std::string text() const { return std::to_string(m_value); }

  constexpr bool operator==(const ColorCount&) const = default;

 private:
  constexpr explicit ColorCount(int value) : m_value(value) {}
  int m_value;
};

// Which counts select a fade: the window's five, or every count from 2 to kMaxFadeColors, as
// the companion takes them.
enum class ColorCounts { kWindow, kAny };

// Reads a colour count as FadeSettings holds it: a decimal number (ParseDecimal: blanks, a
// sign and a fraction allowed), which selects a fade when it equals one of the `counts`
// exactly. The count, or nullopt for a number that is none of them (a fade without colours).
// Fails with kInvalidArgument, `The number of colours is not a number: "TEXT"`, when the text
// is no number at all.
StatusOr<std::optional<ColorCount>> ParseNumberColors(std::string_view text,
                                                      ColorCounts counts = ColorCounts::kWindow);

}  // namespace tintrix
