#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/internal/hexdigits.h"
#include "engine/internal/textescapes.h"
#include "engine/markupformat.h"

// The bytes each format writes, made at compile time from its entry in kFormats, in the
// shapes the writers copy them in: padded to whole words, so that one copy writes a tag
// whatever its length. Each character's own bytes go through the format's escape
// (textescapes.h).
namespace tintrix::markup {

template <MarkupFormat kFormat>
inline constexpr const FormatTraits& kTraits = TraitsOf(kFormat);

// The character's bytes, escaped as the format needs where kEscapes says that the text may
// need it. `readable` tells that 16 bytes may be read from c, whatever the character's size.
template <MarkupFormat kFormat, bool kEscapes>
inline char* PutCharacter(char* p, const char* c, std::size_t size, bool readable) {
  constexpr TextEscape kEscape = kTraits<kFormat>.escape;
  if constexpr (kEscapes && kEscape != TextEscape::kNone) {
    constexpr const ByteSet& kStarts = kEscapeStarts<kEscape>;
    bool escapes = false;
    for (std::size_t i = 0; i < size; ++i) escapes |= kStarts.Has(static_cast<unsigned char>(c[i]));
    if (escapes) return PutEscaped<kEscape>(p, c, size);
  }
  if (size == 1) {
    *p = *c;
  } else if (size <= 16 && readable) {
    std::memcpy(p, c, 16);
  } else {
    std::memcpy(p, c, size);
  }
  return p + size;
}

// True when the byte needs the escape's slow path.
template <MarkupFormat kFormat, bool kEscapes>
constexpr bool NeedsEscape(unsigned char c) {
  if constexpr (!kEscapes) return false;
  return kEscapeStarts<kTraits<kFormat>.escape>.Has(c);
}

// What the format says of the characters around one that holds certain bytes.
template <MarkupFormat kFormat>
struct CharacterRules {
  static constexpr ByteSet kStandAlone{kTraits<kFormat>.standAlone};
  static constexpr ByteSet MakeRetagStarts() {
    ByteSet set;
    for (std::string_view text : kTraits<kFormat>.retagAfter) {
      if (!text.empty()) set.Add(static_cast<unsigned char>(text[0]));
    }
    return set;
  }
  static constexpr ByteSet kRetagStarts = MakeRetagStarts();
  static constexpr bool kAny = !kStandAlone.Empty() || !kRetagStarts.Empty();

  // The character must start an element of its own.
  static bool StandsAlone(std::string_view c) {
    if constexpr (kStandAlone.Empty()) return false;
    for (char b : c) {
      if (kStandAlone.Has(static_cast<unsigned char>(b))) return true;
    }
    return false;
  }

  // The character after this one must start an element of its own.
  static bool EndsRun(std::string_view c) {
    if (StandsAlone(c)) return true;
    if constexpr (!kRetagStarts.Empty()) {
      for (std::size_t i = 0; i < c.size(); ++i) {
        if (!kRetagStarts.Has(static_cast<unsigned char>(c[i]))) continue;
        for (std::string_view text : kTraits<kFormat>.retagAfter) {
          if (!text.empty() && c.substr(i, text.size()) == text) return true;
        }
      }
    }
    return false;
  }
};

// A colour tag's colour: for the hexadecimal spellings, "RRGGBB" and the format's suffix in a
// little-endian word, which one copy writes.
template <MarkupFormat kFormat>
struct HexTag {
  static constexpr bool kLower = kTraits<kFormat>.spelling == ColorSpelling::kHexLower;
  static constexpr std::string_view kSuffix = kTraits<kFormat>.colorSuffix;
  static_assert(kSuffix.size() <= 2, "the suffix shares the word of the digits");
  static constexpr std::size_t kBytes = 6 + kSuffix.size();
  static constexpr std::uint32_t kSuffixBits =
      (kSuffix.size() > 0 ? std::uint32_t{static_cast<unsigned char>(kSuffix[0])} << 16 : 0) |
      (kSuffix.size() > 1 ? std::uint32_t{static_cast<unsigned char>(kSuffix[1])} << 24 : 0);

