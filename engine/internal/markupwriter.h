#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/charactertext.h"
#include "engine/fadegenerator.h"
#include "engine/internal/hexdigits.h"
#include "engine/markupformat.h"
#include "engine/status.h"

// The markup of a fade, written a block of characters at a time: the tags' bytes, and a writer
// that grows the output string by what each block needs. Only the generator uses it.
namespace tintrix::markup {

constexpr std::string_view kColorTagStart = TraitsOf(MarkupFormat::kClassic).colorPrefix;
// "<Font Color=#RRGGBB>"
constexpr std::size_t kColorTagBytes = kColorTagStart.size() + 7;
// The longest wave tags in front of a character: "</SUB><SUP>".
constexpr std::size_t kMaxWaveTagBytes = 11;
// Stores of whole words may run this far past the bytes they mean to write.
constexpr std::size_t kSlack = 16;
// Characters blended at a time, before their markup is written.
constexpr std::size_t kBlock = 256;

// The wave tags in front of a character, for every previous state (none, 1, 2, 3) and new
// state (1, 2, 3), at index previous * 4 + state: the closing tag of the previous state, then
// the opening tag of the new one. Padded to 16 bytes, so that they are copied as one word
// whatever their length.
struct WaveTagText {
  char bytes[16];
  std::size_t size;
};

constexpr WaveTagText MakeWaveTagText(int previous, int state) {
  constexpr const FormatTraits& kClassic = TraitsOf(MarkupFormat::kClassic);
  WaveTagText text{};
  for (char c : kClassic.waveClose[static_cast<std::size_t>(previous)]) text.bytes[text.size++] = c;
  for (char c : kClassic.waveOpen[static_cast<std::size_t>(state)]) text.bytes[text.size++] = c;
  return text;
}

constexpr std::array<WaveTagText, 16> MakeWaveTagTable() {
  std::array<WaveTagText, 16> table{};
  for (int previous = 0; previous < 4; ++previous) {
    for (int state = 1; state < 4; ++state)
      table[previous * 4 + state] = MakeWaveTagText(previous, state);
  }
  return table;
}
constexpr auto kWaveTags = MakeWaveTagTable();

// For plain bytes with the wave: the wave tags followed by the character, for every tags index
// and byte at [index * 256 + byte], so that both go in one 16-byte copy; byte 15 holds the
// length.
struct WaveTail {
  char bytes[16];
  std::size_t size() const { return static_cast<unsigned char>(bytes[15]); }
};

constexpr std::array<WaveTail, 16 * 256> MakeWaveTails() {
  std::array<WaveTail, 16 * 256> tails{};
  for (std::size_t index = 0; index < 16; ++index) {
    for (std::size_t byte = 0; byte < 256; ++byte) {
      WaveTail& tail = tails[index * 256 + byte];
      const WaveTagText& tags = kWaveTags[index];
      for (std::size_t i = 0; i < tags.size; ++i) tail.bytes[i] = tags.bytes[i];
      tail.bytes[tags.size] = static_cast<char>(byte);
      tail.bytes[15] = static_cast<char>(tags.size + 1);
    }
  }
  return tails;
}
constexpr auto kWaveTails = MakeWaveTails();

// The colour tag's start padded to 16 bytes, so that it is copied as one word; the padding is
// overwritten by what follows.
struct ColorTagStart16 {
  char bytes[16];
};
constexpr ColorTagStart16 kColorTagStart16 = [] {
  static_assert(kColorTagStart.size() <= 16);
  ColorTagStart16 padded{};
  for (std::size_t i = 0; i < kColorTagStart.size(); ++i) padded.bytes[i] = kColorTagStart[i];
  return padded;
}();

// "RRGGBB>" in bytes 0 to 6 of a little-endian word; byte 7 is free for the character.
using ColorWord = std::uint64_t;

// The low half of the colour word of channels of 0 ... 255: "RRGG".
constexpr std::uint32_t LowHalf(std::int32_t red, std::int32_t green) {
  return hex::PairDigits(static_cast<std::uint32_t>(red), static_cast<std::uint32_t>(green));
}

// The high half: "BB>", its last byte zero.
constexpr std::uint32_t HighHalf(std::int32_t blue) {
  return hex::ByteDigits(static_cast<std::uint32_t>(blue)) | std::uint32_t{'>'} << 16;
}

constexpr ColorWord MakeColorWord(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return ColorWord{LowHalf(red, green)} | ColorWord{HighHalf(blue)} << 32;
}
static_assert(MakeColorWord(0x0A, 0xB1, 0xFF) == 0x003E'4646'3142'4130ull);
static_assert(MakeColorWord(0x90, 0x09, 0x5F) == 0x003E'4635'3930'3039ull);

// The colour words of a block of characters, kept as 32-bit halves: in that form the compiler
// makes several at once.
class BlockWords {
 public:
  ColorWord operator[](std::size_t j) const {
    ColorWord word;
    std::memcpy(&word, m_halves + 2 * j, sizeof word);
    return word;
  }
  void Set(std::size_t j, ColorWord word) { std::memcpy(m_halves + 2 * j, &word, sizeof word); }
  std::uint32_t* halves() { return m_halves; }

 private:
  std::uint32_t m_halves[2 * kBlock];
};

// Writes markup straight into the output string, growing it by what each block needs without
// filling it first, and hands it to the hooks between blocks.
class MarkupWriter {
 public:
  MarkupWriter(std::string& out, const FadeHooks& hooks) : m_out(out), m_hooks(hooks) {}

  // Calls write(char* at), which writes at most `bytes` bytes (and whole words up to kSlack
  // past them) at the string's end and returns where it stopped.
  template <typename Write>
  void Append(std::size_t bytes, Write write) {
    const std::size_t used = m_out.size();
    // resize_and_overwrite grows the string to exactly what is asked, which block after block
    // would copy it again and again: grow it by half at least.
    if (used + bytes + kSlack > m_out.capacity()) {
      m_out.reserve(std::max(used + bytes + kSlack, m_out.capacity() + m_out.capacity() / 2));
    }
    m_out.resize_and_overwrite(used + bytes + kSlack, [&](char* data, std::size_t) {
      return static_cast<std::size_t>(write(data + used) - data);
    });
  }

  // Tells the hooks that `count` more characters are written.
  Status Written(std::size_t count) {
    m_sinceProgress += count;
    if (m_sinceProgress >= kProgressCharacters) {
      m_sinceProgress -= kProgressCharacters;
      if (m_hooks.progress) m_hooks.progress();
    }
    if (m_hooks.drain && m_out.size() >= kDrainBytes) {
      Status status = m_hooks.drain(m_out);
      m_out.clear();
      return status;
    }
    return Status::Ok();
  }

 private:
  std::string& m_out;
  const FadeHooks& m_hooks;
  std::size_t m_sinceProgress = 0;
};

// The common case: plain bytes without the wave, 21 bytes a character as two whole words.
inline char* WriteFlatBytes(const BlockWords& words, const char* text, std::size_t count, char* p) {
  for (std::size_t j = 0; j < count; ++j, p += kColorTagBytes + 1) {
    const ColorWord word = words[j] | ColorWord{static_cast<unsigned char>(text[j])} << 56;
    std::memcpy(p, kColorTagStart16.bytes, sizeof kColorTagStart16.bytes);
    std::memcpy(p + kColorTagStart.size(), &word, sizeof word);
  }
  return p;
}

// Any other block: the next `count` characters from `cursor`, which start at byte `first` of
// the text, with the wave tags of tagIndexes when wavy.
template <bool kBytes, bool kWavy>
char* WriteBlock(const BlockWords& words, const std::uint8_t* tagIndexes, std::string_view text,
                 std::size_t first, CharacterText::Cursor& cursor, std::size_t count, char* p) {
  // A copy, which lives in registers; the original is in memory that stores might reach.
  CharacterText::Cursor walker = cursor;
  std::size_t start = first;
  for (std::size_t j = 0; j < count; ++j) {
    std::memcpy(p, kColorTagStart16.bytes, sizeof kColorTagStart16.bytes);
    const ColorWord word = words[j];
    std::memcpy(p + kColorTagStart.size(), &word, sizeof word);
    p += kColorTagBytes;
    if constexpr (kBytes && kWavy) {
      const auto byte = static_cast<unsigned char>(text[first + j]);
      const WaveTail& tail = kWaveTails[tagIndexes[j] * std::size_t{256} + byte];
      std::memcpy(p, tail.bytes, sizeof tail.bytes);
      p += tail.size();
    } else if constexpr (kBytes) {
      *p++ = text[first + j];
    } else {
      if constexpr (kWavy) {
        const WaveTagText& tags = kWaveTags[tagIndexes[j]];
        std::memcpy(p, tags.bytes, sizeof tags.bytes);
        p += tags.size;
      }
      const std::size_t end = walker.NextInBits();
      // One 16-byte copy for every character but the longest and those at the text's very
      // end, which a whole word would read past.
      if (end - start <= 16 && start + 16 <= text.size()) {
        std::memcpy(p, text.data() + start, 16);
      } else {
        std::memcpy(p, text.data() + start, end - start);
      }
      p += end - start;
      start = end;
    }
  }
  cursor = walker;
  return p;
}

}  // namespace tintrix::markup
