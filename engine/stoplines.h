#pragma once

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "engine/colorstops.h"

// The arithmetic of the stop fit (FitStops): which lines of one channel give a segment's
// characters their values exactly as StopColors rounds them, and how few straight pieces the
// characters can be cut into at all.

namespace tintrix::stoplines {

inline constexpr int kChannels = 3;

// A set of channel values, 0 ... 255.
using ValueSet = std::bitset<256>;

// The values from low to high, held to 0 ... 255; empty when low > high.
inline ValueSet Range(std::int64_t low, std::int64_t high) {
  low = std::max<std::int64_t>(low, 0), high = std::min<std::int64_t>(high, 255);
  if (low > high) return {};
  return ~ValueSet() >> static_cast<std::size_t>(255 - (high - low))
                            << static_cast<std::size_t>(low);
}

// Calls visit(v) for each value v in `set`, in order.
template <typename Visit>
void ForEachValue(const ValueSet& set, const Visit& visit) {
  constexpr std::size_t kWord = 64;
  const ValueSet mask(~0ULL);
  for (std::size_t word = 0; word < 256 / kWord; ++word) {
    std::uint64_t bits = ((set >> (kWord * word)) & mask).to_ullong();
    while (bits != 0) {
      visit(static_cast<int>(kWord * word) + std::countr_zero(bits));
      bits &= bits - 1;
    }
  }
}

// The runs of consecutive values of a set, each its first and last.
using Runs = std::vector<std::pair<int, int>>;
Runs RunsOf(const ValueSet& set);

// A bound on a slope: numerator / denominator (denominator > 0), itself allowed or not.
struct Bound {
  std::int64_t numerator;
  std::int64_t denominator;
  bool inclusive;

  // -1, 0 or 1 as this is below, at or above `other`.
  int Compare(const Bound& other) const {
    const std::int64_t left = numerator * other.denominator;
    const std::int64_t right = other.numerator * denominator;
    return left < right ? -1 : left > right ? 1 : 0;
  }
};

// a / b rounded down and up; b > 0.
inline std::int64_t FloorQuotient(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}
inline std::int64_t CeilQuotient(std::int64_t a, std::int64_t b) {
  return a / b + (a % b != 0 && a > 0 ? 1 : 0);
}

// A segment runs from a stop to the next; a character's part is its distance from the
// segment's start and the span the next stop's, both in the same unit (for the stop fit,
// 1 / (1000 n) of the text: 1000 i - p n and (q - p) n). A line of one channel leaves the
// start at value `start`; the character at part d takes round(start + slope * d), a half to
// the even neighbour, as StopColors rounds.
struct Line {
  int start;
  bool bounded = false;  // a character has narrowed the slopes
  Bound lo{0, 1, true};  // the slopes left lie between lo and hi
  Bound hi{0, 1, true};

  // Keeps the slopes that give `value` at `part` (> 0); false when none is left.
  bool Narrow(std::int64_t part, int value) {
    // A half rounds to the even neighbour: the window's ends count for an even value only.
    const bool even = value % 2 == 0;
    const Bound lower{2 * (value - start) - 1, 2 * part, even};
    const Bound upper{2 * (value - start) + 1, 2 * part, even};
    if (!bounded) {
      lo = lower, hi = upper, bounded = true;
    } else {
      const int below = lower.Compare(lo), above = upper.Compare(hi);
      if (below > 0 || (below == 0 && !lower.inclusive)) lo = lower;
      if (above < 0 || (above == 0 && !upper.inclusive)) hi = upper;
    }
    const int order = lo.Compare(hi);
    return order < 0 || (order == 0 && lo.inclusive && hi.inclusive);
  }

  // The lowest and highest whole end value at `span` of the slopes left, before they are held
  // to 0 ... 255; the lowest is above the highest when there is none. Every value when no
  // character narrowed the slopes.
  std::pair<std::int64_t, std::int64_t> Bounds(std::int64_t span) const {
    if (!bounded) return {0, 255};
    std::int64_t low = CeilQuotient(lo.numerator * span, lo.denominator);
    if (!lo.inclusive && low * lo.denominator == lo.numerator * span) ++low;
    std::int64_t high = FloorQuotient(hi.numerator * span, hi.denominator);
    if (!hi.inclusive && high * hi.denominator == hi.numerator * span) --high;
    return {start + low, start + high};
  }

