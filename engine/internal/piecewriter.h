#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/internal/formatcodes.h"
#include "engine/internal/textescapes.h"
#include "engine/markupformat.h"

// The flat writers' ways of storing each character's whole piece (its colour tag, the
// character and the run's close) at once, in vectors of 16 bytes made beforehand, where the
// parts one after the other would take a store each: for long runs of one colour, for short
// pieces of colours that change often, and for classic with the wave.
namespace tintrix::markup {

// Where a character's whole piece puts its parts in a format: its colour tag, the character
// at kTextAt, then the run's close; kSize bytes in all.
template <MarkupFormat kFormat>
struct PieceLayout {
  static constexpr const FormatTraits& t = kTraits<kFormat>;
  static constexpr bool kMarked = t.spelling == ColorSpelling::kMarkedHex;
  static constexpr std::size_t kTextAt = ColorTagBytes<kFormat>();
  static constexpr std::size_t kSize = kTextAt + 1 + t.runClose.size();
};

// One character's whole piece in a format of kSize bytes a piece, the character at kTextAt:
// its tag, the character, the run's close. Made once a colour (Set); then each character is
// put into its place on the way to the stores, a 16-byte store for every 16 bytes or part.
template <std::size_t kSize, std::size_t kTextAt>
class FlatPiece {
 public:
  static constexpr std::size_t kCapacity = (kSize + 15) / 16 * 16;

  // From `bytes`, kCapacity of them, the character's place and what follows kSize unused.
  void Set(const char* bytes) {
#if defined(__SSE2__)
    for (std::size_t k = 0; k < kVectors; ++k) {
      m_vectors[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * k));
    }
    // The byte that shares the character's 16-bit lane.
    m_other = kTextAt % 2
                  ? static_cast<unsigned char>(bytes[kTextAt - 1])
                  : static_cast<unsigned>(static_cast<unsigned char>(bytes[kTextAt + 1])) << 8;
#else
    std::memcpy(m_bytes, bytes, kCapacity);
#endif
  }

  // The piece with character c at p; returns where it ends. Stores run to kCapacity.
  [[gnu::always_inline]] char* Put(char* p, unsigned char c) const {
#if defined(__SSE2__)
    for (std::size_t k = 0; k < kVectors; ++k) {
      __m128i v = m_vectors[k];
      if (k == kTextAt / 16) {
        const unsigned lane = kTextAt % 2 ? m_other | unsigned{c} << 8 : m_other | c;
        v = _mm_insert_epi16(v, static_cast<int>(lane), (kTextAt % 16) / 2);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * k), v);
    }
#else
    std::memcpy(p, m_bytes, kCapacity);
    p[kTextAt] = static_cast<char>(c);
#endif
    return p + kSize;
  }

 private:
#if defined(__SSE2__)
  static constexpr std::size_t kVectors = kCapacity / 16;
  __m128i m_vectors[kVectors] = {};
  unsigned m_other = 0;
#else
  char m_bytes[kCapacity] = {};
#endif
};

// Whether the eight colours at rgb are all `color`.
[[gnu::always_inline]] inline bool SameColor8(const std::uint32_t* rgb, std::uint32_t color) {
#if defined(__SSE2__)
  const __m128i same = _mm_set1_epi32(static_cast<int>(color));
  const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb)), same);
  const __m128i b =
      _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 4)), same);
  return _mm_movemask_epi8(_mm_and_si128(a, b)) == 0xFFFF;
#else
  std::uint32_t differ = 0;
  for (std::size_t k = 0; k < 8; ++k) differ |= rgb[k] ^ color;
  return differ == 0;
#endif
}

