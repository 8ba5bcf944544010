#include "engine/contrast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/oklab.h"

namespace tintrix {
namespace {

TEST(Contrast, MeasuresAsWcag2Does) {
  const struct {
    Channels a, b;
    double ratio;
  } cases[] = {{{0, 0, 0}, {255, 255, 255}, 21.0},        {{255, 255, 255}, {0, 0, 0}, 21.0},
               {{119, 119, 119}, {255, 255, 255}, 4.478}, {{118, 118, 118}, {255, 255, 255}, 4.542},
               {{255, 0, 0}, {255, 255, 255}, 3.998},     {{0, 0, 255}, {0, 0, 0}, 2.444},
               {{12, 34, 56}, {12, 34, 56}, 1.0}};
  for (const auto& c : cases) {
    EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.001) << c.ratio;
  }
}

// A colour's lightness, chroma and hue (degrees) in OKLCh.
struct Lch {
  double lightness, chroma, hue;
};
Lch LchOf(const Channels& c) {
  double lab[3];
  ToOkLab(c, lab);
  return {lab[0], std::hypot(lab[1], lab[2]),
          std::atan2(lab[2], lab[1]) * 180.0 / 3.14159265358979323846};
}
double HueDistance(double a, double b) {
  const double d = std::fmod(std::abs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

// Every colour reaches the ratio; those that did stay; those that did not keep their hue, and
// no colour of that hue whose lightness lies nearer the original, by more than a small step,
// reaches it too.
TEST(Contrast, RaisesToTheNearestLightnessOfTheSameHue) {
  // Every fourth value of each channel: the candidates a nearer colour could be.
  std::vector<std::pair<Channels, Lch>> grid;
  for (int r = 0; r < 256; r += 4) {
    for (int g = 0; g < 256; g += 4) {
      for (int b = 0; b < 256; b += 4) grid.push_back({{r, g, b}, LchOf({r, g, b})});
    }
  }
  const struct {
    Channels background;
    double ratio;
  } pages[] = {
      {{255, 255, 255}, 4.5}, {{0, 0, 0}, 7.0}, {{30, 30, 46}, 4.5}, {{245, 240, 225}, 3.0}};
  std::mt19937 random(45);
  int changed = 0;
  for (const auto& page : pages) {
    const std::optional<ContrastRaise> raise = ContrastRaise::For(page.background, page.ratio);
    ASSERT_TRUE(raise);
    for (int trial = 0; trial < 40; ++trial) {
      const Channels color{static_cast<int>(random() % 256), static_cast<int>(random() % 256),
                           static_cast<int>(random() % 256)};
      const Channels raised = raise->Raise(color);
      ASSERT_GE(ContrastRatio(raised, page.background), page.ratio - 1e-9);
      if (ContrastRatio(color, page.background) >= page.ratio) {
        EXPECT_EQ(raised, color);
        continue;
      }
      ++changed;
      const Lch before = LchOf(color), after = LchOf(raised);
      if (before.chroma > 0.04 && after.chroma > 0.02) {
        EXPECT_LT(HueDistance(after.hue, before.hue), 6.0) << trial;
      }
      const double moved = std::abs(after.lightness - before.lightness);
      for (const auto& [other, lch] : grid) {
        if (lch.chroma > before.chroma + 0.01 || lch.chroma < 0.03 ||
            HueDistance(lch.hue, before.hue) > 2.0 ||
            std::abs(lch.lightness - before.lightness) >= moved - 0.03) {
          continue;
        }
        EXPECT_LT(ContrastRatio(other, page.background), page.ratio) << trial;
      }
    }
  }
  EXPECT_GT(changed, 40);
}

TEST(Contrast, RefusesWhatNoLightnessReaches) {
  EXPECT_FALSE(ContrastRaise::For({128, 128, 128}, 21.0));
  EXPECT_FALSE(ContrastRaise::For({119, 119, 119}, 4.7));
  EXPECT_TRUE(ContrastRaise::For({255, 255, 255}, 21.0));
  EXPECT_EQ(ContrastRaise::For({255, 255, 255}, 21.0)->Raise({200, 30, 30}), (Channels{0, 0, 0}));
}

}  // namespace
}  // namespace tintrix
