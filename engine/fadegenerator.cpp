#include "engine/fadegenerator.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace tintrix {

namespace {

constexpr std::string_view kColorTagStart = "<Font Color=#";

// The wave tags in front of a character, for every previous state (none, 1, 2, 3) and new
// state (1, 2, 3): the closing tag of the previous state, then the opening tag of the new one.
// Padded to 16 bytes, so that they are copied without a branch on their length.
struct WaveTagText {
  char bytes[16];
  std::size_t size;

  std::string_view view() const { return {bytes, size}; }
};

constexpr WaveTagText MakeWaveTagText(int previous, int state) {
  constexpr std::string_view kClose[] = {"", "</SUB>", "</SUP>", ""};
  constexpr std::string_view kOpen[] = {"", "<SUB>", "<SUP>", ""};
  WaveTagText text{};
  for (char c : kClose[previous]) text.bytes[text.size++] = c;
  for (char c : kOpen[state]) text.bytes[text.size++] = c;
  return text;
}

constexpr std::array<std::array<WaveTagText, 4>, 4> MakeWaveTagTable() {
  std::array<std::array<WaveTagText, 4>, 4> table{};
  for (int previous = 0; previous < 4; ++previous) {
    for (int state = 1; state < 4; ++state)
      table[previous][state] = MakeWaveTagText(previous, state);
  }
  return table;
}
constexpr auto kWaveTags = MakeWaveTagTable();
constexpr WaveTagText kNoWaveTags{};
// The colour tag's start padded to 16 bytes, so that it is copied as one word; the padding is
// overwritten by what follows.
constexpr char kColorTagStart16[16] = {'<', 'F', 'o', 'n', 't', ' ', 'C', 'o',
                                       'l', 'o', 'r', '=', '#', 0,   0,   0};
// Colour tag and the longest wave tags in front of a character.
constexpr std::size_t kMaxTagBytes = 13 + 7 + 6 + 5;
// Stores of whole words may run this far past the bytes they mean to write.
constexpr std::size_t kSlack = 16;
// The writer may grow the string by this much beyond the markup it ends with.
constexpr std::size_t kChunkSlack = 1 << 16;
// Characters blended at a time, before their markup is written.
constexpr std::size_t kBlock = 256;

// The two hexadecimal digits of a byte, first digit in the low byte of the pair.
constexpr std::array<std::uint16_t, 256> MakeHexPairs() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<std::uint16_t, 256> pairs{};
  for (int i = 0; i < 256; ++i) {
    pairs[i] = static_cast<std::uint16_t>(kDigits[i >> 4] | (kDigits[i & 15] << 8));
  }
  return pairs;
}
constexpr auto kHexPairs = MakeHexPairs();

// "RRGGBB>" in bytes 0 to 6 of a little-endian word; byte 7 is free for the character.
using ColorWord = std::uint64_t;

ColorWord MakeColorWord(int red, int green, int blue) {
  return ColorWord{kHexPairs[red]} | ColorWord{kHexPairs[green]} << 16 |
         ColorWord{kHexPairs[blue]} << 32 | ColorWord{'>'} << 48;
}

// Writes markup straight into the output string. The string grows a chunk at a time, so the
// zeros that growing it writes are still in cache when the markup overwrites them.
class MarkupWriter {
 public:
  explicit MarkupWriter(std::string& out) : m_out(out), m_used(out.size()) {}
  ~MarkupWriter() { m_out.resize(m_used); }
  MarkupWriter(const MarkupWriter&) = delete;
  MarkupWriter& operator=(const MarkupWriter&) = delete;

  // Room for `bytes` more; write them, then hand the end to Commit.
  char* Reserve(std::size_t bytes) {
    if (m_used + bytes + kSlack > m_out.size()) {
      m_out.resize(std::max(m_used + bytes + kSlack, m_used + kChunk));
    }
    return m_out.data() + m_used;
  }
  void Commit(const char* end) { m_used = static_cast<std::size_t>(end - m_out.data()); }

  // Writes one character with its colour tag and wave tags.
  void Write(ColorWord color, const WaveTagText& waveTags, std::string_view character) {
    char* p = Reserve(kMaxTagBytes + character.size());
    std::memcpy(p, kColorTagStart16, sizeof kColorTagStart16);
    std::memcpy(p + kColorTagStart.size(), &color, sizeof color);
    p += kColorTagStart.size() + 7;
    std::memcpy(p, waveTags.bytes, sizeof waveTags.bytes);
    p += waveTags.size;
    if (character.size() == 1) {
      *p = character[0];
    } else {
      std::memcpy(p, character.data(), character.size());
    }
    Commit(p + character.size());
  }

