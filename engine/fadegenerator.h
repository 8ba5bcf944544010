#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/charactertext.h"
#include "engine/color.h"
#include "engine/colorcount.h"
#include "engine/randomsource.h"
#include "engine/status.h"
#include "engine/text.h"

namespace tintrix {

// What a fade needs from its surroundings.
struct FadeHooks {
  // Draws the wave states. When it is not set, a wavy fade draws from a clock-seeded source.
  RandomSource* wave = nullptr;
  // Called once per pass while the 4-, 5- and 10-colour fades deal the text into segments,
  // so that a user interface stays responsive. May be empty.
  std::function<void()> letEventsRun;
};

// The lengths of the segments that a text of n characters is cut into, one fewer than the
// colours: the whole text for 2 colours, halving (half to even) for 3, dealing for 4, 5 and
// 10. The dealing calls letEventsRun once per pass.
std::vector<std::size_t> SegmentLengths(ColorCount count, std::size_t n,
                                        const std::function<void()>& letEventsRun = {});

// Appends the fade markup of `text` blending through `colors` to `out`: for every character
// "<Font Color=#RRGGBB>", the wave tags when wavy, the character. colors.size() must be one
// of kFadeColorCounts. Blends in double precision for 2 colours and in single precision
// otherwise.
void GenerateFade(std::span<const Channels> colors, const CharacterText& text, bool wavy,
                  const FadeHooks& hooks, std::string& out);

// The fade request for `count` colours (FadeRequest2 ... FadeRequest10 in one): converts the
// first count.value() colour texts and appends their fade of `text` to `out`. Fails with
// kInvalidArgument, leaving `out` unchanged, when there are fewer colour texts or when one of
// them is not a colour value (ParseColorValue): `Color K is not a valid color value: "TEXT"`.
Status FadeRequest(ColorCount count, std::span<const std::string> colorTexts,
                   const CharacterText& text, bool wavy, const FadeHooks& hooks, std::string& out);

}  // namespace tintrix