// WriteFlatBytes for colours in long runs, without style codes: each character's piece
// (FlatPiece) made once a colour. Fewer stores than a copy of each part, which is what one
// long line in the formats of many bytes a character waits on.
template <MarkupFormat kFormat, bool kEscapes>
char* WriteFlatPieces(const std::uint32_t* rgb, const char* text, std::size_t count, char* p) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  constexpr std::size_t kTextAt = PieceLayout<kFormat>::kTextAt;
  using Piece = FlatPiece<PieceLayout<kFormat>::kSize, kTextAt>;
  Piece piece;
  std::uint32_t last = ~std::uint32_t{0};  // no colour's
  for (std::size_t j = 0; j < count; ++j) {
    if (rgb[j] != last) {
      // PutHexWord may store up to 32 bytes past the digits.
      char bytes[Piece::kCapacity + 32] = {};
      PutHexWord<kFormat>(Put(bytes, t.colorPrefix), HexTag<kFormat>::Word(last = rgb[j]));
      std::memcpy(bytes + kTextAt + 1, t.runClose.data(), t.runClose.size());
      piece.Set(bytes);
    }
    if constexpr (!kEscapes) {
      // Eight in the colour of the one before, as most are: one test for all of them.
      while (j + 8 < count && SameColor8(rgb + j + 1, last)) {
        for (std::size_t k = 0; k < 8; ++k)
          p = piece.Put(p, static_cast<unsigned char>(text[j + k]));
        j += 8;
      }
    }
    const auto c = static_cast<unsigned char>(text[j]);
    if (NeedsEscape<kFormat, kEscapes>(c)) {
      piece.Put(p, 0);
      p = PutCharacter<kFormat, kEscapes>(p + kTextAt, text + j, 1, false);
      p = Put(p, t.runClose);
    } else {
      p = piece.Put(p, c);
    }
  }
  return p;
}

#if defined(__SSE2__)
// A character's whole piece (colour tag, character, run's close) in one 16-byte vector, made
// from its hex word where the colour changes at nearly every character: one store a
// character, where the tag's parts would take three, or eight in the marked spelling.
// (Pieces of two vectors were no faster than the parts.)
template <MarkupFormat kFormat>
struct VectorPiece : PieceLayout<kFormat> {
  using Layout = PieceLayout<kFormat>;
  using Layout::kMarked, Layout::kSize, Layout::kTextAt, Layout::t;
  // The character shares a 16-bit lane with a byte that is always the same: the close's, or
  // the suffix's.
  static constexpr bool kFits = kSize <= 16 && (!kMarked || t.colorMark.size() == 1) &&
                                (kTextAt % 2 == 0 || !t.colorSuffix.empty());

  // The piece's fixed bytes, and which bytes the colour fills.
  static constexpr Padded kFixed = [] {
    Padded padded = Pad(t.colorPrefix);
    for (std::size_t i = 0; i < t.colorSuffix.size(); ++i) {
      padded.bytes[kTextAt - t.colorSuffix.size() + i] = t.colorSuffix[i];
    }
    for (std::size_t i = 0; i < t.runClose.size(); ++i)
      padded.bytes[kTextAt + 1 + i] = t.runClose[i];
    return padded;
  }();
  static constexpr Padded kColorBytes = [] {
    Padded padded{};
    for (std::size_t i = t.colorPrefix.size(); i < kTextAt - t.colorSuffix.size(); ++i) {
      padded.bytes[i] = static_cast<char>(0xFF);
    }
    return padded;
  }();
  static constexpr unsigned kOther = static_cast<unsigned char>(
      kTextAt % 2 ? kFixed.bytes[kTextAt - 1] : kFixed.bytes[kTextAt + 1]);
};

