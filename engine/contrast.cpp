#include "engine/contrast.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/oklab.h"

namespace tintrix {

namespace {

// The halvings of a search: 2^-20 of lightness or chroma is far below one step of a channel.
constexpr int kHalvings = 20;

// WCAG 2's linear value of each channel value (its threshold, 0.03928, and sRGB's 0.04045 part
// no two 8-bit values).
const std::array<double, 256>& LinearChannels() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> values{};
    for (std::size_t v = 0; v < values.size(); ++v) {
      const double c = static_cast<double>(v) / 255.0;
      values[v] = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return values;
  }();
  return table;
}

bool InGamut(const double lab[3]) {
  double linear[3];
  OkLabToLinear(lab, linear);
  constexpr double kSlack = 1e-9;
  return std::all_of(linear, linear + 3,
                     [](double c) { return c >= -kSlack && c <= 1.0 + kSlack; });
}

// The colour at lightness `lightness` of the hue (a, b), with chroma lowered as far as the
// gamut needs.
Channels AtLightness(double lightness, double a, double b) {
  double lab[3] = {lightness, a, b};
  if (!InGamut(lab)) {
    double inside = 0.0, outside = 1.0;  // fractions of the chroma
    for (int k = 0; k < kHalvings; ++k) {
      const double mid = (inside + outside) / 2;
      const double trial[3] = {lightness, a * mid, b * mid};
      (InGamut(trial) ? inside : outside) = mid;
    }
    lab[1] = a * inside;
    lab[2] = b * inside;
  }
  return FromOkLab(lab);
}

}  // namespace

double RelativeLuminance(const Channels& color) {
  const std::array<double, 256>& linear = LinearChannels();
  const auto at = [&](int v) { return linear[static_cast<std::size_t>(std::clamp(v, 0, 255))]; };
  return 0.2126 * at(color.red) + 0.7152 * at(color.green) + 0.0722 * at(color.blue);
}

double ContrastRatio(const Channels& a, const Channels& b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::optional<ContrastRaise> ContrastRaise::For(const Channels& background, double ratio) {
  const ContrastRaise raise(background, ratio);
  if (!raise.Reaches({0, 0, 0}) && !raise.Reaches({255, 255, 255})) return std::nullopt;
  return raise;
}

bool ContrastRaise::Reaches(const Channels& color) const {
  return ContrastRatio(color, m_background) >= m_ratio - 1e-9;
}

Channels ContrastRaise::Raise(const Channels& color) const {
  if (Reaches(color)) return color;
  double lab[3];
  ToOkLab(color, lab);
  struct Side {
    double distance;
    Channels color;
  };
  // Towards white (end 1) or black (end 0): the lightness nearest the colour's that reaches
  // the ratio, when the end itself does.
  const auto search = [&](double end) -> std::optional<Side> {
    const Channels extreme = AtLightness(end, 0, 0);
    if (!Reaches(extreme)) return std::nullopt;
    double failing = lab[0], reaching = end;
    for (int k = 0; k < kHalvings; ++k) {
      const double mid = (failing + reaching) / 2;
      (Reaches(AtLightness(mid, lab[1], lab[2])) ? reaching : failing) = mid;
    }
    return Side{std::abs(reaching - lab[0]), AtLightness(reaching, lab[1], lab[2])};
  };
  const std::optional<Side> lighter = search(1.0), darker = search(0.0);
  if (!lighter) return darker->color;
  if (!darker) return lighter->color;
  if (lighter->distance != darker->distance) {
    return lighter->distance < darker->distance ? lighter->color : darker->color;
  }
  return ContrastRatio(lighter->color, m_background) >= ContrastRatio(darker->color, m_background)
             ? lighter->color
             : darker->color;
}

}  // namespace tintrix
