#include "engine/colorcount.h"

#include "engine/text.h"

namespace tintrix {

StatusOr<std::optional<ColorCount>> ParseNumberColors(std::string_view text, ColorCounts counts) {
  const std::optional<double> number = ParseDecimal(text);
  if (!number) {
    return Status::InvalidArgument("The number of colours is not a number: \"" +
                                   EscapeControlCharacters(text) + "\"");
  }
  if (counts == ColorCounts::kAny) {
    // Compared before the conversion, which is undefined for a number beyond int's range.
    if (*number >= 2 && *number <= kMaxFadeColors && *number == static_cast<int>(*number)) {
      return ColorCount::Any(static_cast<int>(*number));
    }
    return std::optional<ColorCount>();
  }
  std::optional<ColorCount> count;
  for (int n : kFadeColorCounts) {
    if (*number == n) count = ColorCount::Of(n);
  }
  return count;
}

}  // namespace tintrix
