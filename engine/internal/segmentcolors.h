#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/blendspace.h"
#include "engine/color.h"
#include "engine/internal/fadeparts.h"

// The colours of a fade's characters as 0xRRGGBB, in the blend and levels the options name.
namespace tintrix::markup {

// Reduces every channel of a colour to `levels` levels, through a table per channel value.
class LevelTable {
 public:
  explicit LevelTable(int levels) {
    const std::uint32_t steps = static_cast<std::uint32_t>(levels - 1);
    for (std::uint32_t v = 0; v < 256; ++v) {
      const std::uint32_t level = RoundedQuotient(v * steps, 255);
      m_channel[v] = static_cast<std::uint8_t>(RoundedQuotient(level * 255, steps));
    }
  }

  std::uint32_t operator()(std::uint32_t rgb) const {
    return std::uint32_t{m_channel[rgb >> 16]} << 16 |
           std::uint32_t{m_channel[rgb >> 8 & 0xFF]} << 8 | m_channel[rgb & 0xFF];
  }

 private:
  // n / d rounded to the nearest whole number, a half to the even one.
  static std::uint32_t RoundedQuotient(std::uint32_t n, std::uint32_t d) {
    const std::uint32_t q = n / d, r = n % d;
    if (2 * r > d || (2 * r == d && q % 2 == 1)) return q + 1;
    return q;
  }

  std::uint8_t m_channel[256];
};

// The colours of a segment's characters, in the blend the options name.
template <typename Real>
class SegmentColors {
 public:
  SegmentColors(BlendSpace space, const Channels& from, const Channels& to, std::size_t m)
      : m_rgb(from, to, m) {
    if (space != BlendSpace::kRgb) m_perceptual.emplace(space, from, to, m);
  }

  // Fill, where rgb has room for count rounded up to a multiple of 8, which may be written.
  void FillPadded(std::size_t first, std::size_t count, std::uint32_t* rgb) const {
    if (!m_perceptual) return m_rgb.FillPadded(first, count, rgb);
    Fill(first, count, rgb);
  }

  void Fill(std::size_t first, std::size_t count, std::uint32_t* rgb) const {
    if (!m_perceptual) return m_rgb.Fill(first, count, rgb);
    for (std::size_t j = 0; j < count; ++j) {
      const Channels c = m_perceptual->At(first + j);
      rgb[j] = static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
    }
  }

 private:
  fadeparts::SegmentBlend<Real> m_rgb;
  std::optional<PerceptualBlend> m_perceptual;
};

}  // namespace tintrix::markup
