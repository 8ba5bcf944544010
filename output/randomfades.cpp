#include "output/randomfades.h"

#include <cstdint>
#include <string>

namespace tintrix {

void RandomFade(FadeSettings& fade, Desktop& desktop, ColorCount count) {
  RandomSource& random = desktop.Random();
  random.ReseedFromClock();
  for (int i = 0; i < count.value(); ++i) {
    // 16777213, not 16777216: the three palest near-whites never come out.
    const auto value = static_cast<std::uint32_t>(random.NextFraction() * 16777213.0);
    fade.colors[static_cast<std::size_t>(i)] = std::to_string(value);
  }
  fade.colorCount = count.text();
}

}  // namespace tintrix
