#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tintrix {

// A text cut into the characters that get one colour tag each. The text is borrowed: it must
// outlive this object. Either every byte is a character (a text of plain ASCII without a
// CR LF pair), or one bit per byte marks where characters start: bit i % 64 of word i / 64
// for byte i, set for byte 0 and for every other byte that starts a character, and set once
// more for the offset text.size() itself, which ends the last character. That costs an
// eighth of the text's size, whatever its characters.
// The number of bits set in `word`. std::popcount is a library call on processors without
// the instruction (the x86-64 baseline), this a few instructions.
constexpr std::size_t CountBits(std::uint64_t word) {
  word -= (word >> 1) & 0x5555555555555555ull;
  word = (word & 0x3333333333333333ull) + ((word >> 2) & 0x3333333333333333ull);
  word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<std::size_t>((word * 0x0101010101010101ull) >> 56);
}
static_assert(CountBits(0) == 0 && CountBits(~0ull) == 64 && CountBits(0x8000000000000101ull) == 3);

class CharacterText {
 public:
  // Every byte is one character.
  static CharacterText Bytes(std::string_view text) { return CharacterText(text, {}, true, 0); }

  // Characters start at the bits of `starts` as described above: text.size() / 64 + 1 words,
  // `count` characters (count + 1 bits set, or none for an empty text).
  static CharacterText WithStarts(std::string_view text, std::vector<std::uint64_t> starts,
                                  std::size_t count) {
    return CharacterText(text, std::move(starts), false, count);
  }

  std::string_view text() const { return m_text; }
  bool bytes() const { return m_bytes; }
  const std::vector<std::uint64_t>& starts() const { return m_starts; }

  // The number of characters.
  std::size_t size() const { return m_bytes ? m_text.size() : m_count; }
  bool empty() const { return size() == 0; }

  // Walks the characters from the first: each Next() gives the byte offset where the next
  // character ends. Call it at most size() times.
  class Cursor {
   public:
    explicit Cursor(const CharacterText& text)
        : m_words(text.m_starts.data()),
          m_word(text.m_bytes || text.m_starts.empty() ? 0 : text.m_starts[0] & ~1ull),
          m_bytes(text.m_bytes) {}

    std::size_t Next() { return m_bytes ? ++m_index : NextInBits(); }

    // Next() for a text that is not cut into bytes, without asking.
    std::size_t NextInBits() {
      // The bit that ends the last character stops this loop before it runs off the words.
      while (m_word == 0) m_word = m_words[++m_index];
      const std::size_t end = m_index * 64 + static_cast<std::size_t>(std::countr_zero(m_word));
      m_word &= m_word - 1;
      return end;
    }

    // Walks the next `count` characters of `text`, this text's bytes, which is not cut into
    // bytes, the first starting at text + start (where the last Next() ended): calls
    // bytes(j, from, n) for each run of n characters of one byte from `from`, the j-th on
    // from here, and other(j, from, end) for each other character, [from, end). Runs of
    // one-byte characters are most of most texts: their bits are passed at once.
    template <typename Bytes, typename Other>
    [[gnu::always_inline]] void Walk(const char* text, std::size_t start, std::size_t count,
                                     Bytes bytes, Other other) {
      std::uint64_t word = m_word;
      const std::uint64_t* words = m_words + m_index;
      const char* base = text + m_index * 64;  // the byte of the word's first bit
      const char* from = text + start;
      for (std::size_t j = 0; j < count;) {
        while (word == 0) {
          base += 64;
          word = *++words;
        }
        const auto bit = static_cast<unsigned>(std::countr_zero(word));
        const char* const end = base + bit;
        if (end != from + 1) {
          other(j, from, end);
          word &= word - 1;
          from = end;
          ++j;
          continue;
        }
        // Adding the lowest bit carries through the run of ones from it: the first zero
        // above them is where the run stops (64 past the word).
        const std::uint64_t carried = word + (word & (~word + 1));
        std::size_t n = static_cast<unsigned>(std::countr_zero(carried)) - bit;
        if (n <= count - j) {
          word &= carried;
        } else {
          n = count - j;
          word &= ~(((std::uint64_t{1} << n) - 1) << bit);
        }
        bytes(j, from, n);
        from += n;
        j += n;
      }
      m_word = word;
      m_index = static_cast<std::size_t>(words - m_words);
    }

    // Where the character `count` characters on ends, as the count-th Next() from here would
    // say, without moving. count must be 1 or more.
    std::size_t EndAfter(std::size_t count) const {
      if (m_bytes) return m_index + count;
      std::uint64_t word = m_word;
      std::size_t index = m_index;
      for (std::size_t bits = CountBits(word); bits < count; bits = CountBits(word)) {
        count -= bits;
        word = m_words[++index];
      }
      return index * 64 + NthBit(word, static_cast<unsigned>(count));
    }

   private:
    // The position of the n-th lowest set bit of `word`, which has n (1 ... 64) or more: the
    // byte that holds it from the sums of the bits of the bytes up to each, which one
    // multiplication makes, then bit by bit in that byte.
    static std::size_t NthBit(std::uint64_t word, unsigned n) {
      constexpr std::uint64_t kOnes = 0x0101010101010101ull;
      std::uint64_t counts = word - ((word >> 1) & 0x5555555555555555ull);
      counts = (counts & 0x3333333333333333ull) + ((counts >> 2) & 0x3333333333333333ull);
      counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Full;
      const std::uint64_t sums = counts * kOnes;  // each byte at most 64: no carries
      // The high bit of a byte is left where its sum is n or more.
      const std::uint64_t reached = ((sums | 0x80 * kOnes) - n * kOnes) & 0x80 * kOnes;
      const auto byte = static_cast<unsigned>(std::countr_zero(reached)) / 8;
      const unsigned before = byte == 0 ? 0 : static_cast<unsigned>(sums >> (8 * byte - 8)) & 0xFF;
      auto bits = static_cast<unsigned>(word >> (8 * byte)) & 0xFFu;
      for (unsigned k = before + 1; k < n; ++k) bits &= bits - 1;
      return std::size_t{8} * byte + static_cast<std::size_t>(std::countr_zero(bits));
    }

    const std::uint64_t* m_words;
    std::uint64_t m_word;     // the bits of word m_index not yet passed
    std::size_t m_index = 0;  // a word index, or for bytes the characters passed
    bool m_bytes;
  };

 private:
  CharacterText(std::string_view text, std::vector<std::uint64_t> starts, bool bytes,
                std::size_t count)
      : m_text(text), m_starts(std::move(starts)), m_bytes(bytes), m_count(count) {}

  std::string_view m_text;
  std::vector<std::uint64_t> m_starts;
  bool m_bytes;
  std::size_t m_count;
};

}  // namespace tintrix
