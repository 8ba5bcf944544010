#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/charactertext.h"
#include "engine/color.h"
#include "engine/randomsource.h"
#include "engine/status.h"

namespace tintrix {

// What a fade needs from its surroundings.
struct FadeHooks {
  // Draws the wave states. When it is not set, a wavy fade draws from a clock-seeded source.
  RandomSource* wave = nullptr;
  // Called once per pass while the 4-, 5- and 10-colour fades deal the text into segments,
  // so that a user interface stays responsive. May be empty.
  std::function<void()> letEventsRun;
};

// True for the colour counts the program fades with: 2, 3, 4, 5 and 10.
bool IsFadeColorCount(int colorCount);

// The lengths of the colorCount - 1 segments that a text of n characters is cut into:
// the whole text for 2 colours, halving (half to even) for 3, dealing for 4, 5 and 10.
// The dealing calls letEventsRun once per pass. colorCount must satisfy IsFadeColorCount.
std::vector<std::size_t> SegmentLengths(int colorCount, std::size_t n,
                                        const std::function<void()>& letEventsRun = {});

// Rounds to the nearest whole number, a half going to the even neighbour. For |v| < 2^22
// (float) and |v| < 2^51 (double), which covers every channel value.
inline float RoundHalfEven(float v) { return (v + 12582912.0f) - 12582912.0f; }
inline double RoundHalfEven(double v) { return (v + 6755399441055744.0) - 6755399441055744.0; }

// Appends the fade markup of `text` blending through `colors` (2, 3, 4, 5 or 10 of them) to
// `out`: for every character "<Font Color=#RRGGBB>", the wave tags when wavy, the character.
// Blends in double precision for 2 colours and in single precision otherwise.
void GenerateFade(std::span<const Channels> colors, const CharacterText& text, bool wavy,
                  const FadeHooks& hooks, std::string& out);

// The fade request for colorCount colours (FadeRequest2 ... FadeRequest10 in one): converts
// the first colorCount colour texts and appends their fade of `text` to `out`.
// Fails, leaving `out` unchanged, when colorCount is not a fade colour count or when one of
// those colour texts is not a colour value (ParseColorValue); the message then reads
// `Color K is not a valid color value: "TEXT"`.
Status FadeRequest(int colorCount, std::span<const std::string> colorTexts,
                   const CharacterText& text, bool wavy, const FadeHooks& hooks, std::string& out);

}  // namespace tintrix
