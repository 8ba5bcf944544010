#pragma once

#include <bit>
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

// What the cutting into characters (output/graphemes.cpp) needs to know of bytes of UTF-8,
// found many bytes at a time: whether a text is all ASCII, where printable ASCII stops, and
// for 64 bytes which are continuation bytes, which are not printable and which continuation
// bytes their lead bytes ask for.
namespace tintrix::graphemes {

inline bool IsAsciiOnly(std::string_view text) {
  // Eight bytes at a time: long texts are mostly ASCII.
  std::size_t i = 0;
  std::uint64_t high = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    high |= word;
  }
  for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
  return (high & 0x8080808080808080ull) == 0;
}

// Whether `text` is all ASCII, and if so whether a carriage return is in it: most lines are
// ASCII without one, every byte a character of its own. Sixteen bytes at a time, the last
// sixteen read again; a text past ASCII is left at its first 64 bytes that show it.
struct AsciiScan {
  bool ascii = false;
  bool carriageReturn = false;
};
inline AsciiScan ScanAscii(std::string_view text) {
  const std::size_t n = text.size();
#if defined(__SSE2__)
  if (n >= 16) {
    const char* const p = text.data();
    const __m128i cr = _mm_set1_epi8('\r');
    __m128i high = _mm_setzero_si128();
    __m128i crs = _mm_setzero_si128();
    const auto add = [&](const char* at) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      high = _mm_or_si128(high, bytes);
      crs = _mm_or_si128(crs, _mm_cmpeq_epi8(bytes, cr));
    };
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
      add(p + i);
      if (i % 64 == 48 && _mm_movemask_epi8(high) != 0) return {};
    }
    add(p + n - 16);
    if (_mm_movemask_epi8(high) != 0) return {};
    return {true, _mm_movemask_epi8(crs) != 0};
  }
#endif
  if (!IsAsciiOnly(text)) return {};
  return {true, text.find('\r') != std::string_view::npos};
}

// How many of the eight bytes of `word`, from the first in memory, are printable ASCII
// (0x20 ... 0x7E) before one that is not.
inline unsigned LeadingPrintable(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  // The high bit of each byte of low + 0x60 is set for a byte of 0x20 ... 0x7F, that of low + 1
  // for 0x7F; no carry passes between bytes, whose high bits are cleared first.
  const std::uint64_t low = word & ~kHigh;
  const std::uint64_t printable = (low + 0x60 * kOnes) & ~(low + kOnes) & ~word & kHigh;
  return static_cast<unsigned>(std::countr_zero(~printable & kHigh)) / 8;
}

// What the cut needs to know of 64 bytes, bit i for byte i.
struct ChunkMasks {
  std::uint64_t continuation;  // 0x80 ... 0xBF
  std::uint64_t unprintable;   // not 0x20 ... 0x7E
  // The continuation bytes that the lead bytes ask for (one after 0xC0 ... 0xFF, two after
  // 0xE0 ... 0xFF, three after 0xF0 ... 0xFF), here and in the three bytes after the chunk.
  std::uint64_t asked;
  std::uint64_t askedNext;
  // Some of the lead bytes whose code points are all plain (LeadKind kPlain), or none.
  std::uint64_t plainLeads;
};

// The bytes' high bits, continuation bytes, printable ASCII and bits 5 and 4, as 64-bit masks;
// and some of the bytes of the set of leads given as rows (Lookup::plainLeadRows): those where
// the reader can tell at no cost, all of them or none.
struct ByteBits {
  std::uint64_t high, continuation, printable, bit5, bit4, someLeads;
};

// Reads the bits of 64 bytes with what every processor of the build's kind has: SSE2 on
// x86-64, plain C++ elsewhere. It finds none of the leads: SSE2 has no shuffle.
struct PortableBits {
  static ByteBits Read(const std::uint8_t* bytes, const std::uint8_t* leadRows);
};