template <MarkupFormat kFormat, bool kEscapes, bool kWordsMade>
char* WriteFlatVectorPieces(HexWords<kFormat, kWordsMade> words, const char* text,
                            std::size_t count, char* p) {
  using Piece = VectorPiece<kFormat>;
  constexpr const FormatTraits& t = kTraits<kFormat>;
  const __m128i fixed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Piece::kFixed.bytes));
  const __m128i colorBytes =
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(Piece::kColorBytes.bytes));
  const __m128i mark = _mm_set1_epi8(Piece::kMarked ? t.colorMark[0] : 0);
  for (std::size_t j = 0; j < count; ++j) {
    // The word's digits (and marks) moved to their place: the colour's bytes of the piece.
    __m128i color = _mm_cvtsi64_si128(static_cast<long long>(words[j]));
    if constexpr (Piece::kMarked) color = _mm_unpacklo_epi8(mark, color);
    color =
        _mm_or_si128(fixed, _mm_and_si128(_mm_slli_si128(color, t.colorPrefix.size()), colorBytes));
    const auto c = static_cast<unsigned>(static_cast<unsigned char>(text[j]));
    if (NeedsEscape<kFormat, kEscapes>(static_cast<unsigned char>(c))) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p), color);
      p = PutCharacter<kFormat, kEscapes>(p + Piece::kTextAt, text + j, 1, false);
      p = Put(p, t.runClose);
      continue;
    }
    const unsigned lane = Piece::kTextAt % 2 ? Piece::kOther | c << 8 : c | Piece::kOther << 8;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_insert_epi16(color, static_cast<int>(lane), Piece::kTextAt / 2));
    p += Piece::kSize;
  }
  return p;
}
#endif

#if defined(__x86_64__)
// A wide piece's colour from `at` on: in `words`, the source byte of each digit (and of the
// suffix, which a plain word holds after its digits), the word's first being `word`; in
// `fixed`, the marks and suffix of the marked spelling. Returns where the colour ends.
template <MarkupFormat kFormat>
constexpr std::size_t PlaceWideColor(char* fixed, char* words, std::size_t at, std::size_t word) {
  constexpr const FormatTraits& t = kTraits<kFormat>;
  if constexpr (PieceLayout<kFormat>::kMarked) {
    for (std::size_t digit = 0; digit < 6; ++digit) {
      for (const char c : t.colorMark) fixed[at++] = c;
      words[at++] = static_cast<char>(word + digit);
    }
    for (const char c : t.colorSuffix) fixed[at++] = c;
  } else {
    for (std::size_t i = 0; i < HexTag<kFormat>::kBytes; ++i) {
      words[at++] = static_cast<char>(word + i);
    }
  }
  return at;
}

// Whole pieces in 32-byte vectors, from the words' digits (and suffix) and the characters
// moved to their places by one shuffle, around the marks of the marked spelling: two pieces
// a vector where two fit and each word leaves a byte for its character (VectorPiece's
// formats), else one of 17 to 32 bytes. On AVX2.
template <MarkupFormat kFormat>
struct WidePiece : PieceLayout<kFormat> {
  using Layout = PieceLayout<kFormat>;
  using Layout::kMarked, Layout::kSize, Layout::kTextAt, Layout::t;
  static constexpr std::size_t kWord = HexTag<kFormat>::kBytes;
  static constexpr std::size_t kPer = 2 * kSize <= 32 && kWord <= 7 ? 2 : 1;
  // A plain tag with nothing after the character (classic) is three short stores, which
  // measured as quick as one piece.
  static constexpr bool kFits =
      t.spelling != ColorSpelling::kDecimal && kSize <= 32 &&
      (kPer == 2 || (!VectorPiece<kFormat>::kFits && (kMarked || !t.runClose.empty())));

  struct Bytes {
    char fixed[32];  // the prefix, the marks and suffix, the run's close
    // For each byte, the byte of the words (two, 16 bytes) that goes there, or none (0x80).
    char words[32];
    // For two pieces, the same of the characters (the first, then the second, over and
    // over); for one, 0xFF where the character goes, 0 elsewhere.
    char text[32];
  };
  static constexpr Bytes kBytes = [] {
    Bytes bytes{};
    for (std::size_t i = 0; i < 32; ++i) {
      bytes.words[i] = static_cast<char>(0x80);
      bytes.text[i] = kPer == 2 ? static_cast<char>(0x80) : 0;
    }
    for (std::size_t piece = 0; piece < kPer; ++piece) {
      std::size_t at = piece * kSize;
      const std::size_t word = 8 * piece;
      for (const char c : t.colorPrefix) bytes.fixed[at++] = c;
      at = PlaceWideColor<kFormat>(bytes.fixed, bytes.words, at, word);
      bytes.text[at++] = static_cast<char>(kPer == 2 ? piece : 0xFF);
      for (const char c : t.runClose) bytes.fixed[at++] = c;
    }
    return bytes;
  }();
};

