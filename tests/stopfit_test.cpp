#include "engine/stopfit.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/colorstops.h"
#include "engine/stoplines.h"
#include "tests/sanitizers.h"

namespace tintrix {
namespace {

using stoplines::Line;
using stoplines::ValueSet;

std::vector<std::uint32_t> Made(const std::vector<Channels>& colors,
                                const std::vector<int>& positions, std::size_t n) {
  const std::vector<std::optional<int>> given(positions.begin(), positions.end());
  return StopColors(colors, *PlaceStops(given), BlendSpace::kRgb, n);
}

// Texts of every length made with colours at random positions (hard edges among them), some
// characters unknown: the fit makes every known one again with no more colours.
TEST(StopFit, FindsNoMoreColoursThanMadeTheText) {
  std::mt19937_64 random(3101);
  for (int trial = 0; trial < testing::Trials(60); ++trial) {
    const std::size_t count = std::uniform_int_distribution<std::size_t>(2, 5)(random);
    const std::size_t n = trial % 10 == 9
                              ? std::uniform_int_distribution<std::size_t>(5000, 40000)(random)
                              : std::uniform_int_distribution<std::size_t>(1, 400)(random);
    std::vector<Channels> colors(count);
    std::vector<int> positions(count);
    for (std::size_t k = 0; k < count; ++k) {
      colors[k] = {static_cast<int>(random() % 256), static_cast<int>(random() % 256),
                   static_cast<int>(random() % 256)};
      positions[k] = static_cast<int>(random() % 1001);
    }
    std::sort(positions.begin(), positions.end());
    if (count > 2 && trial % 4 == 0) positions[1] = positions[2];
    const std::vector<std::uint32_t> rgb = Made(colors, positions, n);
    std::vector<std::uint8_t> known;
    if (trial % 3 == 0) {
      for (std::size_t i = 0; i < n; ++i) known.push_back(random() % 8 != 0 ? 1 : 0);
      known[0] = 1;
    }
    const std::optional<StopFit> fit = FitStops(rgb, known);
    ASSERT_TRUE(fit) << trial;
    EXPECT_LE(fit->colors.size(), count) << trial;
    ASSERT_EQ(fit->positions.size(), fit->colors.size());
    EXPECT_TRUE(std::is_sorted(fit->positions.begin(), fit->positions.end())) << trial;
    const std::vector<std::uint32_t> again = Made(fit->colors, fit->positions, n);
    for (std::size_t i = 0; i < n; ++i) {
      if (known.empty() || known[i]) {
        ASSERT_EQ(again[i], rgb[i]) << trial << " char " << i;
      }
    }
  }
}

TEST(StopFit, StopsAtTheMostColoursAllowed) {
  // Three straight pieces: no fit of two colours, one of three at 0, 50 and 100.
  const std::vector<Channels> colors = {{0, 0, 0}, {255, 128, 0}, {0, 0, 255}};
  const std::vector<std::uint32_t> rgb = Made(colors, {0, 500, 1000}, 100);
  EXPECT_FALSE(FitStops(rgb, {}, 2));
  const std::optional<StopFit> fit = FitStops(rgb, {}, 3);
  ASSERT_TRUE(fit);
  EXPECT_EQ(Made(fit->colors, fit->positions, 100), rgb);
  EXPECT_FALSE(FitStops({}, {}));
  EXPECT_FALSE(FitStops(rgb, std::vector<std::uint8_t>(100, 0)));
}

// The values a character takes on the line from `start` at part 0 to `end` at `span`, as
// StopColors rounds: half to even.
int OnLine(int start, int end, std::int64_t part, std::int64_t span) {
  const std::int64_t num = start * span + (end - start) * part;
  const std::int64_t floor = num / span - (num % span < 0 ? 1 : 0);
  const std::int64_t twice = 2 * (num - floor * span);
  return static_cast<int>(twice > span || (twice == span && floor % 2 != 0) ? floor + 1 : floor);
}

// A line's end values after narrowing are exactly the ends whose straight line gives every
// character its value; one character's window of ends moves smoothly with the start.
TEST(StopFit, LinesKeepExactlyTheEndsThatRoundToTheCharacters) {
  std::mt19937_64 random(77);
  for (int trial = 0; trial < 300; ++trial) {
    const std::int64_t span = std::uniform_int_distribution<std::int64_t>(2, 60)(random);
    const int start = static_cast<int>(random() % 256), end = static_cast<int>(random() % 256);
    const std::size_t characters = 1 + random() % 4;
    std::vector<std::pair<std::int64_t, int>> seen;  // part, value
    Line line{start};
    bool fits = true;
    for (std::size_t k = 0; k < characters; ++k) {
      const std::int64_t part = std::uniform_int_distribution<std::int64_t>(1, span)(random);
      // Mostly on the line, sometimes one off, so that some lines die.
      const int value =
          std::clamp(OnLine(start, end, part, span) + (random() % 5 == 0 ? 1 : 0), 0, 255);
      seen.emplace_back(part, value);
      fits = line.Narrow(part, value) && fits;
    }
    ValueSet expected;
    for (int b = 0; b < 256; ++b) {
      bool all = true;
      for (const auto& [part, value] : seen) all = all && OnLine(start, b, part, span) == value;
      if (all) expected.set(static_cast<std::size_t>(b));
    }
    EXPECT_EQ(fits ? line.Ends(span) : ValueSet(), expected) << trial;
    if (characters == 1) {
      const ValueSet runs =
          stoplines::EndsAfterOne(stoplines::LinesAfterOne({{start, std::min(start + 9, 255)}},
                                                           seen[0].first, seen[0].second),
                                  span);
      ValueSet any;
      for (int a = start; a <= std::min(start + 9, 255); ++a) {
        Line one{a};
        one.Narrow(seen[0].first, seen[0].second);
        any |= one.Ends(span);
      }
      EXPECT_EQ(runs, any) << trial;
    }
  }
}

TEST(StopFit, CountsStraightPieces) {
  const auto ramp = [](std::vector<std::uint32_t>& rgb, int from, int to, int steps) {
    for (int i = 1; i <= steps; ++i) {
      rgb.push_back(static_cast<std::uint32_t>(from + (to - from) * i / steps) << 8);
    }
  };
  std::vector<std::uint32_t> one, two, zigzag;
  ramp(one, 0, 255, 200);
  ramp(two, 0, 255, 100);
  ramp(two, 255, 0, 100);
  for (int i = 0; i < 9; ++i) zigzag.push_back(i % 2 == 0 ? 0 : 0xFFFFFF);
  EXPECT_EQ(stoplines::CountStraightPieces(one, {}, 0, one.size() - 1), 1u);
  EXPECT_EQ(stoplines::CountStraightPieces(two, {}, 0, two.size() - 1), 2u);
  // Any two points lie on a line, no three of a zigzag do.
  EXPECT_EQ(stoplines::CountStraightPieces(zigzag, {}, 0, zigzag.size() - 1), 5u);
  // An unknown character is no corner.
  std::vector<std::uint8_t> known(zigzag.size(), 0);
  known[0] = known[2] = known[4] = 1;
  EXPECT_EQ(stoplines::CountStraightPieces(zigzag, known, 0, zigzag.size() - 1), 1u);
}

}  // namespace
}  // namespace tintrix
