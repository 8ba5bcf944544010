#pragma once

#include <cstdint>

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

static_assert(Digit(0) == '0' && Digit(9) == '9' && Digit(10) == 'A' && Digit(15) == 'F');
static_assert(Digit<true>(10) == 'a' && Digit<true>(15) == 'f');
static_assert(PairDigits(0x0A, 0xB1) == 0x3142'4130u);

}  // namespace tintrix::hex
