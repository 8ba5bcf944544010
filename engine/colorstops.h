#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/blendspace.h"
#include "engine/color.h"
#include "engine/status.h"

// Colours at places the user chooses along the text ("--color 2=red@30"), instead of the
// count's even cut. Exact arithmetic throughout: a place is a fraction, a character's colour
// a rounded quotient of whole numbers.

namespace tintrix {

// Positions are given in tenths of a percent: 375 is 37.5 %.
inline constexpr int kStopGrid = 1000;

// A stop's place along the text, numerator / denominator of its length, 0 ... 1.
struct StopPlace {
  std::int64_t numerator = 0;
  std::int64_t denominator = 1;

  bool operator==(const StopPlace&) const = default;
};

// "37.5" as 375: a percentage from 0 to 100 with at most one decimal ("0", "100", "12.5",
// "012"); nullopt for anything else (signs, blanks, "%", a second decimal).
std::optional<int> ParseStopPosition(std::string_view text);

// 375 as "37.5", 400 as "40": what ParseStopPosition reads back.
std::string StopPositionText(int tenths);

// The places of stops of which some have a position (tenths of a percent) and others none:
// the first without one at 0, the last at 1, and those between spread evenly between their
// nearest neighbours that have one. Fails with kUsage, naming both colours (1 for the first),
// when a position is before an earlier one's.
StatusOr<std::vector<StopPlace>> PlaceStops(std::span<const std::optional<int>> positions);

// The colours (0xRRGGBB) of n characters faded through `colors` at `places` (as many, in
// order): character i (1 ... n) sits at t = i / n and takes colour 1 while t <= the first
// place and the last colour after the last place; otherwise, in the first pair k with
// place k < t <= place k + 1, the blend's point at (t - place k) / (place k + 1 - place k),
// for rgb each channel start + (end - start) * that fraction rounded half to even. Equal
// places make a hard edge. At least two colours.
std::vector<std::uint32_t> StopColors(std::span<const Channels> colors,
                                      std::span<const StopPlace> places, BlendSpace blend,
                                      std::size_t n);

}  // namespace tintrix