 private:
  static constexpr std::size_t kChunk = kChunkSlack;

  std::string& m_out;
  std::size_t m_used;
};

template <typename Real>
struct ChannelBlend {
  Real start;
  Real step;

  // The channel values of characters first ... first + count - 1 of the segment.
  void Fill(std::size_t first, std::size_t count, std::int32_t* values) const {
    // Written so that the compiler can blend several characters at once: 32-bit counters
    // convert to floating point in vector registers, 64-bit ones do not.
    if (first + count <= static_cast<std::size_t>(INT32_MAX)) {
      const auto base = static_cast<std::int32_t>(first);
      const auto n = static_cast<std::int32_t>(count);
      for (std::int32_t j = 0; j < n; ++j) values[j] = At(static_cast<Real>(base + j));
    } else {
      for (std::size_t j = 0; j < count; ++j) values[j] = At(static_cast<Real>(first + j));
    }
  }

  std::int32_t At(Real i) const {
    const Real product = i * step;
    const Real sum = start + product;
    const Real rounded = RoundHalfEven(sum);
    return static_cast<std::int32_t>(std::min(std::max(rounded, Real{0}), Real{255}));
  }
};

class WaveTags {
 public:
  explicit WaveTags(RandomSource* random) : m_random(random) {}

  // Draws the next character's state; returns the closing tag of the previous state and the
  // opening tag of the new one.
  const WaveTagText& Next() {
    float r = static_cast<float>(m_random->NextFraction());
    // Narrowing a fraction just below 1 can round it up to 1.
    if (r >= 1.0f) r = std::nextafter(1.0f, 0.0f);
    const int state = static_cast<int>(r * 3.0f + 1.0f);
    const WaveTagText& tags =
        kWaveTags[static_cast<std::size_t>(m_state)][static_cast<std::size_t>(state)];
    m_state = state;
    return tags;
  }

 private:
  RandomSource* m_random;
  int m_state = 0;  // none before the first character
};

// The channels of a block of characters.
struct BlockColors {
  std::int32_t reds[kBlock];
  std::int32_t greens[kBlock];
  std::int32_t blues[kBlock];

  ColorWord Word(std::size_t j) const { return MakeColorWord(reds[j], greens[j], blues[j]); }
};

// Writes characters [index, index + count) whose colours are in `colors`.
template <bool kBytes, bool kWavy>
void WriteBlock(const BlockColors& colors, std::size_t count, std::size_t index,
                const CharacterText& text, WaveTags& wave, MarkupWriter& writer) {
  const std::string_view bytes = text.text();
  if constexpr (kBytes && !kWavy) {
    // The common case: 21 bytes a character, written as two whole words.
    constexpr std::size_t kPerChar = kColorTagStart.size() + 8;
    char* p = writer.Reserve(count * kPerChar);
    for (std::size_t j = 0; j < count; ++j, p += kPerChar) {
      const ColorWord word =
          colors.Word(j) | ColorWord{static_cast<unsigned char>(bytes[index + j])} << 56;
      std::memcpy(p, kColorTagStart16, sizeof kColorTagStart16);
      std::memcpy(p + kColorTagStart.size(), &word, sizeof word);
    }
    writer.Commit(p);
  } else {
    const std::size_t* ends = text.ends().data();
    for (std::size_t j = 0; j < count; ++j) {
      const std::size_t i = index + j;
      std::string_view character;
      if constexpr (kBytes) {
        character = std::string_view(bytes.data() + i, 1);
      } else {
        const std::size_t start = i == 0 ? 0 : ends[i - 1];
        character = std::string_view(bytes.data() + start, ends[i] - start);
      }
      if constexpr (kWavy) {
        writer.Write(colors.Word(j), wave.Next(), character);
      } else {
        writer.Write(colors.Word(j), kNoWaveTags, character);
      }
    }
  }
}

template <typename Real, bool kBytes, bool kWavy>
void BlendSegments(std::span<const Channels> colors, const std::vector<std::size_t>& lengths,
                   const CharacterText& text, WaveTags& wave, MarkupWriter& writer) {
  std::size_t index = 0;  // next character
  BlockColors block;
  for (std::size_t k = 0; k < lengths.size(); ++k) {
    const std::size_t m = lengths[k];
    if (m == 0) continue;
    const Channels& from = colors[k];
    const Channels& to = colors[k + 1];
    const auto blend = [m](int start, int end) {
      return ChannelBlend<Real>{static_cast<Real>(start),
                                static_cast<Real>(end - start) / static_cast<Real>(m)};
    };
    const ChannelBlend<Real> red = blend(from.red, to.red);
    const ChannelBlend<Real> green = blend(from.green, to.green);
    const ChannelBlend<Real> blue = blend(from.blue, to.blue);
    for (std::size_t first = 1; first <= m; first += kBlock) {
      const std::size_t count = std::min(kBlock, m - first + 1);
      red.Fill(first, count, block.reds);
      green.Fill(first, count, block.greens);
      blue.Fill(first, count, block.blues);
      WriteBlock<kBytes, kWavy>(block, count, index, text, wave, writer);
      index += count;
    }
  }
}