  // The word of 0xRRGGBB. Always inlined: a call costs more than the few instructions.
  [[gnu::always_inline]] static std::uint64_t Word(std::uint32_t c) {
    const std::uint32_t low = hex::PairDigits<kLower>(c >> 16, c >> 8 & 0xFF);
    const std::uint32_t high = hex::ByteDigits<kLower>(c & 0xFF) | kSuffixBits;
    return std::uint64_t{low} | std::uint64_t{high} << 32;
  }
};

// The colour of hex word `word` (HexTag) as the format spells it, with its suffix, in whole
// words that may run 32 bytes past p.
template <MarkupFormat kFormat>
[[gnu::always_inline]] inline char* PutHexWord(char* p, std::uint64_t word) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  if constexpr (t.spelling == ColorSpelling::kMarkedHex) {
    // The marks copied at once, the digits put between them.
    constexpr std::size_t kStep = t.colorMark.size() + 1;
    static_assert(6 * kStep <= 32);
    static constexpr auto kMarks = [] {
      std::array<char, 32> marks{};
      for (std::size_t digit = 0; digit < 6; ++digit) {
        for (std::size_t i = 0; i < t.colorMark.size(); ++i) {
          marks[digit * kStep + i] = t.colorMark[i];
        }
      }
      return marks;
    }();
    std::memcpy(p, kMarks.data(), 6 * kStep <= 16 ? 16 : 32);
    for (std::size_t digit = 0; digit < 6; ++digit) {
      p[digit * kStep + kStep - 1] = static_cast<char>(word >> (8 * digit));
    }
    return Put(p + 6 * kStep, t.colorSuffix);
  } else {
    std::memcpy(p, &word, sizeof word);
    return p + HexTag<kFormat>::kBytes;
  }
}

// The words of a block's colours in 32-bit halves.
template <MarkupFormat kFormat>
void MakeHexWords(const std::uint32_t* rgb, std::size_t count, std::uint32_t* halves) {
  hex::ColorWords<HexTag<kFormat>::kLower>(rgb, count, HexTag<kFormat>::kSuffixBits, halves);
}

// The same where neighbours mostly share their colour: a word only where it changes.
template <MarkupFormat kFormat>
void MakeHexWordsOfRuns(const std::uint32_t* rgb, std::size_t count, std::uint32_t* halves) {
  std::uint32_t last = ~std::uint32_t{0};
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) word = HexTag<kFormat>::Word(last = rgb[j]);
    std::memcpy(halves + 2 * j, &word, sizeof word);
  }
}

// The colour words of a block's characters for the flat writers: made beforehand where the
// colour changes at nearly every character (MakeHexWords), or made as they go, and only where
// the colour changes, where long runs share one.
template <MarkupFormat kFormat, bool kMade>
class HexWords {
 public:
  HexWords(const std::uint32_t* rgb, const std::uint32_t* halves) : m_rgb(rgb), m_halves(halves) {}

#if defined(__SSE2__)
  // Words j and j + 1, the first in the low half.
  [[gnu::always_inline]] __m128i Pair(std::size_t j) {
    if constexpr (kMade) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_halves + 2 * j));
    } else {
      const std::uint64_t first = (*this)[j];
      return _mm_set_epi64x(static_cast<long long>((*this)[j + 1]), static_cast<long long>(first));
    }
  }
#endif

  [[gnu::always_inline]] std::uint64_t operator[](std::size_t j) {
    if constexpr (kMade) {
      std::uint64_t word;
      std::memcpy(&word, m_halves + 2 * j, sizeof word);
      return word;
    } else {
      if (m_rgb[j] != m_last) m_word = HexTag<kFormat>::Word(m_last = m_rgb[j]);
      return m_word;
    }
  }

 private:
  const std::uint32_t* m_rgb;
  const std::uint32_t* m_halves;
  std::uint32_t m_last = ~std::uint32_t{0};
  std::uint64_t m_word = 0;
};

// The decimal digits of 0 ... 255, padded to four bytes.
struct Decimal {
  char bytes[4];
  std::uint8_t size;
};

constexpr std::array<Decimal, 256> MakeDecimals() {
  std::array<Decimal, 256> table{};
  for (int v = 0; v < 256; ++v) {
    Decimal& d = table[static_cast<std::size_t>(v)];
    if (v >= 100) d.bytes[d.size++] = static_cast<char>('0' + v / 100);
    if (v >= 10) d.bytes[d.size++] = static_cast<char>('0' + v / 10 % 10);
    d.bytes[d.size++] = static_cast<char>('0' + v % 10);
  }
  return table;
}
inline constexpr auto kDecimals = MakeDecimals();

inline char* PutDecimal(char* p, std::uint32_t v) {
  const Decimal& d = kDecimals[v];
  std::memcpy(p, d.bytes, 4);
  return p + d.size;
}

// A text padded with zeros to 32 bytes from `at` on, so that a tag is one or two copies.
struct Padded {
  char bytes[32];
};

constexpr Padded Pad(std::string_view text, std::size_t at = 0) {
  Padded padded{};
  for (std::size_t i = 0; i < text.size(); ++i) padded.bytes[at + i] = text[i];
  return padded;
}

// The wave's tags for each state, padded so that each is one copy whatever its length: the
// states are random, and branches on them would mostly guess wrong.
struct StateTag {
  char bytes[8];
  std::size_t size;
};

constexpr std::array<StateTag, 4> MakeStateTags(const WaveTexts& texts) {
  std::array<StateTag, 4> tags{};
  for (std::size_t s = 0; s < 4; ++s) {
    for (char c : texts[s]) tags[s].bytes[tags[s].size++] = c;
  }
  return tags;
}

