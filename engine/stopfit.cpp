#include "engine/stopfit.h"

#include <algorithm>
#include <array>
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
// The values each channel of a colour may have at each position; none where it cannot be.
using States = std::vector<std::optional<Sets>>;

Sets AllValues() { return {Range(0, 255), Range(0, 255), Range(0, 255)}; }

Sets Single(const StopText& text, std::int64_t i) {
  Sets sets;
  for (int c = 0; c < kChannels; ++c) {
    sets[static_cast<std::size_t>(c)].set(static_cast<std::size_t>(text.Value(i, c)));
  }
  return sets;
}

bool AllFull(const std::optional<Sets>& state) {
  return state && (*state)[0].all() && (*state)[1].all() && (*state)[2].all();
}

// The lines of one segment from a stop at p, narrowed by its characters as they come. One
// character narrows no start away; the lines themselves are made at the second, and only for
// the starts whose slopes through the two can meet.
class SegmentSweep {
 public:
  SegmentSweep(const StopText& text, int p, const Sets& from) : m_text(text), m_p(p) {
    for (std::size_t c = 0; c < kChannels; ++c) m_runs[c] = RunsOf(from[c]);
  }

  bool seen() const { return m_seen > 0; }

  // Narrows the lines by character k, later than those before; false when a channel has none
  // left.
  bool Add(std::int64_t k, std::uint64_t& work) {
    const std::int64_t part = m_text.Part(k, m_p);
    ++m_seen;
    for (std::size_t c = 0; c < kChannels; ++c) {
      const int value = m_text.Value(k, static_cast<int>(c));
      if (m_seen == 1) {
        m_afterOne[c] = LinesAfterOne(m_runs[c], part, value);
        m_first[c] = value;
        work += m_runs[c].size();
        continue;
      }
      if (m_seen == 2) {
        MakeLines(c, part, value, work);
      } else {
        work += m_lines[c].size();
        std::erase_if(m_lines[c], [&](Line& line) { return !line.Narrow(part, value); });
      }
      if (m_lines[c].empty()) return false;
    }
    if (m_seen == 1) m_firstPart = part;
    return true;
  }

  // Adds to `state` the values each channel may end with at q, when every channel may.
  void AddEnds(int q, std::optional<Sets>& state, std::uint64_t& work) const {
    const std::int64_t span = m_text.Span(m_p, q);
    Sets ends;
    for (std::size_t c = 0; c < kChannels; ++c) {
      if (m_seen == 1) {
        work += m_runs[c].size();
        ends[c] = EndsAfterOne(m_afterOne[c], span);
      } else {
        // Where the channel may already take every value, only whether it may end matters.
        const bool full = state && (*state)[c].all();
        for (const Line& line : m_lines[c]) {
          ++work;
          ends[c] |= line.Ends(span);
          if (ends[c].all() || (full && ends[c].any())) break;
        }
      }
      if (ends[c].none()) return;
    }
    if (!state) state.emplace();
    for (std::size_t c = 0; c < kChannels; ++c) (*state)[c] |= ends[c];
  }

 private:
  // The lines of channel c through the first character and this second one, `value` at
  // `part`: a start v has slopes through both only for v within (d2 (v1 -+ 1/2) - d1 (v2 +- 1/2))
  // / (d2 - d1), which bounds the starts tried (by one more either way) before each is narrowed
  // exactly.
  void MakeLines(std::size_t c, std::int64_t part, int value, std::uint64_t& work) {
    const std::int64_t d1 = m_firstPart, d2 = part, v1 = m_first[c], v2 = value;
    const std::int64_t apart = 2 * (d2 - d1);
    const std::int64_t low = FloorQuotient(d2 * (2 * v1 - 1) - d1 * (2 * v2 + 1), apart) - 1;
    const std::int64_t high = CeilQuotient(d2 * (2 * v1 + 1) - d1 * (2 * v2 - 1), apart) + 1;
    for (const auto& [first, last] : m_runs[c]) {
      for (std::int64_t v = std::max<std::int64_t>(first, low);
           v <= std::min<std::int64_t>(last, high); ++v) {
        ++work;
        Line line{static_cast<int>(v)};
        if (line.Narrow(d1, m_first[c]) && line.Narrow(d2, value)) m_lines[c].push_back(line);
      }
    }
  }

