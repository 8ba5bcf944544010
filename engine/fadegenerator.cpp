#include "engine/fadegenerator.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/markupwriter.h"

namespace tintrix {

namespace {

using markup::BlockWords;
using markup::ColorWord;
using markup::HighHalf;
using markup::kBlock;
using markup::kColorTagBytes;
using markup::kMaxWaveTagBytes;
using markup::kSlack;
using markup::LowHalf;
using markup::MakeColorWord;
using markup::MarkupWriter;

struct Segments {
  std::array<std::size_t, 9> lengths{};
  std::size_t count = 0;
};

Segments CutText(ColorCount count, std::size_t n, const std::function<void()>& letEventsRun) {
  Segments segments;
  segments.count = count.segments();
  if (count.value() == 2) {
    segments.lengths[0] = n;
  } else if (count.value() == 3) {
    // n / 2 rounded half to even: an odd n has its half between two whole numbers.
    const std::size_t floorHalf = n / 2;
    segments.lengths[0] = (n % 2 == 0 || floorHalf % 2 == 0) ? floorHalf : floorHalf + 1;
    segments.lengths[1] = n - segments.lengths[0];
  } else {
    // Dealing one character per segment and pass: every segment gets n / S, and the first
    // n % S one more. Only the passes themselves are worth walking, for the events they let
    // run.
    if (letEventsRun) {
      const std::size_t passes = n == 0 ? 1 : (n + segments.count - 1) / segments.count;
      for (std::size_t pass = 0; pass < passes; ++pass) letEventsRun();
    }
    for (std::size_t j = 0; j < segments.count; ++j) {
      segments.lengths[j] = n / segments.count + (j < n % segments.count ? 1 : 0);
    }
  }
  return segments;
}

template <typename Real>
struct ChannelBlend {
  Real start;
  Real step;

  // No clamp to 0 ... 255 is needed: the sum strays from the exact blend, which lies between
  // the two channel values, by a few units in the last place of 255 at most, far less than
  // the half that rounding would need to leave them.
  std::int32_t At(Real i) const {
    const Real product = i * step;
    const Real sum = start + product;
    return static_cast<std::int32_t>(RoundHalfEven(sum));
  }
};

// The colour words of the characters of one segment.
template <typename Real>
class SegmentBlend {
 public:
  SegmentBlend(const Channels& from, const Channels& to, std::size_t m)
      : m_red(Blend(from.red, to.red, m)),
        m_green(Blend(from.green, to.green, m)),
        m_blue(Blend(from.blue, to.blue, m)) {}

  // The colour words of characters first ... first + count - 1 of the segment.
  void Fill(std::size_t first, std::size_t count, BlockWords& words) const {
    // Every operation of the blend rounds monotonically, so no channel ever turns back: when
    // the ends of a block differ by a few steps only, as in long fades, a few values found by
    // halving the block settle all of it.
    if (count >= 64) {
      const std::size_t last = first + count - 1;
      const Values a = At(first);
      const Values b = At(last);
      if (static_cast<std::size_t>(a.StepsTo(b)) * 64 <= count) {
        FillRuns(first, a, last, b, words, first);
        return;
      }
    }
    // One loop for the channels and their digits, which the compiler makes a few characters at
    // a time; 32-bit counters convert to floating point in vector registers, 64-bit ones do not.
    // The blends are copied so that the compiler need not check that `words` leaves them be.
    if (first + count <= static_cast<std::size_t>(INT32_MAX)) {
      const ChannelBlend<Real> red = m_red, green = m_green, blue = m_blue;
      const auto base = static_cast<std::int32_t>(first);
      const auto n = static_cast<std::int32_t>(count);
      std::uint32_t* halves = words.halves();
      for (std::int32_t j = 0; j < n; ++j) {
        const auto x = static_cast<Real>(base + j);
        halves[2 * j] = LowHalf(red.At(x), green.At(x));
        halves[2 * j + 1] = HighHalf(blue.At(x));
      }
    } else {
      for (std::size_t j = 0; j < count; ++j) words.Set(j, At(first + j).Word());
    }
  }

