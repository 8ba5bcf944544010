#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/color.h"
#include "engine/colorcount.h"

// A fade with colours at chosen positions found from the colours its characters show.

namespace tintrix {

struct StopFit {
  std::vector<Channels> colors;  // at least two
  std::vector<int> positions;    // each colour's, in tenths of a percent (kStopGrid), in order
};

// The fewest colours at positions on the grid of tenths of a percent whose fade (StopColors,
// rgb blend) gives every known character of `rgb` (0xRRGGBB, first to last) its colour
// exactly; known[i] 0 leaves character i out, an empty `known` knows them all. nullopt when
// no such fade has at most `mostColors` colours (2 ... kMaxFadeColors), when no character is
// known, or when the search gives up: it stops after a fixed amount of work (about a second), so
// that a document no such fade makes costs no more.
//
// The search goes by the number of colours. For each it keeps, at every grid position, the
// values each channel of a colour there may have after some fitting of the characters before
// it (a union over the ways there), found by sweeping each segment's characters once for
// every start value with the slopes that still round to them; a candidate end is then
// checked backwards along one way, and the fit found is checked against StopColors. Of the
// fits with the fewest colours it takes the first it meets, trying the last colour's position
// from 100 down and each earlier one's from 0 up, which keeps 0 and 100 where they fit. With
// fewer characters than positions, the positions on whole percents are searched first; all
// positions are then searched only for fewer colours than that found, unless the straight
// pieces (CountStraightPieces) show that no fit has fewer.
std::optional<StopFit> FitStops(std::span<const std::uint32_t> rgb,
                                std::span<const std::uint8_t> known,
                                int mostColors = kMaxFadeColors);

}  // namespace tintrix
