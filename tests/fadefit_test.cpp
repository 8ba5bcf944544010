#include "engine/fadefit.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/colorcount.h"
#include "engine/fadegenerator.h"

namespace tintrix {
namespace {

std::vector<Channels> RandomColors(std::mt19937& random, int count) {
  std::uniform_int_distribution<int> channel(0, 255);
  std::vector<Channels> colors;
  for (int k = 0; k < count; ++k)
    colors.push_back({channel(random), channel(random), channel(random)});
  return colors;
}

std::vector<std::uint32_t> ColorsOf(const std::vector<Channels>& colors, std::size_t n) {
  return FadeGenerator(colors, false).Colors(n);
}

TEST(FadeFit, TriesTheWindowsCountsFirst) {
  const std::vector<int> all = FitCountOrder(false);
  ASSERT_EQ(all.size(), static_cast<std::size_t>(kMaxFadeColors - 1));
  EXPECT_EQ(std::vector<int>(all.begin(), all.begin() + 7),
            (std::vector<int>{2, 3, 4, 5, 10, 6, 7}));
  EXPECT_EQ(all.back(), kMaxFadeColors);
  EXPECT_EQ(FitCountOrder(true),
            std::vector<int>(kFadeColorCounts.begin(), kFadeColorCounts.end()));
}

// Every fade of the rgb blend has an exact fit, with no more colours than it was made with
// (a smaller count may give the same colours) and the same colour on every character.
TEST(FadeFit, FindsEveryFadeExactly) {
  std::mt19937 random(1208);
  for (int trial = 0; trial < 300; ++trial) {
    const int count = std::uniform_int_distribution<int>(2, kMaxFadeColors)(random);
    const std::size_t n =
        std::uniform_int_distribution<std::size_t>(1, trial % 3 == 0 ? 600 : 60)(random);
    const std::vector<std::uint32_t> rgb = ColorsOf(RandomColors(random, count), n);
    const std::optional<FadeFit> fit = FitFade(rgb, {});
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(fit->largestError, 0) << count << " colours, " << n << " characters";
    EXPECT_EQ(ColorsOf(fit->colors, n), rgb) << count << " colours, " << n << " characters";
    const std::vector<int> order = FitCountOrder(false);
    const auto rank = [&](int c) {
      return std::find(order.begin(), order.end(), c) - order.begin();
    };
    EXPECT_LE(rank(static_cast<int>(fit->colors.size())), rank(count));
  }
}

// A fade that its own count cannot make exactly: one channel of one character off by 3.
std::vector<std::uint32_t> OffByThree(std::size_t n) {
  std::vector<std::uint32_t> rgb = ColorsOf({{0, 40, 200}, {250, 90, 10}}, n);
  rgb[n / 3] += 3 << 16;
  return rgb;
}

TEST(FadeFit, AnInexactFadeGetsTheLeastErrorItsSearchFinds) {
  const std::vector<std::uint32_t> rgb = OffByThree(400);
  const std::optional<FadeFit> fit = FitFade(rgb, {});
  ASSERT_TRUE(fit.has_value());
  EXPECT_GT(fit->largestError, 0);
  EXPECT_LE(fit->largestError, 3);
  EXPECT_EQ(fit->largestError, LargestFitError(fit->colors, rgb, {}));
}

TEST(FadeFit, MaxErrorLetsFewerColoursWin) {
  const std::vector<std::uint32_t> rgb = OffByThree(400);
  const struct {
    int maxError;
    std::size_t count;
  } cases[] = {{3, 2}, {255, 2}};
  for (const auto& c : cases) {
    const std::optional<FadeFit> fit = FitFade(rgb, {}, {.maxError = c.maxError});
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(fit->colors.size(), c.count) << c.maxError;
    EXPECT_LE(fit->largestError, c.maxError);
  }
  // Only the window's counts: never 6 ... 9 or more than 10.
  const std::optional<FadeFit> window = FitFade(rgb, {}, {.windowCounts = true});
  ASSERT_TRUE(window.has_value());
  EXPECT_NE(std::find(kFadeColorCounts.begin(), kFadeColorCounts.end(),
                      static_cast<int>(window->colors.size())),
            kFadeColorCounts.end());
}

// Characters whose colour the document does not show play no part.
TEST(FadeFit, UnknownCharactersAreLeftOut) {
  const std::vector<Channels> colors = {{10, 20, 30}, {200, 100, 0}, {0, 0, 255}};
  std::vector<std::uint32_t> rgb = ColorsOf(colors, 50);
  std::vector<std::uint8_t> known(rgb.size(), 1);
  for (std::size_t i : {3u, 17u, 30u}) rgb[i] = 0x123456, known[i] = 0;
  const std::optional<FadeFit> fit = FitFade(rgb, known);
  ASSERT_TRUE(fit.has_value());
  EXPECT_EQ(fit->largestError, 0);
  EXPECT_EQ(fit->colors, colors);
  EXPECT_FALSE(FitFade(rgb, std::vector<std::uint8_t>(rgb.size(), 0)).has_value());
  EXPECT_FALSE(FitFade({}, {}).has_value());
}

}  // namespace
}  // namespace tintrix