 private:
  struct Values {
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;

    bool operator==(const Values&) const = default;
    std::int32_t StepsTo(const Values& other) const {
      return std::abs(other.red - red) + std::abs(other.green - green) +
             std::abs(other.blue - blue);
    }
    ColorWord Word() const { return MakeColorWord(red, green, blue); }
  };

  Values At(std::size_t i) const {
    const auto x = static_cast<Real>(i);
    return {m_red.At(x), m_green.At(x), m_blue.At(x)};
  }

  // Fills the words of characters lo ... hi, whose ends have the values a and b, into
  // words[lo - first ...].
  void FillRuns(std::size_t lo, Values a, std::size_t hi, Values b, BlockWords& words,
                std::size_t first) const {
    while (a != b && hi - lo > 1) {
      const std::size_t mid = lo + (hi - lo) / 2;
      const Values m = At(mid);
      FillRuns(lo, a, mid, m, words, first);
      lo = mid;
      a = m;
    }
    for (std::size_t i = lo; i < hi; ++i) words.Set(i - first, a.Word());
    words.Set(hi - first, b.Word());
  }

 private:
  static ChannelBlend<Real> Blend(int start, int end, std::size_t m) {
    return {static_cast<Real>(start), static_cast<Real>(end - start) / static_cast<Real>(m)};
  }

  ChannelBlend<Real> m_red;
  ChannelBlend<Real> m_green;
  ChannelBlend<Real> m_blue;
};

// The wave: a random state for every character, 1 lowered, 2 raised, 3 on the line.
class Wave {
 public:
  explicit Wave(RandomSource* random) : m_random(random) {}

  // Draws the states of the next `count` characters and gives, for each, the index of its
  // tags in kWaveTags.
  void Draw(std::size_t count, std::uint8_t* tagIndexes) {
    float fractions[kBlock];
    m_random->NextFractions({fractions, count});
    std::uint8_t states[kBlock + 1];
    states[0] = m_previous;
    for (std::size_t j = 0; j < count; ++j) {
      states[j + 1] = static_cast<std::uint8_t>(static_cast<int>(fractions[j] * 3.0f + 1.0f));
    }
    for (std::size_t j = 0; j < count; ++j) {
      tagIndexes[j] = static_cast<std::uint8_t>(states[j] * 4 + states[j + 1]);
    }
    m_previous = states[count];
  }

