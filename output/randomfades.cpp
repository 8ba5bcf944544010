#include "output/randomfades.h"

#include <cstdint>
#include <string>

namespace tintrix {

namespace {

constexpr ColorCount CountOf(int n) { return *ColorCount::Of(n); }

}  // namespace

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

void s2Color_Click(FadeSettings& fade, Desktop& desktop) { RandomFade(fade, desktop, CountOf(2)); }
void s3Color_Click(FadeSettings& fade, Desktop& desktop) { RandomFade(fade, desktop, CountOf(3)); }
void s4color_Click(FadeSettings& fade, Desktop& desktop) { RandomFade(fade, desktop, CountOf(4)); }
void s5color_Click(FadeSettings& fade, Desktop& desktop) { RandomFade(fade, desktop, CountOf(5)); }
void s10color_Click(FadeSettings& fade, Desktop& desktop) {
  RandomFade(fade, desktop, CountOf(10));
}

}  // namespace tintrix
