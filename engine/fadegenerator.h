#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/charactertext.h"
#include "engine/color.h"
#include "engine/colorcount.h"
#include "engine/markupformat.h"
#include "engine/randomsource.h"
#include "engine/shortfadecolors.h"
#include "engine/status.h"
#include "engine/text.h"

namespace tintrix {

// How many characters a fade writes between two calls of FadeHooks::progress.
inline constexpr std::size_t kProgressCharacters = 1 << 16;
// How many bytes of markup a fade lets gather before it hands them to FadeHooks::drain.
inline constexpr std::size_t kDrainBytes = 1 << 20;

// What a fade needs from its surroundings. Every member may be left empty.
struct FadeHooks {
  // Draws the wave states (NextFractions). When it is not set, a wavy fade draws from a
  // clock-seeded source.
  RandomSource* wave = nullptr;
  // Called once per pass while the 4-, 5- and 10-colour fades deal the text into segments,
  // so that a user interface stays responsive.
  std::function<void()> letEventsRun;
  // Called each time another kProgressCharacters characters have been written, whatever the
  // colour count: lets a user interface stay responsive during a long fade.
  std::function<void()> progress;
  // When set, the markup leaves the output string as it is made: whenever the string holds
  // kDrainBytes or more, its whole content (with whatever the caller put there first) goes to
  // `drain` and the string is emptied. A failing drain stops the fade, which returns its
  // status. What is left when the fade ends stays in the string, for the caller to finish.
  std::function<Status(std::string_view)> drain;
  // When set, the fade adds the number of colour tags it writes.
  std::size_t* colorTags = nullptr;
  // When set, the colours of short texts are kept here by length and taken from here again,
  // for a caller that fades many texts: the markup is the same.
  ShortFadeColors* shortColors = nullptr;
};

// The lengths of the segments that a text of n characters is cut into, one fewer than the
// colours: the whole text for 2 colours, halving (half to even) for 3, dealing for 4, 5 and
// 10. The dealing calls letEventsRun once per pass.
std::vector<std::size_t> SegmentLengths(ColorCount count, std::size_t n,
                                        const std::function<void()>& letEventsRun = {});

// A fade through fixed colours, with or without the wave, ready for any number of texts.
class FadeGenerator {
 public:
  // The fade through `colors`, written as `options` say; colors.size() must be from 2 to
  // kMaxFadeColors, or the fade writes nothing.
  FadeGenerator(std::span<const Channels> colors, bool wavy, const MarkupOptions& options = {});

  // The request for `count` colours (FadeRequest2 ... FadeRequest10 in one): converts the
  // first count.value() colour texts. Fails with kInvalidArgument when there are fewer colour
  // texts, when one of them is empty (`Colour K is not set`) or when one is not a colour value
  // (ParseColorValue): `Colour K is not a valid colour value: "TEXT"`; the first such colour is
  // named.
  static StatusOr<FadeGenerator> Create(ColorCount count, std::span<const std::string> colorTexts,
                                        bool wavy, const MarkupOptions& options = {});

  // Appends the fade markup of `text` to `out`. In the classic format without other options:
  // for every character "<Font Color=#RRGGBB>", the wave tags when wavy, the character. The rgb
  // blend is in double precision for 2 colours and in single precision otherwise; the other
  // formats and options (MarkupOptions) write the same colours and wave states their own way.
  // Fails only when hooks.drain fails, with its status.
  Status Append(const CharacterText& text, const FadeHooks& hooks, std::string& out) const;

  // The colours this fade gives the characters of a text of n characters, first to last, as
  // 0xRRGGBB: those Append writes, before the options' levels. Empty when n is 0.
  std::vector<std::uint32_t> Colors(std::size_t n) const;

  // The printable ASCII bytes whose markup, as characters of a text, is the byte as it is,
  // with nothing around it depending on it: a text of such bytes alone has the markup of any
  // other text of its length, with its own bytes in their places. Past ASCII, the bytes a
  // character may hold and still be so: a text of characters whose bytes are all plain has
  // the markup of a text of as many plain ASCII bytes, with its characters in their places.
  // None when the fade draws the wave or writes nothing.
  std::array<bool, 256> PlainBytes() const;

  // Appends the markup of `text` as Append does, but with character i in colour rgb[i]
  // (0xRRGGBB) instead of the fade's; rgb.size() must be text.size(). The options' levels,
  // size options and the wave apply as they do to a fade. Fails only when hooks.drain fails.
  Status AppendInColors(const CharacterText& text, std::span<const std::uint32_t> rgb,
                        const FadeHooks& hooks, std::string& out) const;

 private:
  std::array<Channels, kMaxFadeColors> m_colors{};
  std::optional<ColorCount> m_count;
  bool m_wavy;
  MarkupOptions m_options;
};

// FadeGenerator(colors, wavy).Append(text, hooks, out).
Status GenerateFade(std::span<const Channels> colors, const CharacterText& text, bool wavy,
                    const FadeHooks& hooks, std::string& out);

// FadeGenerator::Create, then Append: fails as either does, and when the colours are refused
// leaves `out` unchanged.
Status FadeRequest(ColorCount count, std::span<const std::string> colorTexts,
                   const CharacterText& text, bool wavy, const FadeHooks& hooks, std::string& out);

}  // namespace tintrix
