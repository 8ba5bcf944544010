#include "engine/fadegenerator.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/internal/fadeparts.h"
#include "engine/internal/formatwriter.h"

namespace tintrix {

namespace {

// The wave a fade draws from: the hooks', or for a wavy fade whose caller gave none, one
// seeded from the clock in `fallback` (on the heap, as its few kilobytes would be cleared on
// every call).
fadeparts::Wave WaveFor(bool draws, const FadeHooks& hooks,
                        std::unique_ptr<ClockSeededRandom>& fallback) {
  if (draws && hooks.wave == nullptr) fallback = std::make_unique<ClockSeededRandom>();
  return fadeparts::Wave(fallback ? fallback.get() : hooks.wave);
}

}  // namespace

std::vector<std::size_t> SegmentLengths(ColorCount count, std::size_t n,
                                        const std::function<void()>& letEventsRun) {
  const fadeparts::Segments segments = fadeparts::CutText(count, n, letEventsRun);
  return {segments.lengths.begin(), segments.lengths.begin() + segments.count};
}

FadeGenerator::FadeGenerator(std::span<const Channels> colors, bool wavy,
                             const MarkupOptions& options)
    : m_count(ColorCount::Any(static_cast<int>(colors.size()))), m_wavy(wavy), m_options(options) {
  if (m_count) std::copy(colors.begin(), colors.end(), m_colors.begin());
}

StatusOr<FadeGenerator> FadeGenerator::Create(ColorCount count,
                                              std::span<const std::string> colorTexts, bool wavy,
                                              const MarkupOptions& options) {
  const auto colorCount = static_cast<std::size_t>(count.value());
  if (colorTexts.size() < colorCount) {
    return Status::InvalidArgument("There are fewer colours than the fade runs through.");
  }
  std::array<Channels, kMaxFadeColors> channels;
  for (std::size_t k = 0; k < colorCount; ++k) {
    if (colorTexts[k].empty()) {
      return Status::InvalidArgument("Colour " + std::to_string(k + 1) + " is not set");
    }
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
  const std::span<const Channels> colors(m_colors.data(),
                                         static_cast<std::size_t>(m_count->value()));
  const std::size_t n = text.size();
  if (hooks.shortColors != nullptr && n > 0 && n <= ShortFadeColors::kMaxCharacters) {
    const ShortFadeColors::Kept kept =
        hooks.shortColors->Get(colors, m_options.blend, n, [&](std::uint32_t* rgb) {
          return markup::FillShortFade(colors, fadeparts::CutText(*m_count, n, hooks.letEventsRun),
                                       m_options.blend, rgb);
        });
    std::unique_ptr<ClockSeededRandom> fallback;
    fadeparts::Wave wave = WaveFor(m_wavy && WritesWave(m_options.format), hooks, fallback);
    return markup::WriteShortFade(kept, text, m_wavy, m_options, wave, hooks, out);
  }
  const fadeparts::Segments segments = fadeparts::CutText(*m_count, n, hooks.letEventsRun);
  if (text.empty()) return Status::Ok();
  std::unique_ptr<ClockSeededRandom> fallback;
  fadeparts::Wave wave = WaveFor(m_wavy && WritesWave(m_options.format), hooks, fallback);
  return markup::WriteFormattedFade(colors, segments, text, m_wavy, m_options, wave, hooks, out);
}

std::vector<std::uint32_t> FadeGenerator::Colors(std::size_t n) const {
  if (!m_count) return {};
  std::vector<std::uint32_t> rgb(n);
  markup::FadeColors(
      std::span<const Channels>(m_colors.data(), static_cast<std::size_t>(m_count->value())),
      fadeparts::CutText(*m_count, n, {}), m_options.blend, rgb);
  return rgb;
}

std::array<bool, 256> FadeGenerator::PlainBytes() const {
  if (!m_count || (m_wavy && WritesWave(m_options.format))) return {};
  return markup::PlainBytes(m_options);
}

Status FadeGenerator::AppendInColors(const CharacterText& text, std::span<const std::uint32_t> rgb,
                                     const FadeHooks& hooks, std::string& out) const {
  if (!m_count || text.empty()) return Status::Ok();
  std::unique_ptr<ClockSeededRandom> fallback;
  fadeparts::Wave wave = WaveFor(m_wavy && WritesWave(m_options.format), hooks, fallback);
  return markup::WriteColoredText(rgb.first(std::min(rgb.size(), text.size())), text, m_wavy,
                                  m_options, wave, hooks, out);
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
