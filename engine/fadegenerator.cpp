#include "engine/fadegenerator.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/internal/fadeparts.h"
#include "engine/internal/formatwriter.h"
#include "engine/internal/markupwriter.h"

namespace tintrix {

namespace {

using fadeparts::CutText;
using fadeparts::SegmentBlend;
using fadeparts::Segments;
using fadeparts::Wave;
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
      TINTRIX_RETURN_IF_ERROR(writer.Written(count));
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

FadeGenerator::FadeGenerator(std::span<const Channels> colors, bool wavy,
                             const MarkupOptions& options)
    : m_count(ColorCount::Of(static_cast<int>(colors.size()))), m_wavy(wavy), m_options(options) {
  if (m_count) std::copy(colors.begin(), colors.end(), m_colors.begin());
}

StatusOr<FadeGenerator> FadeGenerator::Create(ColorCount count,
                                              std::span<const std::string> colorTexts, bool wavy,
                                              const MarkupOptions& options) {
  const auto colorCount = static_cast<std::size_t>(count.value());
  if (colorTexts.size() < colorCount) {
    return Status::InvalidArgument("There are fewer colours than the fade runs through.");
  }
  std::array<Channels, 10> channels;
  for (std::size_t k = 0; k < colorCount; ++k) {
    const std::optional<ColorValue> value = ParseColorValue(colorTexts[k]);
    if (!value) {
      return Status::InvalidArgument("Colour " + std::to_string(k + 1) +
                                     " is not a valid colour value: \"" +
                                     EscapeControlCharacters(colorTexts[k]) + "\"");
    }
    channels[k] = ColorChannels(*value);
  }
  return FadeGenerator(std::span<const Channels>(channels.data(), colorCount), wavy, options);
}

Status FadeGenerator::Append(const CharacterText& text, const FadeHooks& hooks,
                             std::string& out) const {
  if (!m_count) return Status::Ok();
  const Segments segments = CutText(*m_count, text.size(), hooks.letEventsRun);
  if (text.empty()) return Status::Ok();
  if (!m_options.IsPlainClassic()) {
    std::unique_ptr<ClockSeededRandom> fallback;
    if (m_wavy && WritesWave(m_options.format) && hooks.wave == nullptr) {
      fallback = std::make_unique<ClockSeededRandom>();
    }
    Wave wave(fallback ? fallback.get() : hooks.wave);
    return markup::WriteFormattedFade(
        std::span<const Channels>(m_colors.data(), static_cast<std::size_t>(m_count->value())),
        segments, text, m_wavy, m_options, wave, hooks, out);
  }
  if (hooks.colorTags) *hooks.colorTags += text.size();
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
  TINTRIX_ASSIGN_OR_RETURN(const FadeGenerator generator,
                           FadeGenerator::Create(count, colorTexts, wavy));
  return generator.Append(text, hooks, out);
}

}  // namespace tintrix
