#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/color.h"

namespace tintrix {

// The colours of a fade found from the colours its characters show.
struct FadeFit {
  std::vector<Channels> colors;  // the fade's colours; colors.size() is the count
  int largestError = 0;          // the largest channel difference on any character, 0 ... 255
};

struct FitOptions {
  // A count whose largest error is at most this wins over every count tried after it.
  int maxError = 0;
  // Only the counts the window knows (kFadeColorCounts), as a fade file holds them.
  bool windowCounts = false;
};

// The colour counts in the order a fit tries them: the window's 2, 3, 4, 5, 10 first, then
// 6 ... 9 and 11 ... kMaxFadeColors; with `windowCounts` the window's only.
std::vector<int> FitCountOrder(bool windowCounts);

// The fade, with the rgb blend and no levels, whose colours (FadeGenerator::Colors) best give
// `rgb` (0xRRGGBB, one a character, first to last). known[i] 0 leaves character i out of
// the fit (its colour is not in the document); an empty `known` knows every character.
//
// Counts are tried in FitCountOrder. For each, an exact fit is looked for first: the last
// character of a non-empty segment has exactly the segment's end colour, and where a
// segment's start is no earlier segment's end, each channel's start is found by trying the
// 256 values (nearest the end first) against the segment's characters with the generator's
// own arithmetic; a candidate is then checked against FadeGenerator::Colors. The first count
// with an exact fit, or (with maxError above 0) the first whose best fit errs by at most
// maxError, wins. When none does, the count with the least largest error wins (the earlier
// one on a tie).
// Inexact fits are heuristic: each channel on its own, dynamic programming over the segments
// chooses the colour at each segment end that minimises the largest error, first among every
// 4th value within 32 of what the document shows nearest there, then among the values within
// 4 of that choice; a segment of more than 256 characters is judged on 256 of them spread
// evenly and its last. The error reported is always the true one, over every known character.
// Colours that no character depends on (those after the last non-empty segment, or before an
// empty first one) repeat their nearest neighbour. nullopt when no character is known.
std::optional<FadeFit> FitFade(std::span<const std::uint32_t> rgb,
                               std::span<const std::uint8_t> known, const FitOptions& options = {});

// The largest channel difference between the fade through `colors` (rgb blend, no levels) and
// `rgb` on the known characters (see FitFade); 0 when none is known.
int LargestFitError(std::span<const Channels> colors, std::span<const std::uint32_t> rgb,
                    std::span<const std::uint8_t> known);

}  // namespace tintrix
