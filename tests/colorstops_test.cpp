#include "engine/colorstops.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace tintrix {
namespace {

TEST(ColorStops, ReadsPositionsInTenthsOfAPercent) {
  const struct {
    const char* text;
    std::optional<int> tenths;
  } cases[] = {{"0", 0},     {"100", 1000}, {"37.5", 375}, {"012", 120}, {"100.0", 1000},
               {"0.1", 1},   {"100.1", {}}, {"12.25", {}}, {"-1", {}},   {"+5", {}},
               {" 5", {}},   {"5%", {}},    {"", {}},      {".5", {}},   {"5.", {}},
               {"1000", {}}, {"5.x", {}},   {"x", {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(ParseStopPosition(c.text), c.tenths) << c.text;
    if (c.tenths) {
      EXPECT_EQ(ParseStopPosition(StopPositionText(*c.tenths)), c.tenths) << c.text;
    }
  }
  EXPECT_EQ(StopPositionText(375), "37.5");
  EXPECT_EQ(StopPositionText(400), "40");
}

TEST(ColorStops, PlacesUnplacedStopsAsCssDoes) {
  using P = std::optional<int>;
  const struct {
    std::vector<P> given;
    std::vector<StopPlace> places;
  } cases[] = {
      {{P(), P(), P()}, {{0, 1}, {1, 2}, {1, 1}}},
      {{P(), 300, P(), P()}, {{0, 1}, {3, 10}, {13, 20}, {1, 1}}},
      {{500, P(), P()}, {{1, 2}, {3, 4}, {1, 1}}},
      {{P(), P(), P(), 900}, {{0, 1}, {3, 10}, {3, 5}, {9, 10}}},
      {{200, 200, P(), 800}, {{1, 5}, {1, 5}, {1, 2}, {4, 5}}},
  };
  for (const auto& c : cases) {
    const StatusOr<std::vector<StopPlace>> places = PlaceStops(c.given);
    ASSERT_TRUE(places.ok());
    EXPECT_EQ(*places, c.places);
  }
  const StatusOr<std::vector<StopPlace>> backwards = PlaceStops(std::vector<P>{P(), 500, P(), 200});
  EXPECT_EQ(backwards.status().code(), StatusCode::kUsage);
  EXPECT_EQ(backwards.status().message(), "colour 4 at 20% is before colour 2 at 50%");
}

// The rule, in fractions of the test's own: character i of n at t = i / n.
struct Fraction {
  std::int64_t num;
  std::int64_t den;
  bool operator<(const Fraction& o) const { return num * o.den < o.num * den; }
  bool operator<=(const Fraction& o) const { return !(o < *this); }
};

int RoundHalfEven(std::int64_t num, std::int64_t den) {
  const std::int64_t floor = num / den - (num % den < 0 ? 1 : 0);
  const std::int64_t twice = 2 * (num - floor * den);
  return static_cast<int>(twice > den || (twice == den && floor % 2 != 0) ? floor + 1 : floor);
}

std::uint32_t ExpectedColor(const std::vector<Channels>& colors,
                            const std::vector<StopPlace>& places, std::size_t i, std::size_t n) {
  const Fraction t{static_cast<std::int64_t>(i), static_cast<std::int64_t>(n)};
  const auto at = [&](std::size_t k) {
    return Fraction{places[k].numerator, places[k].denominator};
  };
  const auto pack = [](int r, int g, int b) {
    return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
  };
  const Channels* chosen = nullptr;
  if (t <= at(0)) chosen = &colors.front();
  if (at(places.size() - 1) < t) chosen = &colors.back();
  if (chosen) return pack(chosen->red, chosen->green, chosen->blue);
  for (std::size_t k = 0;; ++k) {
    if (!(at(k) < t && t <= at(k + 1))) continue;
    // (t - Pk) / (Pk+1 - Pk), over a common denominator.
    const Fraction a = at(k), b = at(k + 1);
    const std::int64_t num = (t.num * a.den - a.num * t.den) * b.den;
    const std::int64_t den = (b.num * a.den - a.num * b.den) * t.den;
    const auto channel = [&](int from, int to) {
      return RoundHalfEven(from * den + (to - from) * num, den);
    };
    return pack(channel(colors[k].red, colors[k + 1].red),
                channel(colors[k].green, colors[k + 1].green),
                channel(colors[k].blue, colors[k + 1].blue));
  }
}

TEST(ColorStops, ColoursFollowTheRuleInExactArithmetic) {
  std::mt19937_64 random(31);
  for (int trial = 0; trial < 400; ++trial) {
    const std::size_t count = std::uniform_int_distribution<std::size_t>(2, 6)(random);
    const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 300)(random);
    std::vector<Channels> colors(count);
    std::vector<std::optional<int>> given(count);
    std::vector<int> sorted;
    for (std::size_t k = 0; k < count; ++k) {
      colors[k] = {static_cast<int>(random() % 256), static_cast<int>(random() % 256),
                   static_cast<int>(random() % 256)};
      // Some unplaced, some on the same place (hard edges), some on characters exactly.
      if (random() % 3 != 0)
        sorted.push_back(static_cast<int>(random() % 5 == 0 ? 500 : random() % 1001));
    }
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0, next = 0; k < count; ++k) {
      if (next < sorted.size() && random() % 4 != 0) given[k] = sorted[next++];
    }
    const StatusOr<std::vector<StopPlace>> places = PlaceStops(given);
    ASSERT_TRUE(places.ok()) << trial;
    const std::vector<std::uint32_t> rgb = StopColors(colors, *places, BlendSpace::kRgb, n);
    ASSERT_EQ(rgb.size(), n);
    for (std::size_t i = 1; i <= n; ++i) {
      ASSERT_EQ(rgb[i - 1], ExpectedColor(colors, *places, i, n)) << trial << " char " << i;
    }
  }
}

TEST(ColorStops, OtherBlendsTakeTheStopFractionAsTheirs) {
  const std::vector<Channels> colors = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}};
  const std::vector<StopPlace> places = {{0, 1}, {1, 4}, {1, 1}};
  for (const BlendSpace space : {BlendSpace::kOkLab, BlendSpace::kOkLch, BlendSpace::kHsv}) {
    const std::vector<std::uint32_t> rgb = StopColors(colors, places, space, 10);
    // Character 2 at t = 1/5: 4/5 of the first pair; character 7 at 7/10: 3/5 of the second.
    const Channels second = PerceptualBlend(space, colors[0], colors[1], 5).At(4);
    const Channels seventh = PerceptualBlend(space, colors[1], colors[2], 5).At(3);
    EXPECT_EQ(rgb[1],
              static_cast<std::uint32_t>(second.red << 16 | second.green << 8 | second.blue));
    EXPECT_EQ(rgb[6],
              static_cast<std::uint32_t>(seventh.red << 16 | seventh.green << 8 | seventh.blue));
    EXPECT_EQ(rgb[9], 0x00FF00u);
  }
}

}  // namespace
}  // namespace tintrix
