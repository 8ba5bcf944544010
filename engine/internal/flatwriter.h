#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "engine/charactertext.h"
#include "engine/cpufeatures.h"
#include "engine/internal/formatcodes.h"
#include "engine/internal/piecewriter.h"
#include "engine/internal/textescapes.h"
#include "engine/markupformat.h"

// The writers for fades without the size options, where every character has its whole tag:
// a few fixed-size copies a character. A character that stands alone or must not follow
// another without a tag has one anyway, so the format's character rules need no test here.
namespace tintrix::markup {

// Whether the flat writers can write the format: a colour tag of hexadecimal digits
// (PutHexWord) before each character's text.
template <MarkupFormat kFormat>
inline constexpr bool kWritesFlat =
    !kTraits<kFormat>.alwaysMerges && !kTraits<kFormat>.colorAfterText &&
    kTraits<kFormat>.spelling != ColorSpelling::kDecimal;

// One byte a character without the wave. It stays apart from WriteFlat, which could do its
// work: folded in, it costs about one instruction a character more in html and bbcode.
template <MarkupFormat kFormat, bool kEscapes, bool kWordsMade>
char* WriteFlatBytes(HexWords<kFormat, kWordsMade> words, const char* text, std::size_t count,
                     const StyleCodes<kFormat>& styles, char* p) {
  constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  constexpr std::string_view kClose = kTraits<kFormat>.runClose;
  static_assert(kPrefix.size() <= 32 && kClose.size() < 16);
  static constexpr Padded kPrefixBytes = Pad(kPrefix);
  static constexpr Padded kCloseBytes = Pad(kClose, 1);  // after the character
#if defined(__x86_64__)
  if constexpr (WidePiece<kFormat>::kFits) {
    if (styles.size == 0 && Avx2Enabled()) {
      return WriteFlatWidePiecesAvx2<kFormat, kEscapes>(words, text, count, p);
    }
  }
#endif
#if defined(__SSE2__)
  if constexpr (VectorPiece<kFormat>::kFits) {
    if (styles.size == 0) return WriteFlatVectorPieces<kFormat, kEscapes>(words, text, count, p);
  }
#endif
  const StyleCodes<kFormat> codes = styles;
  for (std::size_t j = 0; j < count; ++j) {
    std::memcpy(p, kPrefixBytes.bytes, kPrefix.size() <= 16 ? 16 : 32);
    p = PutHexWord<kFormat>(p + kPrefix.size(), words[j]);
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

// Whether WriteFlatAfterText can write the format: the colour, in hexadecimal digits, after
// each character's text (json), and no character rules or wave.
template <MarkupFormat kFormat>
inline constexpr bool kWritesFlatAfterText =
    kTraits<kFormat>.colorAfterText && !kTraits<kFormat>.alwaysMerges &&
    kTraits<kFormat>.spelling != ColorSpelling::kDecimal &&
    kTraits<kFormat>.wave == WavePlace::kNone && !CharacterRules<kFormat>::kAny;

// WriteFlatBytes where the colour comes after the text: each character ends the run before
// it, with that run's colour, and opens its own. `first`: the first character is the text's,
// with no run before it; else `before` is the hex word of the run before, and it becomes the
// last character's. count must be 1 or more.
template <MarkupFormat kFormat, bool kEscapes, bool kWordsMade>
char* WriteFlatAfterText(HexWords<kFormat, kWordsMade> words, const char* text, std::size_t count,
                         const StyleCodes<kFormat>& styles, bool first, std::uint64_t& before,
                         char* p) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  constexpr std::size_t kOpenSize = t.runEnd.size() + t.colorPrefix.size();
  static_assert(t.runClose.size() <= 16 && kOpenSize <= 16);
  static constexpr Padded kFirst = Pad(t.colorPrefix);
  static constexpr Padded kClose = Pad(t.runClose);
  static constexpr Padded kOpen = [] {
    Padded padded = Pad(t.runEnd);
    for (std::size_t i = 0; i < t.colorPrefix.size(); ++i) {
      padded.bytes[t.runEnd.size() + i] = t.colorPrefix[i];
    }
    return padded;
  }();
  const StyleCodes<kFormat> codes = styles;
  const auto put = [&](std::size_t j) __attribute__((always_inline)) {
    const auto c = static_cast<unsigned char>(text[j]);
    if (NeedsEscape<kFormat, kEscapes>(c)) {
      p = PutCharacter<kFormat, kEscapes>(p, text + j, 1, false);
    } else {
      *p++ = static_cast<char>(c);
    }
  };
  std::uint64_t word = before;
  std::size_t j = 0;
  if (first) {
    std::memcpy(p, kFirst.bytes, 16);
    p += t.colorPrefix.size();
    put(0);
    word = words[0];
    j = 1;
  }
  for (; j < count; ++j) {
    std::memcpy(p, kClose.bytes, 16);
    p = PutHexWord<kFormat>(p + t.runClose.size(), word);
    if constexpr (kHasStyleCodes<kFormat>) p = codes.Put(p);
    std::memcpy(p, kOpen.bytes, 16);
    p += kOpenSize;
    put(j);
    word = words[j];
  }
  before = word;
  return p;
}

// The n one-byte characters from c, the j-th on, with put(j, c, p). Four at a time: the loop's
// own steps are a third of a character's.
template <typename Put>
[[gnu::always_inline]] inline char* PutByteRun(Put& put, std::size_t j, const char* c,
                                               std::size_t n, char* p) {
  std::size_t k = 0;
  for (; k + 4 <= n; k += 4) {
    for (std::size_t u = 0; u < 4; ++u) p = put(j + k + u, c + k + u, p);
  }
  for (; k < n; ++k) p = put(j + k, c + k, p);
  return p;
}

// The tags the flat writers put around each character, set up once a block: copies on the
// stack of the colour tag's prefix, the run's close and the style codes, which the compiler
// keeps apart from the stores through p. `waves` holds each character's wave state, or where
// the format writes the wave after the colour tag (closing the state before), its transition:
// previous state * 4 + state.
template <MarkupFormat kFormat, bool kWavy>
class FlatTags {
 public:
  explicit FlatTags(const StyleCodes<kFormat>& styles) : m_codes(styles) {
    for (std::size_t i = 0; i < kPrefix.size(); ++i) m_prefix[i] = kPrefix[i];
    for (std::size_t i = 0; i < kClose.size(); ++i) m_close[i] = kClose[i];
  }

  // Character j's tags before its text: its colour tag of `word` (HexWords), the style codes
  // and the wave's tag.
  [[gnu::always_inline]] char* Open(char* p, std::uint64_t word, std::size_t j,
                                    const std::uint8_t* waves) const {
    std::memcpy(p, m_prefix, kPrefix.size() <= 16 ? 16 : 32);
    p = PutHexWord<kFormat>(p + kPrefix.size(), word);
    if constexpr (kHasStyleCodes<kFormat>) p = m_codes.Put(p);
    if constexpr (kWavy && kWave == WavePlace::kAfterColorTag) {
      p = PutWaveTransition(p, kWaveTransitions<kFormat>[waves[j]]);
    } else if constexpr (kWavy) {
      p = PutStateTag(p, kWaveOpen<kFormat>[waves[j]]);
    }
    return p;
  }

  // Character j's tags after its text: the wave's closing tag and the run's close.
  [[gnu::always_inline]] char* Shut(char* p, std::size_t j, const std::uint8_t* waves) const {
    if constexpr (kWavy && kWave == WavePlace::kInsideElement) {
      p = PutStateTag(p, kWaveClose<kFormat>[waves[j]]);
    }
    if constexpr (!kClose.empty()) {
      std::memcpy(p, m_close, sizeof m_close);
      p += kClose.size();
    }
    return p;
  }

  // Character j of one byte, at c, with its tags.
  template <bool kEscapes>
  [[gnu::always_inline]] char* PutByte(char* p, std::uint64_t word, std::size_t j, const char* c,
                                       const std::uint8_t* waves) const {
    p = Open(p, word, j, waves);
    if (!NeedsEscape<kFormat, kEscapes>(static_cast<unsigned char>(*c))) {
      *p++ = *c;
    } else {
      p = PutCharacter<kFormat, kEscapes>(p, c, 1, false);
    }
    return Shut(p, j, waves);
  }

 private:
  static constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  static constexpr std::string_view kClose = kTraits<kFormat>.runClose;
  static constexpr WavePlace kWave = kTraits<kFormat>.wave;
  static_assert(kPrefix.size() <= 32 && kClose.size() <= 16);
  static_assert(!kWavy || kWave != WavePlace::kNone);

  char m_prefix[32] = {};
  char m_close[16] = {};
  StyleCodes<kFormat> m_codes;
};

// WriteFlat for a text cut by bits: runs of one-byte characters as WriteFlatBytes writes
// bytes, the other characters one by one.
template <MarkupFormat kFormat, bool kWavy, bool kEscapes, bool kWordsMade>
[[gnu::noinline]] char* WriteFlatWalking(HexWords<kFormat, kWordsMade> words,
                                         const std::uint8_t* waves, std::string_view bytes,
                                         std::size_t start, CharacterText::Cursor& cursor,
                                         std::size_t count, const StyleCodes<kFormat>& styles,
                                         char* p) {
  const FlatTags<kFormat, kWavy> tags(styles);
  // One character of one byte.
  const auto putByte = [&](std::size_t j, const char* c, char* at) __attribute__((always_inline)) {
    return tags.template PutByte<kEscapes>(at, words[j], j, c, waves);
  };
  CharacterText::Cursor walker = cursor;
  const char* const textEnd = bytes.data() + bytes.size();
  // Where 16 bytes can be read from every character's start, as is so for all blocks but the
  // text's last, each is one copy: the test is made once.
  const auto walk = [&](auto readable) __attribute__((always_inline)) {
    walker.Walk(
        bytes.data(), start, count,
        [&](std::size_t j, const char* from, std::size_t n) {
          p = PutByteRun(putByte, j, from, n, p);
        },
        [&](std::size_t j, const char* from, const char* end) {
          p = tags.Open(p, words[j], j, waves);
          const auto size = static_cast<std::size_t>(end - from);
          p = PutCharacter<kFormat, kEscapes>(p, from, size, readable() || textEnd - from >= 16);
          p = tags.Shut(p, j, waves);
        });
  };
  if (walker.EndAfter(count) + 16 <= bytes.size()) {
    walk(std::true_type{});
  } else {
    walk(std::false_type{});
  }
  cursor = walker;
  return p;
}

// Every character with its whole tag as in WriteFlatBytes, for characters of any size and with
// the wave: the next `count` characters from `cursor`, which start at byte `start` of `bytes`.
// `waves` as FlatTags takes them.
template <MarkupFormat kFormat, bool kBytes, bool kWavy, bool kEscapes, bool kWordsMade>
char* WriteFlat(HexWords<kFormat, kWordsMade> words, const std::uint8_t* waves,
                std::string_view bytes, std::size_t start, CharacterText::Cursor& cursor,
                std::size_t count, const StyleCodes<kFormat>& styles, char* p) {
  if constexpr (!kBytes) {
    return WriteFlatWalking<kFormat, kWavy, kEscapes>(words, waves, bytes, start, cursor, count,
                                                      styles, p);
  }
  // From here on the text is cut into bytes (the wave's case; WriteFlatBytes takes the others):
  // every character is one byte, and the cursor has nothing to walk.
#if defined(__SSE2__)
  if constexpr (kWavy && !kEscapes && kTraits<kFormat>.runClose.empty() &&
                kTraits<kFormat>.wave == WavePlace::kAfterColorTag) {
#if defined(__x86_64__)
    if constexpr (kWavePieces<kFormat>.fit) {
      if (styles.size == 0 && Avx2Enabled()) {
        return WriteFlatWavePiecesAvx2<kFormat>(words, waves, bytes.data() + start, count, p);
      }
    }
#endif
    return WriteFlatWaveBytes<kFormat>(words, waves, bytes.data() + start, count, styles, p);
  }
#endif
  const FlatTags<kFormat, kWavy> tags(styles);
  const auto putByte = [&](std::size_t j, const char* c, char* at) __attribute__((always_inline)) {
    return tags.template PutByte<kEscapes>(at, words[j], j, c, waves);
  };
  return PutByteRun(putByte, 0, bytes.data() + start, count, p);
}

}  // namespace tintrix::markup
