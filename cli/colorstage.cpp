#include "cli/colorstage.h"

#include <algorithm>
#include <cmath>

#include "engine/color.h"

namespace tintrix {

namespace {

Channels ChannelsOf(std::uint32_t rgb) {
  return {static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
          static_cast<int>(rgb & 0xFF)};
}

std::uint32_t Packed(const Channels& c) {
  return static_cast<std::uint32_t>(c.red) << 16 | static_cast<std::uint32_t>(c.green) << 8 |
         static_cast<std::uint32_t>(c.blue);
}

}  // namespace

void ContrastTally::Add(std::uint32_t rgb, bool changed) {
  auto [at, added] = m_ratios.try_emplace(rgb, 0.0);
  if (added) at->second = ContrastRatio(ChannelsOf(rgb), m_background);
  if (!m_count.lowest || at->second < *m_count.lowest) m_count.lowest = at->second;
  m_count.changed += changed ? 1 : 0;
}

void ContrastTally::Add(std::span<const std::uint32_t> rgb, std::span<const std::uint8_t> changed,
                        int levels) {
  std::vector<std::uint32_t> reduced;
  if (levels < 256) {
    reduced.assign(rgb.begin(), rgb.end());
    ReduceToLevels(reduced, levels);
    rgb = reduced;
  }
  for (std::size_t i = 0; i < rgb.size(); ++i) Add(rgb[i], i < changed.size() && changed[i] != 0);
}

StatusOr<std::optional<ColorStage>> ColorStage::Create(const FadeSettings& fade,
                                                       const FadeDocument& document,
                                                       BlendSpace blend,
                                                       const ColorStageOptions& options) {
  TINTRIX_ASSIGN_OR_RETURN(const std::optional<ColorCount> count,
                           ParseNumberColors(fade.colorCount, ColorCounts::kAny));
  const auto used = count ? static_cast<std::size_t>(count->value()) : 0;
  const std::span<const std::optional<int>> positions(options.positions.data(), used);
  const bool placed =
      std::any_of(positions.begin(), positions.end(), [](const auto& p) { return p.has_value(); });
  const bool raises = options.minContrast && options.background;
  if (!placed && !raises && !(options.tally && options.background)) {
    return std::optional<ColorStage>();
  }

  ColorStage stage(document, blend);
  stage.m_background = options.background;
  if (placed) {
    TINTRIX_ASSIGN_OR_RETURN(stage.m_places, PlaceStops(positions));
    for (std::size_t k = 0; k < used; ++k) {
      const std::optional<ColorValue> value = ParseColorValue(fade.colors[k]);
      if (!value) {
        return Status::InvalidArgument("Colour " + std::to_string(k + 1) +
                                       " is not a valid colour value: \"" + fade.colors[k] + "\"");
      }
      stage.m_colors.push_back(ColorChannels(*value));
    }
  }
  if (raises) {
    const double ratio = *options.minContrast / 1000.0;
    stage.m_raise = ContrastRaise::For(*options.background, ratio);
    stage.m_minContrast = ratio;
    if (!stage.m_raise) {
      return Status::InvalidArgument("No colour of any lightness has a contrast of " +
                                     ContrastRatioText(ratio) + ":1 against " +
                                     ColorName(*options.background));
    }
  }
  return std::optional<ColorStage>(std::move(stage));
}

StageColors ColorStage::Colors(std::size_t n) const {
  StageColors colors;
  colors.rgb = m_places.empty() ? m_document.Colors(n) : StopColors(m_colors, m_places, m_blend, n);
  colors.changed.assign(colors.rgb.size(), 0);
  if (!m_raise) return colors;
  for (std::size_t i = 0; i < colors.rgb.size(); ++i) {
    const std::uint32_t rgb = colors.rgb[i];
    auto [at, added] = m_raised.try_emplace(rgb, rgb);
    if (added) at->second = Packed(m_raise->Raise(ChannelsOf(rgb)));
    colors.rgb[i] = at->second;
    colors.changed[i] = at->second != rgb ? 1 : 0;
  }
  return colors;
}

std::optional<ContrastTally> ColorStage::NewTally() const {
  if (!m_background) return std::nullopt;
  return ContrastTally(*m_background);
}

Status ColorStage::Append(const FadeDocument& made, const CharacterText& characters,
                          std::span<const std::uint32_t> rgb, const FadeHooks& hooks,
                          std::string& out) const {
  if (m_raise && made.levels() < 256) {
    std::vector<std::uint32_t> reduced(rgb.begin(), rgb.end());
    ReduceToLevels(reduced, made.levels());
    std::sort(reduced.begin(), reduced.end());
    reduced.erase(std::unique(reduced.begin(), reduced.end()), reduced.end());
    for (const std::uint32_t color : reduced) {
      // The same margin the raise reaches its ratio with.
      if (ContrastRatio(ChannelsOf(color), *m_background) < m_minContrast - 1e-9) {
        return Status::Error(StatusCode::kOutOfRange,
                             "with " + std::to_string(made.levels()) +
                                 " levels per channel, a colour falls below the contrast of " +
                                 ContrastRatioText(m_minContrast) + ":1");
      }
    }
  }
  return made.AppendInColors(characters, rgb, hooks, out);
}

std::string ContrastRatioText(double ratio) {
  // A hair above the hundredth below, so that 4.5 computed as 4.4999999 still reads 4.50.
  const auto hundredths = static_cast<long>(std::floor(ratio * 100.0 + 1e-7));
  std::string text = std::to_string(hundredths / 100) + ".";
  text += static_cast<char>('0' + hundredths % 100 / 10);
  text += static_cast<char>('0' + hundredths % 10);
  return text;
}

std::string ColorName(const Channels& color) {
  std::string name(1, '#');
  name += MarkupColor(color.red, color.green, color.blue);
  return name;
}

}  // namespace tintrix
