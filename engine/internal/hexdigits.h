#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/cpufeatures.h"

// The one place that says what a hexadecimal digit is. The fades make millions of them, so
// they come from arithmetic the compiler can do for many at once, not from a lookup.
namespace tintrix::hex {

// The digits of the four nibbles (0 ... 15) held in the bytes of `nibbles`, upper or lower
// case, without a branch: a nibble of 10 or more carries into bit 4 of its byte when 6 is
// added, and then takes 7 more (39 for lower case).
template <bool kLower = false>
constexpr std::uint32_t Digits(std::uint32_t nibbles) {
  return nibbles + 0x30303030u +
         (((nibbles + 0x06060606u) >> 4) & 0x01010101u) * (kLower ? 0x27 : 7);
}

// The digit of one nibble (0 ... 15).
template <bool kLower = false>
constexpr char Digit(std::uint32_t nibble) {
  return static_cast<char>(Digits<kLower>(nibble & 15));
}

// "HHLL" of two bytes in the bytes of a little-endian word, each byte high nibble first.
template <bool kLower = false>
constexpr std::uint32_t PairDigits(std::uint32_t first, std::uint32_t second) {
  return Digits<kLower>((first >> 4) | (first & 15) << 8 | (second >> 4) << 16 |
                        (second & 15) << 24);
}

// The two digits of one byte in the low half of a word.
template <bool kLower = false>
constexpr std::uint32_t ByteDigits(std::uint32_t byte) {
  return Digits<kLower>((byte >> 4) | (byte & 15) << 8) & 0xFFFF;
}

// The words of colours 0xRRGGBB: "RRGGBB" and two more bytes, those of `suffix` (bytes 2 and
// 3 of it), in a little-endian word each, written as two 32-bit halves. Four colours at a time
// where SSE2 is: a fade of short lines makes a word for nearly every character.
#if defined(__x86_64__)
// ColorWords eight at a time with AVX2, for as many whole eights as `count` holds: returns how
// many it made. Only for processors that have it (Avx2Enabled).
template <bool kLower>
[[gnu::target("avx2")]] std::size_t ColorWordsAvx2(const std::uint32_t* rgb, std::size_t count,
                                                   std::uint32_t suffix, std::uint32_t* halves) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i nine = _mm256_set1_epi8(9);
  const __m256i letters = _mm256_set1_epi8(kLower ? 0x27 : 7);
  const __m256i zero = _mm256_set1_epi8('0');
  const __m256i keep = _mm256_set1_epi64x(0x0000FFFFFFFFFFFFll);
  const auto ending = static_cast<int>(suffix);
  const __m256i tail = _mm256_set_epi32(ending, 0, ending, 0, ending, 0, ending, 0);
  const auto words = [&](__m256i nibbles) __attribute__((target("avx2"))) {
    nibbles = _mm256_shufflelo_epi16(nibbles, 0xC6);
    nibbles = _mm256_shufflehi_epi16(nibbles, 0xC6);
    const __m256i over = _mm256_and_si256(_mm256_cmpgt_epi8(nibbles, nine), letters);
    const __m256i digits = _mm256_add_epi8(_mm256_add_epi8(nibbles, zero), over);
    return _mm256_or_si256(_mm256_and_si256(digits, keep), tail);
  };
  std::size_t j = 0;
  for (; j + 8 <= count; j += 8) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rgb + j));
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(c, 4), nibble);
    const __m256i low = _mm256_and_si256(c, nibble);
    // Unpacking works within each half: colours 0, 1, 4, 5 and 2, 3, 6, 7.
    const __m256i a = words(_mm256_unpacklo_epi8(high, low));
    const __m256i b = words(_mm256_unpackhi_epi8(high, low));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(halves + 2 * j),
                        _mm256_permute2x128_si256(a, b, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(halves + 2 * j + 8),
                        _mm256_permute2x128_si256(a, b, 0x31));
  }
  return j;
}
#endif

template <bool kLower>
inline void ColorWords(const std::uint32_t* rgb, std::size_t count, std::uint32_t suffix,
                       std::uint32_t* halves) {
  std::size_t j = 0;
#if defined(__x86_64__)
  if (count >= 8 && Avx2Enabled()) j = ColorWordsAvx2<kLower>(rgb, count, suffix, halves);
#endif
#if defined(__SSE2__)
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i letters = _mm_set1_epi8(kLower ? 0x27 : 7);
  const __m128i zero = _mm_set1_epi8('0');
  const __m128i keep = _mm_set1_epi64x(0x0000FFFFFFFFFFFFll);
  const auto ending = static_cast<int>(suffix);
  const __m128i tail = _mm_set_epi32(ending, 0, ending, 0);
  const auto words = [&](__m128i nibbles) {
    // Each 16-bit word holds a channel's two digits: blue, green, red, none; red goes first.
    nibbles = _mm_shufflelo_epi16(nibbles, 0xC6);
    nibbles = _mm_shufflehi_epi16(nibbles, 0xC6);
    const __m128i over = _mm_and_si128(_mm_cmpgt_epi8(nibbles, nine), letters);
    const __m128i digits = _mm_add_epi8(_mm_add_epi8(nibbles, zero), over);
    return _mm_or_si128(_mm_and_si128(digits, keep), tail);
  };
  for (; j + 4 <= count; j += 4) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + j));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(c, 4), nibble);
    const __m128i low = _mm_and_si128(c, nibble);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves + 2 * j),
                     words(_mm_unpacklo_epi8(high, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves + 2 * j + 4),
                     words(_mm_unpackhi_epi8(high, low)));
  }
#endif
  for (; j < count; ++j) {
    const std::uint32_t c = rgb[j];
    halves[2 * j] = PairDigits<kLower>(c >> 16, c >> 8 & 0xFF);
    halves[2 * j + 1] = ByteDigits<kLower>(c & 0xFF) | suffix;
  }
}

static_assert(Digit(0) == '0' && Digit(9) == '9' && Digit(10) == 'A' && Digit(15) == 'F');
static_assert(Digit<true>(10) == 'a' && Digit<true>(15) == 'f');
static_assert(PairDigits(0x0A, 0xB1) == 0x3142'4130u);

}  // namespace tintrix::hex