inline ByteBits PortableBits::Read(const std::uint8_t* bytes, const std::uint8_t* /*leadRows*/) {
  ByteBits b{};
#if defined(__SSE2__)
  // Signed comparisons: the bytes from 0x80 on are negative, the continuation bytes below -64.
  // A byte plus one is above 0x20 (signed) just for printable ASCII. Shifting 16-bit lanes left
  // brings a lower bit of each byte to its top, where movemask reads it.
  const __m128i belowLeads = _mm_set1_epi8(-64);
  const __m128i one = _mm_set1_epi8(1);
  const __m128i space = _mm_set1_epi8(0x20);
  for (unsigned k = 0; k < 4; ++k) {
    const __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + std::size_t{16} * k));
    const auto bitsOf = [k](__m128i m) {
      return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(m))} << (16 * k);
    };
    b.high |= bitsOf(v);
    b.continuation |= bitsOf(_mm_cmpgt_epi8(belowLeads, v));
    b.printable |= bitsOf(_mm_cmpgt_epi8(_mm_add_epi8(v, one), space));
    b.bit5 |= bitsOf(_mm_slli_epi16(v, 2));
    b.bit4 |= bitsOf(_mm_slli_epi16(v, 3));
  }
#else
  for (unsigned i = 0; i < 64; ++i) {
    const unsigned byte = bytes[i];
    b.high |= std::uint64_t{byte >= 0x80} << i;
    b.continuation |= std::uint64_t{(byte & 0xC0) == 0x80} << i;
    b.printable |= std::uint64_t{byte >= 0x20 && byte < 0x7F} << i;
    b.bit5 |= std::uint64_t{(byte & 0x20) != 0} << i;
    b.bit4 |= std::uint64_t{(byte & 0x10) != 0} << i;
  }
#endif
  return b;
}

#if defined(__x86_64__)
// The same 32 bytes at a time, for processors with AVX2: only ever called from code built for
// AVX2 (graphemes.cpp chooses at run time), into which it is inlined.
struct Avx2Bits {
  [[gnu::target("avx2")]] static ByteBits Read(const std::uint8_t* bytes,
                                               const std::uint8_t* leadRows) {
    ByteBits b{};
    const __m256i belowLeads = _mm256_set1_epi8(-64);
    const __m256i one = _mm256_set1_epi8(1);
    const __m256i space = _mm256_set1_epi8(0x20);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i rows =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(leadRows)));
    // A byte's low half picks its row, its high half the bit in it: bytes below 0x80 pick
    // bits of the rows too, which the high bits clear after.
    const __m256i bits =
        _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16,
                         32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    for (unsigned k = 0; k < 2; ++k) {
      const __m256i v =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + std::size_t{32} * k));
      const auto bitsOf = [k](__m256i m) __attribute__((target("avx2"))) {
        return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(m))} << (32 * k);
      };
      b.high |= bitsOf(v);
      b.continuation |= bitsOf(_mm256_cmpgt_epi8(belowLeads, v));
      b.printable |= bitsOf(_mm256_cmpgt_epi8(_mm256_add_epi8(v, one), space));
      b.bit5 |= bitsOf(_mm256_slli_epi16(v, 2));
      b.bit4 |= bitsOf(_mm256_slli_epi16(v, 3));
      const __m256i row = _mm256_shuffle_epi8(rows, _mm256_and_si256(v, nibble));
      const __m256i bit =
          _mm256_shuffle_epi8(bits, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
      b.someLeads |= bitsOf(_mm256_cmpeq_epi8(_mm256_and_si256(row, bit), bit));
    }
    b.someLeads &= b.high & ~b.continuation;
    return b;
  }
};
#endif

// The masks of 64 bytes, their bits read by Bits (PortableBits or Avx2Bits).
template <typename Bits>
inline ChunkMasks MaskChunk(const std::uint8_t* bytes, const std::uint8_t* plainLeadRows) {
  const ByteBits b = Bits::Read(bytes, plainLeadRows);
  const std::uint64_t leads = b.high & ~b.continuation;
  const std::uint64_t longLeads = leads & b.bit5;
  const std::uint64_t longestLeads = longLeads & b.bit4;
  return {b.continuation, ~b.printable, leads << 1 | longLeads << 2 | longestLeads << 3,
          leads >> 63 | longLeads >> 62 | longestLeads >> 61, b.someLeads};
}

}  // namespace tintrix::graphemes