template <typename Real>
void BlendText(std::span<const Channels> colors, const std::vector<std::size_t>& lengths,
               const CharacterText& text, bool wavy, WaveTags& wave, MarkupWriter& writer) {
  if (text.bytes()) {
    if (wavy) {
      BlendSegments<Real, true, true>(colors, lengths, text, wave, writer);
    } else {
      BlendSegments<Real, true, false>(colors, lengths, text, wave, writer);
    }
  } else {
    if (wavy) {
      BlendSegments<Real, false, true>(colors, lengths, text, wave, writer);
    } else {
      BlendSegments<Real, false, false>(colors, lengths, text, wave, writer);
    }
  }
}

}  // namespace

std::vector<std::size_t> SegmentLengths(ColorCount count, std::size_t n,
                                        const std::function<void()>& letEventsRun) {
  if (count.value() == 2) return {n};
  if (count.value() == 3) {
    // n / 2 rounded half to even: an odd n has its half between two whole numbers.
    const std::size_t floorHalf = n / 2;
    const std::size_t first = (n % 2 == 0 || floorHalf % 2 == 0) ? floorHalf : floorHalf + 1;
    return {first, n - first};
  }
  // Dealing one character per count and pass: every count gets n / S, and the first n % S
  // counts one more. Only the passes themselves are worth walking, for the events they let run.
  const std::size_t counts = count.segments();
  if (letEventsRun) {
    const std::size_t passes = n == 0 ? 1 : (n + counts - 1) / counts;
    for (std::size_t pass = 0; pass < passes; ++pass) letEventsRun();
  }
  std::vector<std::size_t> lengths(counts, n / counts);
  for (std::size_t j = 0; j < n % counts; ++j) ++lengths[j];
  return lengths;
}

void GenerateFade(std::span<const Channels> colors, const CharacterText& text, bool wavy,
                  const FadeHooks& hooks, std::string& out) {
  const std::optional<ColorCount> count = ColorCount::Of(static_cast<int>(colors.size()));
  if (!count) return;
  const std::vector<std::size_t> lengths = SegmentLengths(*count, text.size(), hooks.letEventsRun);
  if (text.empty()) return;
  // Room for the closing tags a caller adds, so that they do not move the whole markup, and
  // for the writer's whole-word stores.
  out.reserve(out.size() + 64 + kSlack + kChunkSlack + text.text().size() +
              text.size() * (kColorTagStart.size() + 7) + (wavy ? text.size() * 11 : 0));
  std::optional<ClockSeededRandom> fallback;  // for a wavy fade whose caller gave no source
  if (wavy && hooks.wave == nullptr) fallback.emplace();
  WaveTags wave(fallback ? &*fallback : hooks.wave);
  MarkupWriter writer(out);
  if (count->value() == 2) {
    BlendText<double>(colors, lengths, text, wavy, wave, writer);
  } else {
    BlendText<float>(colors, lengths, text, wavy, wave, writer);
  }
}

Status FadeRequest(ColorCount count, std::span<const std::string> colorTexts,
                   const CharacterText& text, bool wavy, const FadeHooks& hooks, std::string& out) {
  const int colorCount = count.value();
  if (colorTexts.size() < static_cast<std::size_t>(colorCount)) {
    return Status::InvalidArgument("There are fewer colors than the fade runs through.");
  }
  std::vector<Channels> channels;
  channels.reserve(static_cast<std::size_t>(colorCount));
  for (int k = 0; k < colorCount; ++k) {
    const std::optional<ColorValue> value = ParseColorValue(colorTexts[k]);
    if (!value) {
      return Status::InvalidArgument("Color " + std::to_string(k + 1) +
                                     " is not a valid color value: \"" +
                                     EscapeControlCharacters(colorTexts[k]) + "\"");
    }
    channels.push_back(ColorChannels(*value));
  }
  GenerateFade(channels, text, wavy, hooks, out);
  return Status::Ok();
}

}  // namespace tintrix