  const StopText& m_text;
  int m_p;
  std::array<std::vector<Line>, kChannels> m_lines;
  std::array<Runs, kChannels> m_runs;
  std::array<RunLines, kChannels> m_afterOne;
  int m_seen = 0;                        // the known characters narrowed by so far
  std::int64_t m_firstPart = 0;          // the first one's part
  std::array<int, kChannels> m_first{};  // and values
};

class StopSearch {
 public:
  // A search among the positions that are multiples of `step` (which divides kStopGrid).
  StopSearch(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> known,
             int mostColors, int step)
      : m_text(rgb, known),
        m_mostColors(static_cast<std::size_t>(std::clamp(mostColors, 0, kMaxFadeColors))),
        m_step(step),
        m_budget(kFixedWork + kWorkPerCharacter * rgb.size()) {}

  std::optional<StopFit> Run();

  // The fewest colours any fit can have (set by Run): no search finds fewer.
  std::size_t least() const { return m_least; }

 private:
  bool OutOfWork() const { return m_work + m_text.work() > m_budget; }

  // Finds the text's first and last colours and the fewest colours a fit needs; false when
  // no character is known or that is more than the most allowed.
  bool Prepare();

  // The first colour's states: every position up to the first character unlike the first.
  void FirstLevel();

  // A fit of `level` colours among the states kept, if one is found.
  std::optional<StopFit> FitAt(std::size_t level);

  // The states of colour level + 1; false when the work ran out.
  bool Expand(std::size_t level, States& next);

  // Sweeps the segments from a stop at p whose channels may start at `from`, adding to next[q]
  // the values each channel may end with at every later q where all three may end. False when
  // the work ran out.
  bool Sweep(int p, const Sets& from, States& next);

  // The positions of a fit of `level` colours whose last is at q with values in `target`,
  // first to last, searched backwards through the kept states.
  bool Path(std::size_t level, int q, const Sets& target, std::vector<int>& path);
  bool Failed(std::size_t level, int q, const Sets& target) const;
  void NoteFailure(std::size_t level, int q, const Sets& target);

  // The values along `path` of channel c, the last among `last`: for each colour, one that
  // goes on to the next's.
  std::optional<std::vector<int>> ChannelValues(const std::vector<int>& path, const ValueSet& last,
                                                int c) const;
  std::optional<StopFit> Finish(const std::vector<int>& path, const Sets& last) const;
  bool Makes(const StopFit& fit) const;

  StopText m_text;
  std::size_t m_mostColors;
  int m_step;
  std::uint64_t m_budget;
  std::uint64_t m_work = 0;
  std::size_t m_least = 2;
  std::int64_t m_firstKnown = 0;  // the first and the last known characters
  std::int64_t m_lastKnown = 0;
  std::int64_t m_firstOther = 0;  // the first known character unlike the first known one
  std::int64_t m_lastOther = 0;   // the last known character unlike the last known one
  // m_states[k][p]: the values of colour k + 1 at position p, when it can be there.
  std::vector<States> m_states;
  // The first level at each position that holds every value from a hard edge (or from
  // nothing before it): a later state there can do nothing that one cannot.
  std::array<std::size_t, kStopGrid + 1> m_free{};
  // The backward searches that failed, by level and position, with their targets.
  std::map<std::pair<std::size_t, int>, std::vector<Sets>> m_failed;
};

bool StopSearch::Sweep(int p, const Sets& from, States& next) {
  SegmentSweep sweep(m_text, p, from);
  std::int64_t i = m_text.Before(p) + 1;
  for (int q = p + m_step; q <= kStopGrid; q += m_step) {
    const std::int64_t last = m_text.Before(q);
    if (!m_text.Constraints(i, last, [&](std::int64_t k) { return sweep.Add(k, m_work); })) {
      return true;
    }
    i = last + 1;
    std::optional<Sets>& state = next[static_cast<std::size_t>(q)];
    ++m_work;
    if (!sweep.seen()) {
      state = AllValues();
    } else if (!AllFull(state)) {
      sweep.AddEnds(q, state, m_work);
    }
    if (OutOfWork()) return false;
  }
  return true;
}

