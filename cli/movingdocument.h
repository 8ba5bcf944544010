#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/charactertext.h"
#include "engine/fadegenerator.h"
#include "engine/status.h"
#include "output/fadedocument.h"

namespace tintrix {

// The most characters a moving document holds: its runs are told apart by 24-bit numbers.
inline constexpr std::size_t kMaxMovingCharacters = std::size_t{1} << 24;

// Appends to `out` the html fragment of `characters` whose fade moves by itself in a browser:
// one whole loop (MotionLoop) every `milliseconds`, in 2n steps: at time t the characters
// show the colours of offset floor(t / milliseconds x 2n) mod 2n. A reader whose browser asks
// for reduced motion sees the plain fade, standing still. `document` must write html; `plain` holds
// the plain fade's n colours (FadeDocument::Colors).
//
// The fragment is the document `document` writes in the plain colours (its styles, font,
// wave and size options as they are, every run in an element of its own) inside a span of a
// class whose name comes from a hash of the motion, with a <style> element first: one
// @keyframes rule of the n colours, played forwards and then backwards, in steps, and each
// run's start delayed by its place. Its size is linear in n; the text stays as the html
// format escapes it; two fragments on one page keep their own motions, a name they share
// being the same rules. A text of no characters is the plain document.
// Fails with kInvalidArgument for more than kMaxMovingCharacters characters, or as
// `document` fails (hooks.drain is not used: the fragment is made whole in `out`).
Status AppendMovingDocument(const FadeDocument& document, const CharacterText& characters,
                            std::span<const std::uint32_t> plain, std::int64_t milliseconds,
                            const FadeHooks& hooks, std::string& out);

}  // namespace tintrix
