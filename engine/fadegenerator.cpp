#include "engine/fadegenerator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace tintrix {

namespace {

constexpr std::string_view kColorTagStart = "<Font Color=#";
constexpr std::string_view kCloseTags[] = {"", "</SUB>", "</SUP>", ""};
constexpr std::string_view kOpenTags[] = {"", "<SUB>", "<SUP>", ""};
// The longest markup in front of a character: colour tag, a closing and an opening wave tag.
constexpr std::size_t kMaxTagBytes = 13 + 6 + 1 + 6 + 5;

constexpr std::array<std::array<char, 2>, 256> MakeHexPairs() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<std::array<char, 2>, 256> pairs{};
  for (int i = 0; i < 256; ++i) pairs[i] = {kDigits[i >> 4], kDigits[i & 15]};
  return pairs;
}
constexpr auto kHexPairs = MakeHexPairs();

// Collects markup in a buffer that stays in cache and hands it to the output string in large
// pieces: one pass over the output memory, and no per-character bookkeeping in std::string.
class MarkupWriter {
 public:
  explicit MarkupWriter(std::string& out) : m_out(out) {}
  ~MarkupWriter() { Flush(); }
  MarkupWriter(const MarkupWriter&) = delete;
  MarkupWriter& operator=(const MarkupWriter&) = delete;

  void Write(const std::array<int, 3>& rgb, std::string_view close, std::string_view open,
             std::string_view character) {
    if (m_used + kMaxTagBytes + character.size() > sizeof m_buffer) {
      Flush();
      if (kMaxTagBytes + character.size() > sizeof m_buffer) {
        WriteLong(rgb, close, open, character);
        return;
      }
    }
    char* p = m_buffer + m_used;
    std::memcpy(p, kColorTagStart.data(), kColorTagStart.size());
    p += kColorTagStart.size();
    for (int channel : rgb) {
      std::memcpy(p, kHexPairs[channel].data(), 2);
      p += 2;
    }
    *p++ = '>';
    std::memcpy(p, close.data(), close.size());
    p += close.size();
    std::memcpy(p, open.data(), open.size());
    p += open.size();
    std::memcpy(p, character.data(), character.size());
    p += character.size();
    m_used = static_cast<std::size_t>(p - m_buffer);
  }

  void Flush() {
    m_out.append(m_buffer, m_used);
    m_used = 0;
  }

 private:
  // A character longer than the buffer (thousands of combining marks, say).
  void WriteLong(const std::array<int, 3>& rgb, std::string_view close, std::string_view open,
                 std::string_view character) {
    Write(rgb, close, open, {});
    Flush();
    m_out.append(character);
  }

  std::string& m_out;
  std::size_t m_used = 0;
  char m_buffer[1 << 16];
};

template <typename Real>
struct ChannelBlend {
  Real start;
  Real step;

  int At(std::size_t i) const {
    const Real product = static_cast<Real>(i) * step;
    const Real sum = start + product;
    const int value = static_cast<int>(RoundHalfEven(sum));
    return std::clamp(value, 0, 255);
  }
};

class WaveTags {
 public:
  explicit WaveTags(RandomSource* random) : m_random(random) {}

  // Draws the next character's state; returns the closing tag of the previous state and the
  // opening tag of the new one.
  std::pair<std::string_view, std::string_view> Next() {
    float r = static_cast<float>(m_random->NextFraction());
    // Narrowing a fraction just below 1 can round it up to 1.
    if (r >= 1.0f) r = std::nextafter(1.0f, 0.0f);
    const int state = static_cast<int>(r * 3.0f + 1.0f);
    const std::string_view close = kCloseTags[m_state];
    m_state = state;
    return {close, kOpenTags[state]};
  }

 private:
  RandomSource* m_random;
  int m_state = 0;  // none before the first character
};

template <typename Real, bool kBytes, bool kWavy>
void BlendSegments(std::span<const Channels> colors, const std::vector<std::size_t>& lengths,
                   const CharacterText& text, WaveTags& wave, MarkupWriter& writer) {
  const std::string_view bytes = text.text();
  const std::size_t* ends = kBytes ? nullptr : text.ends().data();
  std::size_t index = 0;  // next character
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
    for (std::size_t i = 1; i <= m; ++i, ++index) {
      std::string_view character;
      if constexpr (kBytes) {
        character = bytes.substr(index, 1);
      } else {
        const std::size_t start = index == 0 ? 0 : ends[index - 1];
        character = bytes.substr(start, ends[index] - start);
      }
      std::pair<std::string_view, std::string_view> tags;
      if constexpr (kWavy) tags = wave.Next();
      writer.Write({red.At(i), green.At(i), blue.At(i)}, tags.first, tags.second, character);
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

bool IsFadeColorCount(int colorCount) {
  return colorCount == 2 || colorCount == 3 || colorCount == 4 || colorCount == 5 ||
         colorCount == 10;
}

std::vector<std::size_t> SegmentLengths(int colorCount, std::size_t n,
                                        const std::function<void()>& letEventsRun) {
  if (colorCount == 2) return {n};
  if (colorCount == 3) {
    // n / 2 rounded half to even: an odd n has its half between two whole numbers.
    const std::size_t floorHalf = n / 2;
    const std::size_t first = (n % 2 == 0 || floorHalf % 2 == 0) ? floorHalf : floorHalf + 1;
    return {first, n - first};
  }
  // Dealing one character per count and pass: every count gets n / S, and the first n % S
  // counts one more. Only the passes themselves are worth walking, for the events they let run.
  const std::size_t counts = static_cast<std::size_t>(colorCount - 1);
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
  const int colorCount = static_cast<int>(colors.size());
  const std::vector<std::size_t> lengths =
      SegmentLengths(colorCount, text.size(), hooks.letEventsRun);
  if (text.empty()) return;
  // Room for the closing tags a caller adds, so that they do not move the whole markup.
  out.reserve(out.size() + 64 + text.text().size() + text.size() * (kColorTagStart.size() + 7) +
              (wavy ? text.size() * 6 : 0));
  std::optional<ClockSeededRandom> fallback;  // for a wavy fade whose caller gave no source
  if (wavy && hooks.wave == nullptr) fallback.emplace();
  WaveTags wave(fallback ? &*fallback : hooks.wave);
  MarkupWriter writer(out);
  if (colorCount == 2) {
    BlendText<double>(colors, lengths, text, wavy, wave, writer);
  } else {
    BlendText<float>(colors, lengths, text, wavy, wave, writer);
  }
}

Status FadeRequest(int colorCount, std::span<const std::string> colorTexts,
                   const CharacterText& text, bool wavy, const FadeHooks& hooks,
                   std::string& out) {
  if (!IsFadeColorCount(colorCount) || colorTexts.size() < static_cast<std::size_t>(colorCount)) {
    return Status::Error("There is no fade of " + std::to_string(colorCount) + " colors.");
  }
  std::vector<Channels> channels;
  channels.reserve(static_cast<std::size_t>(colorCount));
  for (int k = 0; k < colorCount; ++k) {
    const std::optional<ColorValue> value = ParseColorValue(colorTexts[k]);
    if (!value) {
      return Status::Error("Color " + std::to_string(k + 1) + " is not a valid color value: \"" +
                           colorTexts[k] + "\"");
    }
    channels.push_back(ColorChannels(*value));
  }
  GenerateFade(channels, text, wavy, hooks, out);
  return Status::Ok();
}

}  // namespace tintrix