  ValueSet Ends(std::int64_t span) const {
    const auto [low, high] = Bounds(span);
    return Range(low, high);
  }
};

// The lines of the first and the last start of each run of starts in a segment that holds
// one known character so far, `value` at `part`: a run's ends at any later span are
// EndsAfterOne's.
using RunLines = std::vector<std::pair<Line, Line>>;
RunLines LinesAfterOne(const Runs& from, std::int64_t part, int value);

// The end values at `span` (>= the character's part) of lines from any start of the runs.
// Every start fits one character, and the ends of start v lie around v (1 - r) + value r with
// r = span / part >= 1, a window at least one value wide that moves by r - 1 from one start
// to the next: the windows of a run's starts overlap, so its ends are all the values from its
// last start's lowest end to its first start's highest.
ValueSet EndsAfterOne(const RunLines& runs, std::int64_t span);

// The colours of a text as the stop fit sees them: characters from 1 to size(), positions on
// the grid of tenths of a percent, a segment from a stop at p to one at q holding the
// characters after Before(p) up to Before(q). Counts its own work (work()).
class StopText {
 public:
  // `rgb` and `known` as FitStops takes them; both must outlive the text.
  StopText(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> known);

  std::int64_t size() const { return m_n; }
  std::span<const std::uint32_t> colors() const { return m_rgb; }
  std::span<const std::uint8_t> known() const { return m_known; }
  bool Known(std::int64_t i) const {
    return m_known.empty() || m_known[static_cast<std::size_t>(i - 1)] != 0;
  }
  std::uint32_t Color(std::int64_t i) const { return m_rgb[static_cast<std::size_t>(i - 1)]; }
  // Channel c (0 red, 1 green, 2 blue) of character i.
  int Value(std::int64_t i, int c) const {
    return static_cast<int>(Color(i) >> (16 - 8 * c) & 0xFF);
  }
  // The characters at or before position p: i / n <= p / 1000.
  std::int64_t Before(int p) const { return p * m_n / kStopGrid; }
  // Character i's distance from a stop at p, and a stop at q's, in 1 / (1000 n) of the text.
  std::int64_t Part(std::int64_t i, int p) const { return kStopGrid * i - p * m_n; }
  std::int64_t Span(int p, int q) const { return (q - p) * m_n; }

  // Calls fit(i) for the known characters from first to last that narrow a line: in each run
  // of one colour only its first and last, as the characters between narrow it no further
  // (the bound from a value at a part between two others' lies between theirs). False as soon
  // as fit is.
  template <typename Fit>
  bool Constraints(std::int64_t first, std::int64_t last, const Fit& fit) const {
    for (std::int64_t i = first; i <= last;) {
      if (!Known(i)) {
        ++i;
        continue;
      }
      const std::int64_t end = std::min(m_runLast[static_cast<std::size_t>(i)], last);
      if (!fit(i) || (end > i && !fit(end))) return false;
      i = end + 1;
    }
    return true;
  }

  // Channel c's values at q that lines from the values `from` at p reach through the segment.
  ValueSet Reach(int p, int q, const ValueSet& from, int c) const;

  // The values in `from` at p from which a line through the segment reaches a value in `to`
  // at q; every value of `from` for a hard edge (p == q).
  ValueSet ReachBack(int p, int q, const ValueSet& from, const ValueSet& to, int c) const;

  std::uint64_t work() const { return m_work; }

 private:
  std::span<const std::uint32_t> m_rgb;
  std::span<const std::uint8_t> m_known;
  std::int64_t m_n;
  // For each known character (from 1), the last of the run of known characters of its colour.
  std::vector<std::int64_t> m_runLast;
  mutable std::uint64_t m_work = 0;
};

// The fewest pieces the known characters from `first` to `last` (indexes into rgb, 0xRRGGBB)
// can be cut into such that in each piece every channel lies within 1/2 of some straight line
// through the characters' places: a lower bound on the segments a stop fit needs there, as
// each segment's characters round a straight line. known[i] 0 leaves character i out; an
// empty `known` knows them all. Greedy, which is fewest for pieces whose parts are pieces too;
// in double precision with a margin that can only merge pieces, never part them.
std::size_t CountStraightPieces(std::span<const std::uint32_t> rgb,
                                std::span<const std::uint8_t> known, std::size_t first,
                                std::size_t last);

}  // namespace tintrix::stoplines
