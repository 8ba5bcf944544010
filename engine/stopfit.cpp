#include "engine/stopfit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <climits>
#include <cstddef>
#include <map>
#include <utility>

#include "engine/colorcount.h"
#include "engine/colorstops.h"
#include "engine/stoplines.h"

namespace tintrix {

namespace {

using namespace stoplines;

// The work a search may do, in steps of a line against a character or a position: a fixed
// part and a part for each character.
constexpr std::uint64_t kFixedWork = 6'000'000;
constexpr std::uint64_t kWorkPerCharacter = 400;

using Sets = std::array<ValueSet, kChannels>;

int ChannelOf(std::uint32_t rgb, int c) { return static_cast<int>(rgb >> (16 - 8 * c) & 0xFF); }

class StopSearch {
 public:
  // A search among the positions that are multiples of `step` (which divides kStopGrid).
  StopSearch(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> known,
             int mostColors, int step)
      : m_rgb(rgb),
        m_known(known),
        m_n(static_cast<std::int64_t>(rgb.size())),
        m_mostColors(static_cast<std::size_t>(std::clamp(mostColors, 0, kMaxFadeColors))),
        m_step(step),
        m_budget(kFixedWork + kWorkPerCharacter * rgb.size()) {}

  std::optional<StopFit> Run();

  // The fewest colours any fit can have (set by Run): no search finds fewer.
  std::size_t least() const { return m_least; }

 private:
  bool Known(std::int64_t i) const {
    return m_known.empty() || m_known[static_cast<std::size_t>(i - 1)] != 0;
  }
  int Value(std::int64_t i, int c) const {
    return ChannelOf(m_rgb[static_cast<std::size_t>(i - 1)], c);
  }
  // The characters at or before position p: i / n <= p / 1000.
  std::int64_t Before(int p) const { return p * m_n / kStopGrid; }
  std::int64_t Part(std::int64_t i, int p) const { return kStopGrid * i - p * m_n; }
  std::int64_t Span(int p, int q) const { return (q - p) * m_n; }

  // Calls fit(i) for the known characters from first to last that narrow a line: in each run
  // of one colour only its first and last, as the characters between narrow it no further
  // (a bound from a value at parts d between two others lies between theirs). False as soon
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

  // Sweeps the segments from a stop at p whose channels may start at `from`, adding to
  // next[q] the values each channel may end with at every later q where all three may end.
  // False when the work ran out.
  bool Sweep(int p, const Sets& from, std::vector<std::optional<Sets>>& next);

  // Channel c's values at q reachable from `from` at p, or the values in `from` from which a
  // value in `to` at q is reachable (backwards).
  ValueSet Reach(int p, int q, const ValueSet& from, int c);
  ValueSet ReachBack(int p, int q, const ValueSet& from, const ValueSet& to, int c);

  // The positions of a fit of `level` colours whose last is at q with values in `target`,
  // first to last, searched backwards through the kept states.
  bool Path(std::size_t level, int q, const Sets& target, std::vector<int>& path);

  std::optional<StopFit> Finish(const std::vector<int>& path, const Sets& last);

