#include "engine/fadefit.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>

#include "engine/colorcount.h"
#include "engine/fadegenerator.h"
#include "engine/internal/fadeparts.h"

namespace tintrix {

namespace {

using fadeparts::ChannelBlend;

constexpr int kChannels = 3;
// How far from what the document shows an inexact fit looks for a segment's end colour.
constexpr int kSearchRadius = 32;
// The steps of an inexact fit's first, coarse search.
constexpr int kCoarseStep = 4;
// The most characters of one segment an inexact fit weighs.
constexpr std::size_t kMostSamples = 256;

// Channel c (0 red, 1 green, 2 blue) of 0xRRGGBB.
int ChannelOf(std::uint32_t rgb, int c) { return static_cast<int>(rgb >> (16 - 8 * c) & 0xFF); }

int& ChannelOf(Channels& channels, int c) {
  return c == 0 ? channels.red : c == 1 ? channels.green : channels.blue;
}

Channels ChannelsOf(std::uint32_t rgb) {
  return {ChannelOf(rgb, 0), ChannelOf(rgb, 1), ChannelOf(rgb, 2)};
}

bool IsKnown(std::span<const std::uint8_t> known, std::size_t i) {
  return known.empty() || known[i];
}

// The text's cut for `count` colours, with where each segment starts.
struct Cut {
  fadeparts::Segments segments;
  std::vector<std::size_t> firsts;  // the index of each segment's first character
};

Cut CutFor(int count, std::size_t n) {
  Cut cut{fadeparts::CutText(*ColorCount::Any(count), n, {}), {}};
  std::size_t first = 0;
  for (std::size_t k = 0; k < cut.segments.count; ++k) {
    cut.firsts.push_back(first);
    first += cut.segments.lengths[k];
  }
  return cut;
}

// The characters the document shows for one segment, as a fit sees them.
struct Segment {
  std::span<const std::uint32_t> rgb;   // the segment's characters
  std::span<const std::uint8_t> known;  // empty: all known
};

Segment SegmentOf(const Cut& cut, std::size_t k, std::span<const std::uint32_t> rgb,
                  std::span<const std::uint8_t> known) {
  const std::size_t first = cut.firsts[k], m = cut.segments.lengths[k];
  return {rgb.subspan(first, m), known.empty() ? known : known.subspan(first, m)};
}

// Whether channel c of every known character of the segment is the blend's from `from` to `to`.
template <typename Real>
bool ChannelMatches(int from, int to, const Segment& segment, int c) {
  const std::size_t m = segment.rgb.size();
  const ChannelBlend<Real> blend = ChannelBlend<Real>::Between(from, to, m);
  for (std::size_t i = 0; i < m; ++i) {
    if (!IsKnown(segment.known, i)) continue;
    if (blend.At(static_cast<Real>(i + 1)) != ChannelOf(segment.rgb[i], c)) return false;
  }
  return true;
}

// The start of channel c that makes the segment end at `to`, nearest `to` first.
template <typename Real>
std::optional<int> FindStart(int to, const Segment& segment, int c) {
  for (int distance = 0; distance < 256; ++distance) {
    const int below = to - distance, above = to + distance;
    if (below >= 0 && ChannelMatches<Real>(below, to, segment, c)) return below;
    if (distance > 0 && above <= 255 && ChannelMatches<Real>(above, to, segment, c)) return above;
  }
  return std::nullopt;
}

// Gives each colour that is not `fixed` its nearest fixed neighbour's, the earlier first.
void FillFree(std::vector<Channels>& colors, const std::vector<bool>& fixed) {
  const auto count = static_cast<std::ptrdiff_t>(colors.size());
  for (std::ptrdiff_t k = 0; k < count; ++k) {
    if (fixed[static_cast<std::size_t>(k)]) continue;
    for (std::ptrdiff_t d = 1; d < count; ++d) {
      if (k - d >= 0 && fixed[static_cast<std::size_t>(k - d)]) {
        colors[static_cast<std::size_t>(k)] = colors[static_cast<std::size_t>(k - d)];
        break;
      }
      if (k + d < count && fixed[static_cast<std::size_t>(k + d)]) {
        colors[static_cast<std::size_t>(k)] = colors[static_cast<std::size_t>(k + d)];
        break;
      }
    }
  }
}

// The colours of the exact fit with `count` colours, as the segments' ends and the searched
// starts give them; nullopt when a segment has no exact blend.
template <typename Real>
std::optional<std::vector<Channels>> ExactColors(int count, std::span<const std::uint32_t> rgb,
                                                 std::span<const std::uint8_t> known) {
  const Cut cut = CutFor(count, rgb.size());
  std::vector<Channels> colors(static_cast<std::size_t>(count));
  std::vector<bool> fixed(colors.size());
  for (std::size_t k = 0; k < cut.segments.count; ++k) {
    const Segment segment = SegmentOf(cut, k, rgb, known);
    if (segment.rgb.empty()) continue;
    if (!IsKnown(segment.known, segment.rgb.size() - 1)) return std::nullopt;
    const Channels end = ChannelsOf(segment.rgb.back());
    for (int c = 0; c < kChannels; ++c) {
      const int to = ChannelOf(segment.rgb.back(), c);
      if (fixed[k]) {
        if (!ChannelMatches<Real>(ChannelOf(colors[k], c), to, segment, c)) return std::nullopt;
        continue;
      }
      const std::optional<int> start = FindStart<Real>(to, segment, c);
      if (!start) return std::nullopt;
      ChannelOf(colors[k], c) = *start;
    }
    fixed[k] = true;
    colors[k + 1] = end;
    fixed[k + 1] = true;
  }
  FillFree(colors, fixed);
  return colors;
}

// The largest error of channel c on a segment's samples (indexes into it), or a value of at
// least `bound` as soon as one reaches it.
template <typename Real>
int SampledError(int from, int to, const Segment& segment, std::span<const std::size_t> samples,
                 int c, int bound) {
  const ChannelBlend<Real> blend = ChannelBlend<Real>::Between(from, to, segment.rgb.size());
  int largest = 0;
  for (const std::size_t i : samples) {
    largest = std::max(largest,
                       std::abs(blend.At(static_cast<Real>(i + 1)) - ChannelOf(segment.rgb[i], c)));
    if (largest >= bound) break;
  }
  return largest;
}

// The known characters of a segment that an inexact fit weighs: all of them, or kMostSamples
// spread evenly and the last.
std::vector<std::size_t> Samples(const Segment& segment) {
  const std::size_t m = segment.rgb.size();
  std::vector<std::size_t> samples;
  const std::size_t stride = m <= kMostSamples ? 1 : m / kMostSamples;
  for (std::size_t i = 0; i < m; i += stride) {
    if (IsKnown(segment.known, i)) samples.push_back(i);
  }
  if (m > 0 && IsKnown(segment.known, m - 1) && (samples.empty() || samples.back() != m - 1)) {
    samples.push_back(m - 1);
  }
  return samples;
}

// The colour of the known character nearest index `at`; black when none is known.
std::uint32_t NearestKnown(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> known,
                           std::size_t at) {
  for (std::size_t d = 0; d < rgb.size(); ++d) {
    if (at >= d && IsKnown(known, at - d)) return rgb[at - d];
    if (at + d < rgb.size() && IsKnown(known, at + d)) return rgb[at + d];
  }
  return 0;
}

// Values from `centre` - `radius` to `centre` + `radius` in steps of `step`, within 0 ... 255,
// the centre always among them.
std::vector<int> Around(int centre, int radius, int step) {
  std::vector<int> values;
  for (int v = centre - radius; v <= centre + radius; v += step) {
    if (v >= 0 && v <= 255) values.push_back(v);
  }
  if (std::find(values.begin(), values.end(), centre) == values.end()) values.push_back(centre);
  return values;
}

// One channel's values at the colours of an inexact fit, each among its candidates: the least
// largest error over the chain of segments, by dynamic programming from the first colour on.
template <typename Real>
std::vector<int> FitChannel(const Cut& cut, const std::vector<Segment>& segments,
                            const std::vector<std::vector<std::size_t>>& samples,
                            const std::vector<std::vector<int>>& candidates, int c) {
  const std::size_t knots = candidates.size();
  // best[k][j]: the least largest error of the segments before colour k when it is
  // candidates[k][j]; from[k][j]: the index of colour k - 1's candidate that gives it.
  std::vector<std::vector<int>> best(knots);
  std::vector<std::vector<std::size_t>> from(knots);
  for (std::size_t k = 0; k < knots; ++k) {
    best[k].assign(candidates[k].size(), k == 0 ? 0 : INT_MAX);
    from[k].assign(candidates[k].size(), 0);
  }
  std::vector<std::size_t> order;
  for (std::size_t k = 0; k < cut.segments.count; ++k) {
    // The starts with the least error so far first: once one cannot win, none after it can.
    order.resize(candidates[k].size());
    for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return best[k][a] < best[k][b]; });
    for (std::size_t t = 0; t < candidates[k + 1].size(); ++t) {
      int least = INT_MAX;
      for (const std::size_t j : order) {
        const int before = best[k][j];
        if (before >= least) break;
        const int error = SampledError<Real>(candidates[k][j], candidates[k + 1][t], segments[k],
                                             samples[k], c, least);
        if (std::max(before, error) < least) least = std::max(before, error), from[k + 1][t] = j;
      }
      best[k + 1][t] = least;
    }
  }
  std::vector<int> values(knots);
  std::size_t j = static_cast<std::size_t>(
      std::min_element(best[knots - 1].begin(), best[knots - 1].end()) - best[knots - 1].begin());
  for (std::size_t k = knots; k-- > 0;) {
    values[k] = candidates[k][j];
    j = from[k][j];
  }
  return values;
}

