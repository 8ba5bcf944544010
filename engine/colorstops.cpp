#include "engine/colorstops.h"

#include <numeric>

#include "engine/text.h"

namespace tintrix {

namespace {

StopPlace Reduced(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t divisor = std::gcd(numerator, denominator);
  return {numerator / divisor, denominator / divisor};
}

// q / d rounded to the nearest whole number, a half to the even one; d > 0.
std::int64_t RoundedQuotient(std::int64_t q, std::int64_t d) {
  std::int64_t quotient = q / d, remainder = q % d;
  if (remainder < 0) remainder += d, quotient -= 1;
  if (2 * remainder > d || (2 * remainder == d && quotient % 2 != 0)) ++quotient;
  return quotient;
}

std::uint32_t Packed(const Channels& c) {
  return static_cast<std::uint32_t>(c.red) << 16 | static_cast<std::uint32_t>(c.green) << 8 |
         static_cast<std::uint32_t>(c.blue);
}

// The blend between two neighbouring stops, for the characters after the first and up to the
// second: the fraction of character i is (i * scale - offset) / span.
class StopPair {
 public:
  StopPair(const Channels& from, const Channels& to, const StopPlace& start, const StopPlace& end,
           BlendSpace blend, std::size_t n)
      : m_from(from), m_to(to) {
    const std::int64_t common = std::lcm(start.denominator, end.denominator);
    const auto count = static_cast<std::int64_t>(n);
    m_scale = common;
    m_offset = start.numerator * (common / start.denominator) * count;
    m_span = end.numerator * (common / end.denominator) * count - m_offset;
    if (blend != BlendSpace::kRgb && m_span > 0) {
      m_perceptual.emplace(blend, from, to, static_cast<std::size_t>(m_span));
    }
  }

  std::uint32_t At(std::size_t i) const {
    const std::int64_t part = static_cast<std::int64_t>(i) * m_scale - m_offset;
    if (m_perceptual) return Packed(m_perceptual->At(static_cast<std::size_t>(part)));
    const auto channel = [&](int from, int to) {
      return static_cast<int>(RoundedQuotient(from * m_span + (to - from) * part, m_span));
    };
    return Packed({channel(m_from.red, m_to.red), channel(m_from.green, m_to.green),
                   channel(m_from.blue, m_to.blue)});
  }

 private:
  Channels m_from;
  Channels m_to;
  std::int64_t m_scale = 1;
  std::int64_t m_offset = 0;
  std::int64_t m_span = 1;
  std::optional<PerceptualBlend> m_perceptual;
};

}  // namespace

std::optional<int> ParseStopPosition(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  if (whole.empty() || whole.size() > 3) return std::nullopt;
  const std::optional<int> units = ParseWhole<int>(whole);
  int tenths = 0;
  if (point != std::string_view::npos) {
    const std::string_view decimal = text.substr(point + 1);
    if (decimal.size() != 1 || decimal[0] < '0' || decimal[0] > '9') return std::nullopt;
    tenths = decimal[0] - '0';
  }
  if (!units || *units < 0 || *units * 10 + tenths > kStopGrid) return std::nullopt;
  return *units * 10 + tenths;
}

std::string StopPositionText(int tenths) {
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) {
    text += '.';
    text += static_cast<char>('0' + tenths % 10);
  }
  return text;
}

StatusOr<std::vector<StopPlace>> PlaceStops(std::span<const std::optional<int>> positions) {
  const std::size_t count = positions.size();
  std::optional<std::size_t> previous;
  for (std::size_t k = 0; k < count; ++k) {
    if (!positions[k]) continue;
    if (previous && *positions[k] < *positions[*previous]) {
      return Status::Usage("colour " + std::to_string(k + 1) + " at " +
                           StopPositionText(*positions[k]) + "% is before colour " +
                           std::to_string(*previous + 1) + " at " +
                           StopPositionText(*positions[*previous]) + "%");
    }
    previous = k;
  }
  std::vector<std::optional<int>> given(positions.begin(), positions.end());
  if (count > 0 && !given.front()) given.front() = 0;
  if (count > 0 && !given.back()) given.back() = kStopGrid;
  std::vector<StopPlace> places(count);
  std::size_t placed = 0;  // the last stop with a position
  for (std::size_t k = 0; k < count; ++k) {
    if (!given[k]) continue;
    places[k] = Reduced(*given[k], kStopGrid);
    // The stops since the last placed one, spread evenly up to this one.
    const auto gaps = static_cast<std::int64_t>(k - placed);
    for (std::size_t j = placed + 1; j < k; ++j) {
      const std::int64_t from = *given[placed], to = *given[k];
      places[j] = Reduced(from * gaps + (to - from) * static_cast<std::int64_t>(j - placed),
                          kStopGrid * gaps);
    }
    placed = k;
  }
  return places;
}

std::vector<std::uint32_t> StopColors(std::span<const Channels> colors,
                                      std::span<const StopPlace> places, BlendSpace blend,
                                      std::size_t n) {
  std::vector<std::uint32_t> rgb(n);
  if (colors.size() < 2 || places.size() != colors.size()) return rgb;
  const auto count = static_cast<std::int64_t>(n);
  // Whether character i sits at or before `place`: i / n <= numerator / denominator.
  const auto atOrBefore = [&](std::size_t i, const StopPlace& place) {
    return static_cast<std::int64_t>(i) * place.denominator <= place.numerator * count;
  };
  std::size_t k = 0;
  std::optional<StopPair> pair;
  for (std::size_t i = 1; i <= n; ++i) {
    if (atOrBefore(i, places.front())) {
      rgb[i - 1] = Packed(colors.front());
    } else if (!atOrBefore(i, places.back())) {
      rgb[i - 1] = Packed(colors.back());
    } else {
      // The first pair whose second stop is at or after the character.
      std::size_t first = k;
      while (!atOrBefore(i, places[first + 1])) ++first;
      if (!pair || first != k) {
        k = first;
        pair.emplace(colors[k], colors[k + 1], places[k], places[k + 1], blend, n);
      }
      rgb[i - 1] = pair->At(i);
    }
  }
  return rgb;
}

}  // namespace tintrix
