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

// How the cut reads the bytes: every path cuts every text the same, only faster or slower.
enum class CutPath {
  kPortable,  // what every processor of the build's kind has (SSE2 on x86-64)
  kAvx2,      // 32 bytes at a time, where the processor has AVX2 (Avx2Available)
};

// The path SplitCharacters takes: kAvx2 while Avx2Enabled() (engine/cpufeatures.h).
CutPath DefaultCutPath();

// SplitCharacters by that path; kAvx2 where it is not available cuts by the portable one.
CharacterText SplitCharacters(std::string_view utf8, CutPath path);

}  // namespace tintrix
