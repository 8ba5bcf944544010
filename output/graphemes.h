#pragma once

#include <string_view>

#include "engine/charactertext.h"

namespace tintrix {

// Cuts UTF-8 text into user-perceived characters (extended grapheme clusters) exactly as ICU's
// root character break iterator does, with its rules run over ICU's own property data:
// "e" with a combining accent, a flag, a skin-toned or ZWJ emoji, a Devanagari conjunct are
// one character each. An ill-formed UTF-8 sequence counts as U+FFFD, a character of its own
// unless marks follow it. The text is borrowed by the result and must outlive it. Plain ASCII
// without a CR LF pair comes back as bytes, anything else with one bit per byte of text.
CharacterText SplitCharacters(std::string_view utf8);

}  // namespace tintrix