template <typename Real>
std::vector<Channels> ApproximateColors(int count, std::span<const std::uint32_t> rgb,
                                        std::span<const std::uint8_t> known) {
  const Cut cut = CutFor(count, rgb.size());
  std::vector<Segment> segments;
  std::vector<std::vector<std::size_t>> samples;
  for (std::size_t k = 0; k < cut.segments.count; ++k) {
    segments.push_back(SegmentOf(cut, k, rgb, known));
    samples.push_back(Samples(segments.back()));
  }
  // Colour k is seen nearest the last character before it, the first character for colour 1.
  std::vector<std::uint32_t> seen(static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < seen.size(); ++k) {
    const std::size_t before = k == 0 ? 0 : cut.firsts[k - 1] + cut.segments.lengths[k - 1];
    seen[k] = NearestKnown(rgb, known, before == 0 ? 0 : before - 1);
  }
  std::vector<Channels> colors(seen.size());
  for (int c = 0; c < kChannels; ++c) {
    // Coarsely over the whole reach first, then finely around what that found.
    std::vector<std::vector<int>> candidates;
    candidates.reserve(seen.size());
    for (const std::uint32_t s : seen) {
      candidates.push_back(Around(ChannelOf(s, c), kSearchRadius, kCoarseStep));
    }
    std::vector<int> values = FitChannel<Real>(cut, segments, samples, candidates, c);
    for (std::size_t k = 0; k < values.size(); ++k) {
      candidates[k] = Around(values[k], kCoarseStep, 1);
    }
    values = FitChannel<Real>(cut, segments, samples, candidates, c);
    for (std::size_t k = 0; k < colors.size(); ++k) ChannelOf(colors[k], c) = values[k];
  }
  return colors;
}

