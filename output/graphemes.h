#pragma once

#include <string_view>

#include "engine/charactertext.h"

namespace tintrix {

// Cuts UTF-8 text into user-perceived characters (extended grapheme clusters, by ICU's
// character break rules): "e" with a combining accent, a flag, a skin-toned or ZWJ emoji are
// one character each. Invalid UTF-8 bytes are characters of their own. The text is borrowed
// by the result and must outlive it.
CharacterText SplitCharacters(std::string_view utf8);

}  // namespace tintrix