  std::span<const std::uint32_t> m_rgb;
  std::span<const std::uint8_t> m_known;
  std::int64_t m_n;
  std::size_t m_mostColors;
  int m_step;
  std::size_t m_least = 2;
  std::uint64_t m_budget;
  // For each known character (from 1), the last of the run of known characters of its colour.
  std::vector<std::int64_t> m_runLast;
  std::uint64_t m_work = 0;
  // m_states[k][p]: the values of colour k + 1 at position p, when it can be there.
  std::vector<std::vector<std::optional<Sets>>> m_states;
  // The backward searches that failed, by level and position, with their targets.
  std::map<std::pair<std::size_t, int>, std::vector<Sets>> m_failed;
  std::int64_t m_firstOther = 0;  // the first known character unlike the first known one
  std::int64_t m_lastOther = 0;   // the last known character unlike the last known one
  std::uint32_t m_first = 0;
  std::uint32_t m_last = 0;
};

bool StopSearch::Sweep(int p, const Sets& from, std::vector<std::optional<Sets>>& next) {
  std::array<std::vector<Line>, kChannels> lines;
  for (std::size_t c = 0; c < kChannels; ++c) {
    ForEachValue(from[c], [&](int v) { lines[c].push_back({v}); });
  }
  const Sets all{Range(0, 255), Range(0, 255), Range(0, 255)};
  const std::array<Runs, kChannels> runs{RunsOf(from[0]), RunsOf(from[1]), RunsOf(from[2])};
  // The known characters in the segment so far, and the part and values of the first.
  int seen = 0;
  std::array<RunLines, kChannels> afterOne;
  std::int64_t i = Before(p) + 1;
  for (int q = p + m_step; q <= kStopGrid; q += m_step) {
    const std::int64_t last = Before(q);
    const bool alive = Constraints(i, last, [&](std::int64_t k) {
      const std::int64_t part = Part(k, p);
      ++seen;
      for (std::size_t c = 0; c < kChannels; ++c) {
        m_work += lines[c].size();
        const int value = Value(k, static_cast<int>(c));
        if (seen == 1) afterOne[c] = LinesAfterOne(runs[c], part, value);
        std::erase_if(lines[c], [&](Line& line) { return !line.Narrow(part, value); });
        if (lines[c].empty()) return false;
      }
      return true;
    });
    if (!alive) return true;
    i = last + 1;
    std::optional<Sets>& state = next[static_cast<std::size_t>(q)];
    ++m_work;
    if (seen == 0) {
      state = all;
      continue;
    }
    // Nothing to add where every channel may already take every value.
    if (state && (*state)[0].all() && (*state)[1].all() && (*state)[2].all()) continue;
    Sets ends;
    bool fits = true;
    for (std::size_t c = 0; c < kChannels && fits; ++c) {
      if (seen == 1) {
        m_work += runs[c].size();
        ends[c] = EndsAfterOne(afterOne[c], Span(p, q));
      } else {
        // Where the channel may already take every value, only whether it may end at all
        // matters.
        const bool full = state && (*state)[c].all();
        for (const Line& line : lines[c]) {
          ++m_work;
          ends[c] |= line.Ends(Span(p, q));
          if (ends[c].all() || (full && ends[c].any())) break;
        }
      }
      fits = ends[c].any();
    }
    if (fits) {
      if (!state) state.emplace();
      for (std::size_t c = 0; c < kChannels; ++c) (*state)[c] |= ends[c];
    }
    if (m_work > m_budget) return false;
  }
  return true;
}

ValueSet StopSearch::Reach(int p, int q, const ValueSet& from, int c) {
  ValueSet ends;
  ForEachValue(from, [&](int v) {
    Line line{v};
    const bool fits = Constraints(Before(p) + 1, Before(q), [&](std::int64_t i) {
      return line.Narrow(Part(i, p), Value(i, c));
    });
    if (fits) ends |= line.Ends(Span(p, q));
  });
  return ends;
}

ValueSet StopSearch::ReachBack(int p, int q, const ValueSet& from, const ValueSet& to, int c) {
  if (to.none()) return {};
  if (p == q) return from;  // a hard edge: any start, any end
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

bool StopSearch::Path(std::size_t level, int q, const Sets& target, std::vector<int>& path) {
  if (m_work > m_budget) return false;
  const Sets& here = *m_states[level - 1][static_cast<std::size_t>(q)];
  if (level == 1) {
    for (std::size_t c = 0; c < kChannels; ++c) {
      if ((here[c] & target[c]).none()) return false;
    }
    path.push_back(q);
    return true;
  }
  std::vector<Sets>& failed = m_failed[{level, q}];
  m_work += failed.size();
  const auto covered = [&](const Sets& sets) {
    return std::any_of(failed.begin(), failed.end(), [&](const Sets& f) {
      for (std::size_t c = 0; c < kChannels; ++c) {
        if ((sets[c] & ~f[c]).any()) return false;
      }
      return true;
    });
  };
  if (covered(target)) return false;
  for (int p = 0; p <= q && m_work <= m_budget; p += m_step) {
    const std::optional<Sets>& before = m_states[level - 2][static_cast<std::size_t>(p)];
    if (!before) continue;
    Sets starts;
    bool fits = true;
    for (int c = 0; c < kChannels && fits; ++c) {
      const auto k = static_cast<std::size_t>(c);
      starts[k] = ReachBack(p, q, (*before)[k], target[k], c);
      fits = starts[k].any();
    }
    if (fits && Path(level - 1, p, starts, path)) {
      path.push_back(q);
      return true;
    }
  }
  // The most recent failures only: a long list would cost more to search than it saves.
  constexpr std::size_t kMostFailures = 32;
  if (failed.size() == kMostFailures) failed.erase(failed.begin());
  failed.push_back(target);
  return false;
}

std::optional<StopFit> StopSearch::Finish(const std::vector<int>& path, const Sets& last) {
  const std::size_t count = path.size();
  StopFit fit;
  fit.positions = path;
  fit.colors.resize(count);
  for (int c = 0; c < kChannels; ++c) {
    // The values each colour may take along this path, forwards, then one chosen backwards.
    std::vector<ValueSet> reach(count);
    reach[0] = (*m_states[0][static_cast<std::size_t>(path[0])])[static_cast<std::size_t>(c)];
    for (std::size_t k = 1; k < count; ++k) reach[k] = Reach(path[k - 1], path[k], reach[k - 1], c);
    reach[count - 1] &= last[static_cast<std::size_t>(c)];
    std::vector<int> values(count, -1);
    for (std::size_t k = count; k-- > 0;) {
      ValueSet allowed = reach[k];
      if (k + 1 < count) {
        ValueSet next;
        next.set(static_cast<std::size_t>(values[k + 1]));
        allowed &= ReachBack(path[k], path[k + 1], reach[k], next, c);
      }
      for (int v = 0; v < 256 && values[k] < 0; ++v) {
        if (allowed[static_cast<std::size_t>(v)]) values[k] = v;
      }
      if (values[k] < 0) return std::nullopt;
    }
    for (std::size_t k = 0; k < count; ++k) {
      (c == 0 ? fit.colors[k].red : c == 1 ? fit.colors[k].green : fit.colors[k].blue) = values[k];
    }
  }
  // The fade itself has the last word.
  std::vector<std::optional<int>> positions(path.begin(), path.end());
  const StatusOr<std::vector<StopPlace>> places = PlaceStops(positions);
  if (!places.ok()) return std::nullopt;
  const std::vector<std::uint32_t> made =
      StopColors(fit.colors, *places, BlendSpace::kRgb, m_rgb.size());
  for (std::int64_t i = 1; i <= m_n; ++i) {
    if (Known(i) && made[static_cast<std::size_t>(i - 1)] != m_rgb[static_cast<std::size_t>(i - 1)])
      return std::nullopt;
  }
  return fit;
}

std::optional<StopFit> StopSearch::Run() {
  std::vector<std::int64_t> known;
  for (std::int64_t i = 1; i <= m_n; ++i) {
    if (Known(i)) known.push_back(i);
  }
  if (known.empty()) return std::nullopt;
  m_runLast.assign(static_cast<std::size_t>(m_n) + 2, 0);
  for (std::int64_t i = m_n; i >= 1; --i) {
    const bool same = i < m_n && Known(i + 1) &&
                      m_rgb[static_cast<std::size_t>(i)] == m_rgb[static_cast<std::size_t>(i - 1)];
    m_runLast[static_cast<std::size_t>(i)] = same ? m_runLast[static_cast<std::size_t>(i + 1)] : i;
  }
  m_first = m_rgb[static_cast<std::size_t>(known.front() - 1)];
  m_last = m_rgb[static_cast<std::size_t>(known.back() - 1)];
  m_firstOther = m_n + 1;
  for (const std::int64_t i : known) {
    if (m_rgb[static_cast<std::size_t>(i - 1)] != m_first) {
      m_firstOther = i;
      break;
    }
  }
  for (auto i = known.rbegin(); i != known.rend(); ++i) {
    if (m_rgb[static_cast<std::size_t>(*i - 1)] != m_last) {
      m_lastOther = *i;
      break;
    }
  }
  // Each segment between two stops rounds a straight line, and the colours before the first
  // stop and after the last are one each: the characters from the first unlike the first
  // to the last unlike the last need at least as many segments as they have straight pieces.
  m_least = std::max<std::size_t>(
      2, 1 + (m_firstOther <= m_lastOther
                  ? CountStraightPieces(m_rgb, m_known, static_cast<std::size_t>(m_firstOther - 1),
                                        static_cast<std::size_t>(m_lastOther - 1))
                  : 0));
  if (m_least > m_mostColors) return std::nullopt;
  const auto single = [](std::uint32_t rgb) {
    Sets sets;
    for (int c = 0; c < kChannels; ++c)
      sets[static_cast<std::size_t>(c)].set(static_cast<std::size_t>(ChannelOf(rgb, c)));
    return sets;
  };
  const Sets all{Range(0, 255), Range(0, 255), Range(0, 255)};
  // The first level that holds every value at a position from a hard edge (or from nothing
  // before it): a later state there can do nothing that one cannot.
  std::array<std::size_t, kStopGrid + 1> free{};
  free.fill(SIZE_MAX);
  m_states.emplace_back(kStopGrid + 1);
  for (int p = 0; p <= kStopGrid && Before(p) < m_firstOther; p += m_step) {
    const bool seen = Before(p) >= known.front();
    m_states[0][static_cast<std::size_t>(p)] = seen ? single(m_first) : all;
    if (!seen) free[static_cast<std::size_t>(p)] = 1;
  }
  for (std::size_t level = 1; level <= m_mostColors; ++level) {
    if (level >= m_least) {
      for (int q = kStopGrid; q >= 0; q -= m_step) {
        const std::optional<Sets>& state = m_states[level - 1][static_cast<std::size_t>(q)];
        if (!state || Before(q) < m_lastOther) continue;
        const Sets target = Before(q) < known.back() ? single(m_last) : all;
        std::vector<int> path;
        if (Path(level, q, target, path)) {
          if (std::optional<StopFit> fit = Finish(path, target)) return fit;
        }
        if (m_work > m_budget) return std::nullopt;
      }
    }
    if (level == m_mostColors) break;
    std::vector<std::optional<Sets>> next(kStopGrid + 1);
    bool any = false;
    for (int p = 0; p <= kStopGrid; p += m_step) {
      const std::optional<Sets>& state = m_states[level - 1][static_cast<std::size_t>(p)];
      if (!state || free[static_cast<std::size_t>(p)] < level) continue;
      next[static_cast<std::size_t>(p)] = all;  // a hard edge: two colours at one place
      free[static_cast<std::size_t>(p)] = std::min(free[static_cast<std::size_t>(p)], level + 1);
      any = true;
      if (!Sweep(p, *state, next)) return std::nullopt;
    }
    if (!any) break;
    m_states.push_back(std::move(next));
  }
  return std::nullopt;
}

}  // namespace

std::optional<StopFit> FitStops(std::span<const std::uint32_t> rgb,
                                std::span<const std::uint8_t> known, int mostColors) {
  if (rgb.empty() || mostColors < 2) return std::nullopt;
  // With fewer characters than places, most places are alike: a search among every tenth
  // (a whole percent) often finds a fit with as few colours as any can have, at a hundredth
  // of the cost; else the search among all looks for one with fewer than it found.
  constexpr int kCoarseStep = 10;
  if (rgb.size() < static_cast<std::size_t>(kStopGrid)) {
    StopSearch coarse(rgb, known, mostColors, kCoarseStep);
    std::optional<StopFit> fit = coarse.Run();
    const int fewer = fit ? static_cast<int>(fit->colors.size()) - 1 : mostColors;
    if ((fit && fit->colors.size() <= coarse.least()) ||
        static_cast<std::size_t>(fewer) < coarse.least()) {
      return fit;
    }
    if (std::optional<StopFit> better = StopSearch(rgb, known, fewer, 1).Run()) return better;
    return fit;
  }
  return StopSearch(rgb, known, mostColors, 1).Run();
}

}  // namespace tintrix
