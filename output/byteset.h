#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tintrix {

// A set of byte values, asked of one byte or of a whole text: the latter 32 bytes at a time
// where the processor has AVX2, from the set held as a bitmap.
class ByteSet {
 public:
  ByteSet() = default;
  explicit ByteSet(const std::array<bool, 256>& members);

  bool Has(unsigned char byte) const { return m_members[byte]; }
  // The members as a table of 256, for loops that look a byte up as they copy it.
  const bool* table() const { return m_members.data(); }

  // Whether any byte of `text` is in the set. A text that holds one mostly shows it early:
  // the look stops at the first 32 bytes that hold one.
  bool AnyIn(std::string_view text) const;

 private:
  std::array<bool, 256> m_members{};
  // Bit h % 8 of byte l + 16 * (h / 8) is set for the member h * 16 + l: the two rows a
  // byte's low half picks from, and the bit its high half picks in them.
  alignas(16) std::array<std::uint8_t, 32> m_rows{};
};

}  // namespace tintrix