 private:
  RandomSource* m_random;
  std::uint8_t m_previous = 0;  // none before the first character
};

template <typename Real, bool kBytes, bool kWavy>
Status WriteSegments(std::span<const Channels> colors, const Segments& segments,
                     const CharacterText& text, Wave& wave, MarkupWriter& writer) {
  const std::string_view bytes = text.text();
  CharacterText::Cursor cursor(text);
  std::size_t position = 0;  // where the next character starts
  BlockWords words;
  std::uint8_t tagIndexes[kBlock];
  for (std::size_t k = 0; k < segments.count; ++k) {
    const std::size_t m = segments.lengths[k];
    if (m == 0) continue;
    const SegmentBlend<Real> blend(colors[k], colors[k + 1], m);
    for (std::size_t first = 1; first <= m; first += kBlock) {
      const std::size_t count = std::min(kBlock, m - first + 1);
      blend.Fill(first, count, words);
      const std::size_t textBytes = kBytes ? count : cursor.EndAfter(count) - position;
      if constexpr (kWavy) wave.Draw(count, tagIndexes);
      const std::size_t perCharacter = kColorTagBytes + (kWavy ? kMaxWaveTagBytes : 0);
      writer.Append(count * perCharacter + textBytes, [&](char* p) {
        if constexpr (kBytes && !kWavy) {
          return markup::WriteFlatBytes(words, bytes.data() + position, count, p);
        } else {
          return markup::WriteBlock<kBytes, kWavy>(words, tagIndexes, bytes, position, cursor,
                                                   count, p);
        }
      });
      position += textBytes;
      if (Status status = writer.Written(count); !status.ok()) return status;
    }
  }
  return Status::Ok();
}

template <typename Real>
Status WriteText(std::span<const Channels> colors, const Segments& segments,
                 const CharacterText& text, bool wavy, Wave& wave, MarkupWriter& writer) {
  if (text.bytes()) {
    return wavy ? WriteSegments<Real, true, true>(colors, segments, text, wave, writer)
                : WriteSegments<Real, true, false>(colors, segments, text, wave, writer);
  }
  return wavy ? WriteSegments<Real, false, true>(colors, segments, text, wave, writer)
              : WriteSegments<Real, false, false>(colors, segments, text, wave, writer);
}

}  // namespace

std::vector<std::size_t> SegmentLengths(ColorCount count, std::size_t n,
                                        const std::function<void()>& letEventsRun) {
  const Segments segments = CutText(count, n, letEventsRun);
  return {segments.lengths.begin(), segments.lengths.begin() + segments.count};
}

FadeGenerator::FadeGenerator(std::span<const Channels> colors, bool wavy)
    : m_count(ColorCount::Of(static_cast<int>(colors.size()))), m_wavy(wavy) {
  if (m_count) std::copy(colors.begin(), colors.end(), m_colors.begin());
}

Status FadeGenerator::Create(ColorCount count, std::span<const std::string> colorTexts, bool wavy,
                             std::optional<FadeGenerator>& generator) {
  const auto colorCount = static_cast<std::size_t>(count.value());
  if (colorTexts.size() < colorCount) {
    return Status::InvalidArgument("There are fewer colors than the fade runs through.");
  }
  std::array<Channels, 10> channels;
  for (std::size_t k = 0; k < colorCount; ++k) {
    const std::optional<ColorValue> value = ParseColorValue(colorTexts[k]);
    if (!value) {
      return Status::InvalidArgument("Color " + std::to_string(k + 1) +
                                     " is not a valid color value: \"" +
                                     EscapeControlCharacters(colorTexts[k]) + "\"");
    }
    channels[k] = ColorChannels(*value);
  }
  generator.emplace(std::span<const Channels>(channels.data(), colorCount), wavy);
  return Status::Ok();
}

Status FadeGenerator::Append(const CharacterText& text, const FadeHooks& hooks,
                             std::string& out) const {
  if (!m_count) return Status::Ok();
  const Segments segments = CutText(*m_count, text.size(), hooks.letEventsRun);
  if (text.empty()) return Status::Ok();
  if (!hooks.drain) {
    // The whole markup at once, and room for the closing tags a caller adds.
    const std::size_t perCharacter = kColorTagBytes + (m_wavy ? kMaxWaveTagBytes : 0);
    out.reserve(out.size() + text.text().size() + text.size() * perCharacter + kSlack + 64);
  }
  // For a wavy fade whose caller gave no source; on the heap, as an optional's few kilobytes
  // would be cleared on every call.
  std::unique_ptr<ClockSeededRandom> fallback;
  if (m_wavy && hooks.wave == nullptr) fallback = std::make_unique<ClockSeededRandom>();
  Wave wave(fallback ? fallback.get() : hooks.wave);
  MarkupWriter writer(out, hooks);
  const std::span<const Channels> colors(m_colors.data(),
                                         static_cast<std::size_t>(m_count->value()));
  if (m_count->value() == 2) return WriteText<double>(colors, segments, text, m_wavy, wave, writer);
  return WriteText<float>(colors, segments, text, m_wavy, wave, writer);
}

Status GenerateFade(std::span<const Channels> colors, const CharacterText& text, bool wavy,
                    const FadeHooks& hooks, std::string& out) {
  return FadeGenerator(colors, wavy).Append(text, hooks, out);
}

Status FadeRequest(ColorCount count, std::span<const std::string> colorTexts,
                   const CharacterText& text, bool wavy, const FadeHooks& hooks, std::string& out) {
  std::optional<FadeGenerator> generator;
  if (Status status = FadeGenerator::Create(count, colorTexts, wavy, generator); !status.ok()) {
    return status;
  }
  return generator->Append(text, hooks, out);
}

}  // namespace tintrix