bool StopSearch::Failed(std::size_t level, int q, const Sets& target) const {
  const auto at = m_failed.find({level, q});
  if (at == m_failed.end()) return false;
  return std::any_of(at->second.begin(), at->second.end(), [&](const Sets& failed) {
    for (std::size_t c = 0; c < kChannels; ++c) {
      if ((target[c] & ~failed[c]).any()) return false;
    }
    return true;
  });
}

void StopSearch::NoteFailure(std::size_t level, int q, const Sets& target) {
  // The most recent failures only: a long list would cost more to search than it saves.
  constexpr std::size_t kMostFailures = 32;
  std::vector<Sets>& failed = m_failed[{level, q}];
  m_work += failed.size();
  if (failed.size() == kMostFailures) failed.erase(failed.begin());
  failed.push_back(target);
}

bool StopSearch::Path(std::size_t level, int q, const Sets& target, std::vector<int>& path) {
  if (OutOfWork()) return false;
  if (level == 1) {
    const Sets& here = *m_states[0][static_cast<std::size_t>(q)];
    for (std::size_t c = 0; c < kChannels; ++c) {
      if ((here[c] & target[c]).none()) return false;
    }
    path.push_back(q);
    return true;
  }
  if (Failed(level, q, target)) return false;
  for (int p = 0; p <= q && !OutOfWork(); p += m_step) {
    const std::optional<Sets>& before = m_states[level - 2][static_cast<std::size_t>(p)];
    if (!before) continue;
    Sets starts;
    bool fits = true;
    for (std::size_t c = 0; c < kChannels && fits; ++c) {
      starts[c] = m_text.ReachBack(p, q, (*before)[c], target[c], static_cast<int>(c));
      fits = starts[c].any();
    }
    if (fits && Path(level - 1, p, starts, path)) {
      path.push_back(q);
      return true;
    }
  }
  NoteFailure(level, q, target);
  return false;
}

std::optional<std::vector<int>> StopSearch::ChannelValues(const std::vector<int>& path,
                                                          const ValueSet& last, int c) const {
  const std::size_t count = path.size();
  // The values each colour may take along this path, forwards, then one chosen backwards.
  std::vector<ValueSet> reach(count);
  reach[0] = (*m_states[0][static_cast<std::size_t>(path[0])])[static_cast<std::size_t>(c)];
  for (std::size_t k = 1; k < count; ++k) {
    reach[k] = m_text.Reach(path[k - 1], path[k], reach[k - 1], c);
  }
  reach[count - 1] &= last;
  std::vector<int> values(count, -1);
  for (std::size_t k = count; k-- > 0;) {
    ValueSet allowed = reach[k];
    if (k + 1 < count) {
      ValueSet next;
      next.set(static_cast<std::size_t>(values[k + 1]));
      allowed &= m_text.ReachBack(path[k], path[k + 1], reach[k], next, c);
    }
    if (allowed.none()) return std::nullopt;
    ForEachValue(allowed, [&](int v) { values[k] = values[k] < 0 ? v : values[k]; });
  }
  return values;
}

bool StopSearch::Makes(const StopFit& fit) const {
  const std::vector<std::optional<int>> positions(fit.positions.begin(), fit.positions.end());
  const StatusOr<std::vector<StopPlace>> places = PlaceStops(positions);
  if (!places.ok()) return false;
  const std::vector<std::uint32_t> made =
      StopColors(fit.colors, *places, BlendSpace::kRgb, static_cast<std::size_t>(m_text.size()));
  for (std::int64_t i = 1; i <= m_text.size(); ++i) {
    if (m_text.Known(i) && made[static_cast<std::size_t>(i - 1)] != m_text.Color(i)) return false;
  }
  return true;
}