template <MarkupFormat kFormat>
inline constexpr auto kWaveOpen = MakeStateTags(kTraits<kFormat>.waveOpen);
template <MarkupFormat kFormat>
inline constexpr auto kWaveClose = MakeStateTags(kTraits<kFormat>.waveClose);

// The wave's tags in front of a character in formats that close the state before after the
// colour tag, for every previous state (none, 1, 2, 3) and new state, at previous * 4 + state.
struct WaveTransition {
  char bytes[16];
  std::size_t size;
};

constexpr std::array<WaveTransition, 16> MakeWaveTransitions(const WaveTexts& open,
                                                             const WaveTexts& close) {
  std::array<WaveTransition, 16> transitions{};
  for (std::size_t previous = 0; previous < 4; ++previous) {
    for (std::size_t state = 0; state < 4; ++state) {
      WaveTransition& t = transitions[previous * 4 + state];
      for (char c : close[previous]) t.bytes[t.size++] = c;
      for (char c : open[state]) t.bytes[t.size++] = c;
    }
  }
  return transitions;
}

template <MarkupFormat kFormat>
inline constexpr auto kWaveTransitions = MakeWaveTransitions(kTraits<kFormat>.waveOpen,
                                                             kTraits<kFormat>.waveClose);

inline char* PutWaveTransition(char* p, const WaveTransition& transition) {
  std::memcpy(p, transition.bytes, sizeof transition.bytes);
  return p + transition.size;
}

inline char* PutStateTag(char* p, const StateTag& tag) {
  std::memcpy(p, tag.bytes, sizeof tag.bytes);
  return p + tag.size;
}

template <MarkupFormat kFormat>
inline constexpr bool kHasStyleCodes =
    !kTraits<kFormat>.styleCodes[0].empty() || !kTraits<kFormat>.styleCodes[1].empty() ||
    !kTraits<kFormat>.styleCodes[2].empty();

// The style codes that follow every colour tag, for the styles that are on: as few whole
// words as hold them all, so that the writers keep them in registers.
template <MarkupFormat kFormat>
struct StyleCodes {
  static constexpr std::size_t kLongest = kTraits<kFormat>.styleCodes[0].size() +
                                          kTraits<kFormat>.styleCodes[1].size() +
                                          kTraits<kFormat>.styleCodes[2].size();
  static constexpr std::size_t kCapacity = kLongest <= 8 ? 8 : (kLongest + 7) / 8 * 8;
  char bytes[kCapacity] = {};
  std::size_t size = 0;

  explicit StyleCodes(const MarkupOptions& options) {
    const bool on[kStyleCount] = {options.underline, options.italic, options.bold};
    for (std::size_t s = 0; s < kStyleCount; ++s) {
      if (!on[s]) continue;
      for (char c : kTraits<kFormat>.styleCodes[s]) bytes[size++] = c;
    }
  }

  char* Put(char* p) const {
    // Several words are worth a test of their own, which all but styled fades pass.
    if constexpr (kCapacity > 8) {
      if (size == 0) return p;
    }
    std::memcpy(p, bytes, kCapacity);
    return p + size;
  }
};

constexpr std::size_t Longest(const WaveTexts& texts) {
  std::size_t longest = 0;
  for (std::string_view text : texts) longest = text.size() > longest ? text.size() : longest;
  return longest;
}

// The most bytes the format writes around one character, its own bytes apart: the end of the
// run before, a colour tag with its style codes and the wave's tags.
template <MarkupFormat kFormat>
constexpr std::size_t MaxTagBytes() {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  const std::size_t digits = t.spelling == ColorSpelling::kDecimal ? 11
                             : t.spelling == ColorSpelling::kMarkedHex
                                 ? 6 * (1 + t.colorMark.size())
                                 : 8;
  const std::size_t color = digits + t.colorSuffix.size() + StyleCodes<kFormat>::kCapacity;
  // Wave tags are copied 16 bytes at a time; a run's end may hold a colour too.
  return 16 + t.runClose.size() + color + t.runEnd.size() + t.colorPrefix.size() + color + 16;
}

// The bytes of a colour tag in hexadecimal digits, from its prefix to its suffix: where a
// character's text starts after its tag, when no style code is on.
template <MarkupFormat kFormat>
constexpr std::size_t ColorTagBytes() {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  const std::size_t digits =
      t.spelling == ColorSpelling::kMarkedHex ? 6 * (1 + t.colorMark.size()) : 6;
  return t.colorPrefix.size() + digits + t.colorSuffix.size();
}

// The bytes of one character's tags in the common case: its colour tag with its style codes,
// and its closing tag.
template <MarkupFormat kFormat>
constexpr std::size_t TypicalTagBytes() {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  if (t.alwaysMerges) return 2;
  return ColorTagBytes<kFormat>() + StyleCodes<kFormat>::kLongest + t.runClose.size() +
         t.runEnd.size();
}

}  // namespace tintrix::markup
