#include "engine/colorcount.h"

#include "engine/text.h"

namespace tintrix {

StatusOr<std::optional<ColorCount>> ParseNumberColors(std::string_view text) {
  const std::optional<double> number = ParseDecimal(text);
  if (!number) {
    return Status::InvalidArgument("The number of colours is not a number: \"" +
                                   EscapeControlCharacters(text) + "\"");
  }
  std::optional<ColorCount> count;
  for (int n : kFadeColorCounts) {
    if (*number == n) count = ColorCount::Of(n);
  }
  return count;
}

}  // namespace tintrix