std::optional<std::vector<Channels>> ExactFit(int count, std::span<const std::uint32_t> rgb,
                                              std::span<const std::uint8_t> known) {
  std::optional<std::vector<Channels>> colors =
      count == 2 ? ExactColors<double>(count, rgb, known) : ExactColors<float>(count, rgb, known);
  // The generator has the last word: a fit is exact only when its fade gives every colour.
  if (colors && LargestFitError(*colors, rgb, known) != 0) return std::nullopt;
  return colors;
}

FadeFit ApproximateFit(int count, std::span<const std::uint32_t> rgb,
                       std::span<const std::uint8_t> known) {
  std::vector<Channels> colors = count == 2 ? ApproximateColors<double>(count, rgb, known)
                                            : ApproximateColors<float>(count, rgb, known);
  const int error = LargestFitError(colors, rgb, known);
  return {std::move(colors), error};
}

}  // namespace

std::vector<int> FitCountOrder(bool windowCounts) {
  std::vector<int> order(kFadeColorCounts.begin(), kFadeColorCounts.end());
  if (windowCounts) return order;
  for (int count = 2; count <= kMaxFadeColors; ++count) {
    if (std::find(order.begin(), order.end(), count) == order.end()) order.push_back(count);
  }
  return order;
}

int LargestFitError(std::span<const Channels> colors, std::span<const std::uint32_t> rgb,
                    std::span<const std::uint8_t> known) {
  const std::vector<std::uint32_t> made = FadeGenerator(colors, false).Colors(rgb.size());
  int largest = 0;
  for (std::size_t i = 0; i < rgb.size() && i < made.size(); ++i) {
    if (!IsKnown(known, i)) continue;
    for (int c = 0; c < kChannels; ++c) {
      largest = std::max(largest, std::abs(ChannelOf(made[i], c) - ChannelOf(rgb[i], c)));
    }
  }
  return largest;
}

std::optional<FadeFit> FitFade(std::span<const std::uint32_t> rgb,
                               std::span<const std::uint8_t> known, const FitOptions& options) {
  if (rgb.empty() ||
      (!known.empty() && std::find(known.begin(), known.end(), std::uint8_t{1}) == known.end()))
    return std::nullopt;
  const std::vector<int> order = FitCountOrder(options.windowCounts);
  std::vector<std::optional<FadeFit>> inexact(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (std::optional<std::vector<Channels>> colors = ExactFit(order[k], rgb, known)) {
      return FadeFit{std::move(*colors), 0};
    }
    if (options.maxError > 0) {
      inexact[k] = ApproximateFit(order[k], rgb, known);
      if (inexact[k]->largestError <= options.maxError) return inexact[k];
    }
  }
  std::optional<FadeFit> best;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (!inexact[k]) inexact[k] = ApproximateFit(order[k], rgb, known);
    if (!best || inexact[k]->largestError < best->largestError) best = inexact[k];
    if (best->largestError == 0) break;
  }
  return best;
}

}  // namespace tintrix
