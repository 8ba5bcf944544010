#include "engine/stoplines.h"

#include <algorithm>
#include <array>

namespace tintrix::stoplines {

namespace {

// The lines y = a + b x through the points so far of one channel within `kReach` of each,
// as the convex polygon of their (a, b).
class LinePolygon {
 public:
  // Keeps the lines within reach of value v at x; false when none is left.
  bool Add(double x, double v) {
    if (m_points++ == 0) {
      // The lines through the first point's window, with a slope no line through two windows
      // of channel values can exceed: a + b x = v +- reach for b = -+kSteepest.
      constexpr double kSteepest = 512;
      m_corners = {{{v - kReach + kSteepest * x, -kSteepest},
                    {v + kReach + kSteepest * x, -kSteepest},
                    {v + kReach - kSteepest * x, kSteepest},
                    {v - kReach - kSteepest * x, kSteepest}}};
      return true;
    }
    // a + b x <= v + reach, and -(a + b x) <= -(v - reach).
    Clip(x, v + kReach, 1.0);
    Clip(x, -(v - kReach), -1.0);
    return !m_corners.empty();
  }

 private:
  static constexpr double kReach = 0.5 + 1e-6;
  using Point = std::array<double, 2>;  // a, b

  // Keeps the part where sign (a + b x) <= limit.
  void Clip(double x, double limit, double sign) {
    std::vector<Point> kept;
    const auto inside = [&](const Point& p) { return sign * (p[0] + p[1] * x) - limit; };
    for (std::size_t k = 0; k < m_corners.size(); ++k) {
      const Point& from = m_corners[k];
      const Point& to = m_corners[(k + 1) % m_corners.size()];
      const double f = inside(from), t = inside(to);
      if (f <= 0) kept.push_back(from);
      if ((f < 0 && t > 0) || (f > 0 && t < 0)) {
        const double s = f / (f - t);
        kept.push_back({from[0] + s * (to[0] - from[0]), from[1] + s * (to[1] - from[1])});
      }
    }
    m_corners = std::move(kept);
  }

  std::size_t m_points = 0;
  std::vector<Point> m_corners;
};

}  // namespace

Runs RunsOf(const ValueSet& set) {
  Runs runs;
  ForEachValue(set, [&](int v) {
    if (!runs.empty() && runs.back().second == v - 1) {
      runs.back().second = v;
    } else {
      runs.emplace_back(v, v);
    }
  });
  return runs;
}

RunLines LinesAfterOne(const Runs& from, std::int64_t part, int value) {
  RunLines lines;
  for (const auto& [low, high] : from) {
    Line first{low}, last{high};
    first.Narrow(part, value);
    last.Narrow(part, value);
    lines.emplace_back(first, last);
  }
  return lines;
}

ValueSet EndsAfterOne(const RunLines& runs, std::int64_t span) {
  ValueSet ends;
  for (const auto& [first, last] : runs) {
    ends |= Range(last.Bounds(span).first, first.Bounds(span).second);
  }
  return ends;
}

StopText::StopText(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> known)
    : m_rgb(rgb), m_known(known), m_n(static_cast<std::int64_t>(rgb.size())) {
  m_runLast.assign(rgb.size() + 2, 0);
  for (std::int64_t i = m_n; i >= 1; --i) {
    const bool same = i < m_n && Known(i + 1) && Color(i + 1) == Color(i);
    m_runLast[static_cast<std::size_t>(i)] = same ? m_runLast[static_cast<std::size_t>(i + 1)] : i;
  }
}

ValueSet StopText::Reach(int p, int q, const ValueSet& from, int c) const {
  ValueSet ends;
  ForEachValue(from, [&](int v) {
    Line line{v};
    const bool fits = Constraints(Before(p) + 1, Before(q), [&](std::int64_t i) {
      ++m_work;
      return line.Narrow(Part(i, p), Value(i, c));
    });
    if (fits) ends |= line.Ends(Span(p, q));
  });
  return ends;
}

ValueSet StopText::ReachBack(int p, int q, const ValueSet& from, const ValueSet& to, int c) const {
  if (to.none()) return {};
  if (p == q) return from;
  const std::int64_t first = Before(p) + 1, last = Before(q), span = Span(p, q);
  // A few characters spread over the segment first: a line that cannot fit mostly fails on
  // one of them.
  const std::int64_t stride = std::max<std::int64_t>(1, (last - first + 1) / 16);
  const auto fits = [&](Line& line, bool backwards) {
    const auto fit = [&](std::int64_t i) {
      ++m_work;
      const int value = Value(i, c);
      // Backwards, the line starts at the end and a character there is the end itself.
      const std::int64_t part = backwards ? span - Part(i, p) : Part(i, p);
      return part == 0 ? line.start == value : line.Narrow(part, value);
    };
    for (std::int64_t i = first; i <= last; i += stride) {
      if (Known(i) && !fit(i)) return false;
    }
    return Constraints(first, last, fit);
  };
  ValueSet starts;
  if (to.count() <= from.count()) {
    // Lines from each end value back to the start: the segment reads the same either way.
    ForEachValue(to, [&](int v) {
      Line line{v};
      if (fits(line, true)) starts |= line.Ends(span);
    });
    return starts & from;
  }
  int lowest = 255, highest = 0;
  ForEachValue(to, [&](int v) { lowest = std::min(lowest, v), highest = std::max(highest, v); });
  ForEachValue(from, [&](int v) {
    Line line{v, true, {lowest - v, span, true}, {highest - v, span, true}};
    if (fits(line, false) && (line.Ends(span) & to).any()) starts.set(static_cast<std::size_t>(v));
  });
  return starts;
}

std::size_t CountStraightPieces(std::span<const std::uint32_t> rgb,
                                std::span<const std::uint8_t> known, std::size_t first,
                                std::size_t last) {
  std::size_t pieces = 0;
  std::size_t start = 0;  // the first character of the piece, where its places count from
  std::array<LinePolygon, kChannels> lines;
  const auto add = [&](std::size_t i) {
    for (int c = 0; c < kChannels; ++c) {
      const double v = static_cast<double>(rgb[i] >> (16 - 8 * c) & 0xFF);
      if (!lines[static_cast<std::size_t>(c)].Add(static_cast<double>(i - start), v)) {
        return false;
      }
    }
    return true;
  };
  for (std::size_t i = first; i <= last && i < rgb.size(); ++i) {
    if (!known.empty() && known[i] == 0) continue;
    if (pieces == 0 || !add(i)) {
      lines = {};
      start = i;
      ++pieces;
      add(i);
    }
  }
  return pieces;
}

}  // namespace tintrix::stoplines
