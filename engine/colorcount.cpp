#include "engine/colorcount.h"

#include "engine/text.h"

namespace tintrix {

Status ParseNumberColors(std::string_view text, std::optional<ColorCount>& count) {
  const std::optional<double> number = ParseDecimal(text);
  if (!number) {
    return Status::InvalidArgument("The number of colours is not a number: \"" +
                                   EscapeControlCharacters(text) + "\"");
  }
  count.reset();
  for (int n : kFadeColorCounts) {
    if (*number == n) count = ColorCount::Of(n);
  }
  return Status::Ok();
}

}  // namespace tintrix