template <MarkupFormat kFormat, bool kEscapes, bool kWordsMade>
[[gnu::target("avx2")]] char* WriteFlatWidePiecesAvx2(HexWords<kFormat, kWordsMade> words,
                                                      const char* text, std::size_t count,
                                                      char* p) {
  using Piece = WidePiece<kFormat>;
  const __m256i fixed = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Piece::kBytes.fixed));
  const __m256i fromWords =
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Piece::kBytes.words));
  const __m256i fromText = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Piece::kBytes.text));
  // The pieces of the words in `pair` (the first in its low half) with the characters in
  // `characters` (the first in its low byte). Every source is made whole, none merged into a
  // register of the step before, which would chain each step to the last.
  const auto pieces = [&](__m128i pair, unsigned characters)
      __attribute__((target("avx2"), always_inline)) {
    const __m256i digits = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(pair), fromWords);
    __m256i bytes;
    if constexpr (Piece::kPer == 2) {
      bytes = _mm256_shuffle_epi8(_mm256_set1_epi16(static_cast<short>(characters)), fromText);
    } else {
      bytes = _mm256_and_si256(_mm256_set1_epi8(static_cast<char>(characters)), fromText);
    }
    return _mm256_or_si256(fixed, _mm256_or_si256(digits, bytes));
  };
  const auto store = [](char* at, __m256i v) __attribute__((target("avx2"), always_inline)) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), v);
  };
  std::size_t j = 0;
  if constexpr (Piece::kPer == 2) {
    for (; j + 2 <= count; j += 2) {
      const auto c0 = static_cast<unsigned char>(text[j]);
      const auto c1 = static_cast<unsigned char>(text[j + 1]);
      if (NeedsEscape<kFormat, kEscapes>(c0) || NeedsEscape<kFormat, kEscapes>(c1)) break;
      store(p, pieces(words.Pair(j), unsigned{c0} | unsigned{c1} << 8));
      p += 2 * Piece::kSize;
    }
  }
  // One at a time: the pieces of two from the first that needs an escape on.
  for (; j < count; ++j) {
    const auto c = static_cast<unsigned char>(text[j]);
    if (NeedsEscape<kFormat, kEscapes>(c)) {
      store(p, pieces(_mm_cvtsi64_si128(static_cast<long long>(words[j])), 0));
      p = PutCharacter<kFormat, kEscapes>(p + Piece::kTextAt, text + j, 1, false);
      p = Put(p, kTraits<kFormat>.runClose);
    } else {
      store(p, pieces(_mm_cvtsi64_si128(static_cast<long long>(words[j])), c));
      p += Piece::kSize;
    }
  }
  return p;
}
#endif

#if defined(__SSE2__)
// WriteFlat's bytes with the wave, where the format writes the wave's tags after the colour
// tag and nothing after the character: each character goes in front of the next one's
// colour tag, one store for both, which saves a store of four.
template <MarkupFormat kFormat, bool kWordsMade>
char* WriteFlatWaveBytes(HexWords<kFormat, kWordsMade> words, const std::uint8_t* transitions,
                         const char* text, std::size_t count, const StyleCodes<kFormat>& styles,
                         char* p) {
  constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  static_assert(!kPrefix.empty() && kPrefix.size() < 16);
  static constexpr Padded kAlone = Pad(kPrefix);
  static constexpr Padded kAfter = Pad(kPrefix, 1);  // byte 0 for the character before
  const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kAfter.bytes));
  const auto lead = static_cast<unsigned>(static_cast<unsigned char>(kPrefix[0])) << 8;
  const StyleCodes<kFormat> codes = styles;
  if (count == 0) return p;
  std::memcpy(p, kAlone.bytes, 16);
  p += kPrefix.size();
  for (std::size_t j = 0;; ++j) {
    p = PutHexWord<kFormat>(p, words[j]);
    if constexpr (kHasStyleCodes<kFormat>) p = codes.Put(p);
    p = PutWaveTransition(p, kWaveTransitions<kFormat>[transitions[j]]);
    const auto c = static_cast<unsigned>(static_cast<unsigned char>(text[j]));
    if (j + 1 == count) {
      *p++ = static_cast<char>(c);
      return p;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_insert_epi16(after, static_cast<int>(c | lead), 0));
    p += 1 + kPrefix.size();
  }
}
#endif