std::optional<StopFit> StopSearch::Finish(const std::vector<int>& path, const Sets& last) const {
  StopFit fit;
  fit.positions = path;
  fit.colors.resize(path.size());
  for (int c = 0; c < kChannels; ++c) {
    const std::optional<std::vector<int>> values =
        ChannelValues(path, last[static_cast<std::size_t>(c)], c);
    if (!values) return std::nullopt;
    for (std::size_t k = 0; k < path.size(); ++k) {
      Channels& color = fit.colors[k];
      (c == 0 ? color.red : c == 1 ? color.green : color.blue) = (*values)[k];
    }
  }
  // The fade itself has the last word.
  if (!Makes(fit)) return std::nullopt;
  return fit;
}

bool StopSearch::Prepare() {
  for (std::int64_t i = 1; i <= m_text.size(); ++i) {
    if (!m_text.Known(i)) continue;
    if (m_firstKnown == 0) m_firstKnown = i;
    m_lastKnown = i;
  }
  if (m_firstKnown == 0) return false;
  m_firstOther = m_text.size() + 1;
  for (std::int64_t i = m_firstKnown; i <= m_text.size(); ++i) {
    if (m_text.Known(i) && m_text.Color(i) != m_text.Color(m_firstKnown)) {
      m_firstOther = i;
      break;
    }
  }
  for (std::int64_t i = m_lastKnown; i >= 1 && m_lastOther == 0; --i) {
    if (m_text.Known(i) && m_text.Color(i) != m_text.Color(m_lastKnown)) m_lastOther = i;
  }
  // Each segment between two stops rounds a straight line, and the colours before the first
  // stop and after the last are one each: the characters from the first unlike the first to
  // the last unlike the last need at least as many segments as they have straight pieces.
  std::size_t pieces = 0;
  if (m_firstOther <= m_lastOther) {
    pieces = CountStraightPieces(m_text.colors(), m_text.known(),
                                 static_cast<std::size_t>(m_firstOther - 1),
                                 static_cast<std::size_t>(m_lastOther - 1));
  }
  m_least = std::max<std::size_t>(2, 1 + pieces);
  return m_least <= m_mostColors;
}

void StopSearch::FirstLevel() {
  m_free.fill(SIZE_MAX);
  m_states.emplace_back(kStopGrid + 1);
  for (int p = 0; p <= kStopGrid && m_text.Before(p) < m_firstOther; p += m_step) {
    const bool seen = m_text.Before(p) >= m_firstKnown;
    m_states[0][static_cast<std::size_t>(p)] = seen ? Single(m_text, m_firstKnown) : AllValues();
    if (!seen) m_free[static_cast<std::size_t>(p)] = 1;
  }
}

std::optional<StopFit> StopSearch::FitAt(std::size_t level) {
  // The last colour's position from the end back: the characters after it are all its own.
  for (int q = kStopGrid; q >= 0 && m_text.Before(q) >= m_lastOther; q -= m_step) {
    if (!m_states[level - 1][static_cast<std::size_t>(q)]) continue;
    const Sets target = m_text.Before(q) < m_lastKnown ? Single(m_text, m_lastKnown) : AllValues();
    std::vector<int> path;
    if (Path(level, q, target, path)) {
      if (std::optional<StopFit> fit = Finish(path, target)) return fit;
    }
    if (OutOfWork()) break;
  }
  return std::nullopt;
}

bool StopSearch::Expand(std::size_t level, States& next) {
  for (int p = 0; p <= kStopGrid; p += m_step) {
    const std::optional<Sets>& state = m_states[level - 1][static_cast<std::size_t>(p)];
    std::size_t& free = m_free[static_cast<std::size_t>(p)];
    if (!state || free < level) continue;
    next[static_cast<std::size_t>(p)] = AllValues();  // a hard edge: two colours at one place
    free = std::min(free, level + 1);
    if (!Sweep(p, *state, next)) return false;
  }
  return true;
}

std::optional<StopFit> StopSearch::Run() {
  if (!Prepare()) return std::nullopt;
  FirstLevel();
  for (std::size_t level = 1; level <= m_mostColors && !OutOfWork(); ++level) {
    if (level >= m_least) {
      if (std::optional<StopFit> fit = FitAt(level)) return fit;
    }
    if (level == m_mostColors) break;
    States next(kStopGrid + 1);
    if (!Expand(level, next)) break;
    if (std::none_of(next.begin(), next.end(), [](const auto& s) { return s.has_value(); })) break;
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
