#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "engine/color.h"

namespace tintrix {

// How a segment blends from its start colour to its end colour.
enum class BlendSpace {
  kRgb,    // each channel in a straight line, in the fade's own arithmetic (the default)
  kOkLab,  // L, a and b of OKLab in straight lines
  kOkLch,  // L and C of OKLCh in straight lines, the hue along the shorter arc
  kHsv,    // S and V in straight lines, the hue along the shorter arc
};

// "rgb", "oklab", "oklch" or "hsv"; nullopt for any other name.
std::optional<BlendSpace> ParseBlendSpace(std::string_view name);

// The colours of a segment of m characters blended in a perceptual space: the i-th character
// (1 ... m) takes the point at t = i / m between the two ends. The conversions use the sRGB
// transfer function and the OKLab matrices in double precision; each channel is rounded half
// to even and clamped to 0 ... 255. An OKLCh end whose chroma is below 0.0001, or an HSV end
// that is grey or black, takes the other end's hue. For kRgb it blends each channel linearly
// in double precision, which is not the fade's own arithmetic: the generator never asks it to.
class PerceptualBlend {
 public:
  PerceptualBlend(BlendSpace space, const Channels& from, const Channels& to, std::size_t m);

  // The colour of the i-th character.
  Channels At(std::size_t i) const;

 private:
  BlendSpace m_space;
  double m_from[3];
  double m_to[3];
  double m_m;
};

}  // namespace tintrix
