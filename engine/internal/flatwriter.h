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

// Whether the flat writers can write the format: not where a colour tag marks changes only,
// nor with the wave where its tags depend on the state before.
template <MarkupFormat kFormat>
constexpr bool WritesFlat(bool wavy) {
  return !kTraits<kFormat>.alwaysMerges &&
         (!wavy || kTraits<kFormat>.wave != WavePlace::kAfterColorTag);
}

// One byte a character without the wave. It stays apart from WriteFlat, which could do its
// work: folded in, it costs about one instruction a character more in html and bbcode.
template <MarkupFormat kFormat, bool kEscapes>
char* WriteFlatBytes(const std::uint32_t* rgb, const char* text, std::size_t count,
                     const StyleCodes<kFormat>& styles, char* p) {
  constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  constexpr std::string_view kClose = kTraits<kFormat>.runClose;
  constexpr std::size_t kWord = HexTag<kFormat>::kBytes;
  static_assert(kPrefix.size() <= 32 && kClose.size() < 16);
  static constexpr Padded kPrefixBytes = Pad(kPrefix);
  static constexpr Padded kCloseBytes = Pad(kClose, 1);  // after the character
  const StyleCodes<kFormat> codes = styles;
  std::uint32_t last = ~std::uint32_t{0};
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) word = HexTag<kFormat>::Word(last = rgb[j]);
    std::memcpy(p, kPrefixBytes.bytes, kPrefix.size() <= 16 ? 16 : 32);
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
// the wave inside the colour's element: the next `count` characters from `cursor`, which start
// at byte `start` of `bytes`.
template <MarkupFormat kFormat, bool kBytes, bool kWavy, bool kEscapes>
char* WriteFlat(const std::uint32_t* rgb, const std::uint8_t* states, std::string_view bytes,
                std::size_t start, CharacterText::Cursor& cursor, std::size_t count,
                const StyleCodes<kFormat>& styles, char* p) {
  constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  constexpr std::string_view kClose = kTraits<kFormat>.runClose;
  constexpr std::size_t kWord = HexTag<kFormat>::kBytes;
  static_assert(kPrefix.size() <= 32 && kClose.size() <= 16);
  static_assert(!kWavy || kTraits<kFormat>.wave == WavePlace::kInsideElement);
  // Copies on the stack, which the compiler keeps apart from the stores through p.
  char prefix[32] = {};
  for (std::size_t i = 0; i < kPrefix.size(); ++i) prefix[i] = kPrefix[i];
  char close[16] = {};
  for (std::size_t i = 0; i < kClose.size(); ++i) close[i] = kClose[i];
  const StyleCodes<kFormat> codes = styles;
  CharacterText::Cursor walker = cursor;
  std::uint32_t last = ~std::uint32_t{0};
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) word = HexTag<kFormat>::Word(last = rgb[j]);
    std::memcpy(p, prefix, kPrefix.size() <= 16 ? 16 : 32);
    std::memcpy(p + kPrefix.size(), &word, sizeof word);
    p += kPrefix.size() + kWord;
    if constexpr (kHasStyleCodes<kFormat>) p = codes.Put(p);
    if constexpr (kWavy) p = PutStateTag(p, kWaveOpen<kFormat>[states[j]]);
    const std::size_t end = kBytes ? start + 1 : walker.NextInBits();
    const char* c = bytes.data() + start;
    if (kBytes && !NeedsEscape<kFormat, kEscapes>(static_cast<unsigned char>(*c))) {
      *p++ = *c;
    } else {
      p = PutCharacter<kFormat, kEscapes>(p, c, end - start, start + 16 <= bytes.size());
    }
    start = end;
    if constexpr (kWavy) p = PutStateTag(p, kWaveClose<kFormat>[states[j]]);
    if constexpr (!kClose.empty()) {
      std::memcpy(p, close, sizeof close);
      p += kClose.size();
    }
  }
  cursor = walker;
  return p;
}

}  // namespace tintrix::markup
