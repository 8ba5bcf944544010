#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/charactertext.h"
#include "engine/internal/formatcodes.h"
#include "engine/markupformat.h"

// The writers for fades without the size options, where every character has its whole tag:
// a few fixed-size copies a character. A character that stands alone or must not follow
// another without a tag has one anyway, so the format's character rules need no test here.
namespace tintrix::markup {

// Whether the flat writers can write the format: a colour tag of hexadecimal digits in one
// word, before each character's text.
template <MarkupFormat kFormat>
inline constexpr bool kWritesFlat =
    !kTraits<kFormat>.alwaysMerges && !kTraits<kFormat>.colorAfterText &&
    (kTraits<kFormat>.spelling == ColorSpelling::kHexUpper ||
     kTraits<kFormat>.spelling == ColorSpelling::kHexLower);

// One byte a character without the wave. It stays apart from WriteFlat, which could do its
// work: folded in, it costs about one instruction a character more in html and bbcode.
template <MarkupFormat kFormat, bool kEscapes, bool kWordsMade>
char* WriteFlatBytes(HexWords<kFormat, kWordsMade> words, const char* text, std::size_t count,
                     const StyleCodes<kFormat>& styles, char* p) {
  constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  constexpr std::string_view kClose = kTraits<kFormat>.runClose;
  constexpr std::size_t kWord = HexTag<kFormat>::kBytes;
  static_assert(kPrefix.size() <= 32 && kClose.size() < 16);
  static constexpr Padded kPrefixBytes = Pad(kPrefix);
  static constexpr Padded kCloseBytes = Pad(kClose, 1);  // after the character
  const StyleCodes<kFormat> codes = styles;
  for (std::size_t j = 0; j < count; ++j) {
    std::memcpy(p, kPrefixBytes.bytes, kPrefix.size() <= 16 ? 16 : 32);
    const std::uint64_t word = words[j];
    std::memcpy(p + kPrefix.size(), &word, sizeof word);
    p += kPrefix.size() + kWord;
    if constexpr (kHasStyleCodes<kFormat>) p = codes.Put(p);
    const auto c = static_cast<unsigned char>(text[j]);
    if (NeedsEscape<kFormat, kEscapes>(c)) {
      p = PutCharacter<kFormat, kEscapes>(p, text + j, 1, false);
      p = Put(p, kClose);
    } else if constexpr (kClose.empty()) {
      *p++ = static_cast<char>(c);
    } else {
      std::memcpy(p, kCloseBytes.bytes, 16);
      *p = static_cast<char>(c);
      p += 1 + kClose.size();
    }
  }
  return p;
}

// Every character with its whole tag as in WriteFlatBytes, for characters of any size and with
// the wave: the next `count` characters from `cursor`, which start at byte `start` of `bytes`.
// `waves` holds each character's wave state, or where the format writes the wave after the
// colour tag (closing the state before), its transition: previous state * 4 + state.
template <MarkupFormat kFormat, bool kBytes, bool kWavy, bool kEscapes, bool kWordsMade>
char* WriteFlat(HexWords<kFormat, kWordsMade> words, const std::uint8_t* waves,
                std::string_view bytes, std::size_t start, CharacterText::Cursor& cursor,
                std::size_t count, const StyleCodes<kFormat>& styles, char* p) {
  constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  constexpr std::string_view kClose = kTraits<kFormat>.runClose;
  constexpr std::size_t kWord = HexTag<kFormat>::kBytes;
  static_assert(kPrefix.size() <= 32 && kClose.size() <= 16);
  constexpr WavePlace kWave = kTraits<kFormat>.wave;
  static_assert(!kWavy || kWave != WavePlace::kNone);
  // Copies on the stack, which the compiler keeps apart from the stores through p.
  char prefix[32] = {};
  for (std::size_t i = 0; i < kPrefix.size(); ++i) prefix[i] = kPrefix[i];
  char close[16] = {};
  for (std::size_t i = 0; i < kClose.size(); ++i) close[i] = kClose[i];
  const StyleCodes<kFormat> codes = styles;
  // Character j's tags before its text, and after it.
  const auto open = [&](std::size_t j, char* at) {
    std::memcpy(at, prefix, kPrefix.size() <= 16 ? 16 : 32);
    const std::uint64_t word = words[j];
    std::memcpy(at + kPrefix.size(), &word, sizeof word);
    at += kPrefix.size() + kWord;
    if constexpr (kHasStyleCodes<kFormat>) at = codes.Put(at);
    if constexpr (kWavy && kWave == WavePlace::kAfterColorTag) {
      at = PutWaveTransition(at, kWaveTransitions<kFormat>[waves[j]]);
    } else if constexpr (kWavy) {
      at = PutStateTag(at, kWaveOpen<kFormat>[waves[j]]);
    }
    return at;
  };
  const auto shut = [&](std::size_t j, char* at) {
    if constexpr (kWavy && kWave == WavePlace::kInsideElement) {
      at = PutStateTag(at, kWaveClose<kFormat>[waves[j]]);
    }
    if constexpr (!kClose.empty()) {
      std::memcpy(at, close, sizeof close);
      at += kClose.size();
    }
    return at;
  };
  // One character of one byte.
  const auto putByte = [&](std::size_t j, const char* c, char* at) {
    at = open(j, at);
    if (!NeedsEscape<kFormat, kEscapes>(static_cast<unsigned char>(*c))) {
      *at++ = *c;
    } else {
      at = PutCharacter<kFormat, kEscapes>(at, c, 1, false);
    }
    return shut(j, at);
  };
  if constexpr (kBytes) {
    for (std::size_t j = 0; j < count; ++j) p = putByte(j, bytes.data() + start + j, p);
    return p;
  }
  const char* const text = bytes.data();
  CharacterText::Cursor walker = cursor;
  walker.Walk(
      start, count,
      [&](std::size_t j, std::size_t from, std::size_t n) {
        // Four at a time: the loop's own steps are a third of a character's.
        std::size_t k = 0;
        for (; k + 4 <= n; k += 4) {
          for (std::size_t u = 0; u < 4; ++u) p = putByte(j + k + u, text + from + k + u, p);
        }
        for (; k < n; ++k) p = putByte(j + k, text + from + k, p);
      },
      [&](std::size_t j, std::size_t from, std::size_t end) {
        p = open(j, p);
        p = PutCharacter<kFormat, kEscapes>(p, text + from, end - from, from + 16 <= bytes.size());
        p = shut(j, p);
      });
  cursor = walker;
  return p;
}

}  // namespace tintrix::markup