#if defined(__x86_64__)
// Classic's pieces with the wave, from a character's colour word to the next colour tag's
// prefix: the word's place, the wave's tags, the character's place and the prefix, for each
// of the transitions, with a mask of the character's byte. Where they fit 32 bytes, each
// character is one store.
template <MarkupFormat kFormat>
struct WavePieces {
  static constexpr std::size_t kWord = HexTag<kFormat>::kBytes;
  static constexpr std::string_view kPrefix = kTraits<kFormat>.colorPrefix;
  alignas(32) char bytes[16][32];
  alignas(32) char slot[16][32];
  std::uint8_t size[16];
  bool fit;
};

template <MarkupFormat kFormat>
constexpr WavePieces<kFormat> MakeWavePieces() {
  using Pieces = WavePieces<kFormat>;
  WavePieces<kFormat> pieces{};
  pieces.fit = true;
  for (std::size_t t = 0; t < 16; ++t) {
    const WaveTransition& transition = kWaveTransitions<kFormat>[t];
    if (Pieces::kWord + transition.size + 1 + Pieces::kPrefix.size() > 32) {
      pieces.fit = false;
      return pieces;
    }
    std::size_t at = Pieces::kWord;
    for (std::size_t i = 0; i < transition.size; ++i) pieces.bytes[t][at++] = transition.bytes[i];
    pieces.slot[t][at++] = static_cast<char>(0xFF);
    for (const char c : Pieces::kPrefix) pieces.bytes[t][at++] = c;
    pieces.size[t] = static_cast<std::uint8_t>(at);
  }
  return pieces;
}

template <MarkupFormat kFormat>
inline constexpr WavePieces<kFormat> kWavePieces = MakeWavePieces<kFormat>();

// WriteFlatWaveBytes without style codes, where the pieces fit: each character's piece made
// in one vector, from its colour word, its transition's piece and the character, and stored
// at once. Stores run 32 bytes past the last piece's start.
template <MarkupFormat kFormat, bool kWordsMade>
[[gnu::target("avx2")]] char* WriteFlatWavePiecesAvx2(HexWords<kFormat, kWordsMade> words,
                                                      const std::uint8_t* transitions,
                                                      const char* text, std::size_t count,
                                                      char* p) {
  using Pieces = WavePieces<kFormat>;
  static_assert(Pieces::kPrefix.size() < 16 && Pieces::kWord <= 8);
  static constexpr Padded kAlone = Pad(Pieces::kPrefix);
  constexpr std::uint64_t kWordBytes =
      Pieces::kWord == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * Pieces::kWord)) - 1;
  const WavePieces<kFormat>& pieces = kWavePieces<kFormat>;
  if (count == 0) return p;
  std::memcpy(p, kAlone.bytes, 16);
  p += Pieces::kPrefix.size();
  for (std::size_t j = 0; j < count; ++j) {
    const unsigned t = transitions[j];
    const __m256i piece = _mm256_load_si256(reinterpret_cast<const __m256i*>(pieces.bytes[t]));
    const __m256i slot = _mm256_load_si256(reinterpret_cast<const __m256i*>(pieces.slot[t]));
    const __m256i word = _mm256_set_epi64x(0, 0, 0, static_cast<long long>(words[j] & kWordBytes));
    const __m256i c = _mm256_and_si256(_mm256_set1_epi8(text[j]), slot);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p),
                        _mm256_or_si256(_mm256_or_si256(piece, word), c));
    p += pieces.size[t];
  }
  // The last piece's prefix opens no tag.
  return p - Pieces::kPrefix.size();
}
#endif

}  // namespace tintrix::markup
