#pragma once

#include <optional>

#include "engine/color.h"

// How well a colour reads on its page, as WCAG 2 measures it, and the nearest colour of the
// same hue that reads well enough.

namespace tintrix {

// WCAG 2's relative luminance: 0.2126 R + 0.7152 G + 0.0722 B of the linear channels, 0 ... 1.
double RelativeLuminance(const Channels& color);

// WCAG 2's contrast ratio of two colours: (lighter + 0.05) / (darker + 0.05), 1 ... 21.
double ContrastRatio(const Channels& a, const Channels& b);

// Raises colours to a least contrast ratio against a background.
class ContrastRaise {
 public:
  // For `ratio` (1 ... 21) against `background`; nullopt when no colour of any lightness
  // reaches it there (neither black nor white does).
  static std::optional<ContrastRaise> For(const Channels& background, double ratio);

  // Whether `color` reaches the ratio (within 1e-9, so that black on white reaches 21).
  bool Reaches(const Channels& color) const;

  // `color` itself when it reaches the ratio; otherwise the colour of its OKLCh hue whose
  // lightness is the nearest to its own that reaches the ratio once rounded to sRGB, its
  // chroma lowered only as far as the sRGB gamut needs at that lightness. Lightness is
  // searched on both sides by halving to within 1e-6; the nearer side wins, on a tie the one
  // with more contrast.
  Channels Raise(const Channels& color) const;

 private:
  ContrastRaise(const Channels& background, double ratio)
      : m_background(background), m_ratio(ratio) {}

  Channels m_background;
  double m_ratio;
};

}  // namespace tintrix
