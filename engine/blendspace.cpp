#include "engine/blendspace.h"

#include <algorithm>
#include <cmath>

#include "engine/oklab.h"
#include "engine/text.h"

namespace tintrix {

namespace {

int ToChannel(double c) {
  return static_cast<int>(RoundHalfEven(std::clamp(c * 255.0, 0.0, 255.0)));
}

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// Hue (degrees, 0 ... 360), saturation and value (0 ... 1); hue 0 for a grey.
void ToHsv(const Channels& c, double hsv[3]) {
  const double r = c.red / 255.0, g = c.green / 255.0, b = c.blue / 255.0;
  const double max = std::max({r, g, b}), min = std::min({r, g, b});
  const double delta = max - min;
  double h = 0;
  if (delta > 0) {
    if (max == r) {
      h = 60.0 * std::fmod((g - b) / delta + 6.0, 6.0);
    } else if (max == g) {
      h = 60.0 * ((b - r) / delta + 2.0);
    } else {
      h = 60.0 * ((r - g) / delta + 4.0);
    }
  }
  hsv[0] = h;
  hsv[1] = max > 0 ? delta / max : 0;
  hsv[2] = max;
}

Channels FromHsv(const double hsv[3]) {
  const double h = hsv[0] / 60.0, s = hsv[1], v = hsv[2];
  const int sector = static_cast<int>(std::floor(h)) % 6;
  const double f = h - std::floor(h);
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  // Which of v, t, p and q red, green and blue take in each sector of the hue circle.
  const double values[4] = {v, t, p, q};
  static constexpr int kTake[6][3] = {{0, 1, 2}, {3, 0, 2}, {2, 0, 1},
                                      {2, 3, 0}, {1, 2, 0}, {0, 2, 3}};
  const int* take = kTake[sector < 0 ? 0 : sector];
  const double r = values[take[0]], g = values[take[1]], b = values[take[2]];
  return {ToChannel(r), ToChannel(g), ToChannel(b)};
}

// The hue from `from` to `to` along the shorter arc, at t; in 0 ... 360.
double BlendHue(double from, double to, double t) {
  double delta = to - from;
  if (delta > 180.0) delta -= 360.0;
  if (delta < -180.0) delta += 360.0;
  double h = std::fmod(from + t * delta, 360.0);
  return h < 0 ? h + 360.0 : h;
}

// An end without a hue of its own takes the other's.
void ShareHue(double& fromHue, bool fromHasHue, double& toHue, bool toHasHue) {
  if (!fromHasHue && toHasHue) fromHue = toHue;
  if (!toHasHue && fromHasHue) toHue = fromHue;
}

}  // namespace

std::optional<BlendSpace> ParseBlendSpace(std::string_view name) {
  if (name == "rgb") return BlendSpace::kRgb;
  if (name == "oklab") return BlendSpace::kOkLab;
  if (name == "oklch") return BlendSpace::kOkLch;
  if (name == "hsv") return BlendSpace::kHsv;
  return std::nullopt;
}

PerceptualBlend::PerceptualBlend(BlendSpace space, const Channels& from, const Channels& to,
                                 std::size_t m)
    : m_space(space), m_m(static_cast<double>(m)) {
  switch (space) {
    case BlendSpace::kRgb:
      m_from[0] = from.red, m_from[1] = from.green, m_from[2] = from.blue;
      m_to[0] = to.red, m_to[1] = to.green, m_to[2] = to.blue;
      break;
    case BlendSpace::kOkLab:
      ToOkLab(from, m_from);
      ToOkLab(to, m_to);
      break;
    case BlendSpace::kOkLch: {
      double a[3], b[3];
      ToOkLab(from, a);
      ToOkLab(to, b);
      // L, C, h (degrees)
      m_from[0] = a[0], m_from[1] = std::hypot(a[1], a[2]);
      m_from[2] = std::atan2(a[2], a[1]) / kRadiansPerDegree;
      m_to[0] = b[0], m_to[1] = std::hypot(b[1], b[2]);
      m_to[2] = std::atan2(b[2], b[1]) / kRadiansPerDegree;
      ShareHue(m_from[2], m_from[1] >= 0.0001, m_to[2], m_to[1] >= 0.0001);
      break;
    }
    case BlendSpace::kHsv:
      ToHsv(from, m_from);
      ToHsv(to, m_to);
      ShareHue(m_from[0], m_from[1] > 0, m_to[0], m_to[1] > 0);
      break;
  }
}

Channels PerceptualBlend::At(std::size_t i) const {
  const double t = static_cast<double>(i) / m_m;
  const auto line = [&](int k) { return m_from[k] + t * (m_to[k] - m_from[k]); };
  switch (m_space) {
    case BlendSpace::kRgb:
      return {static_cast<int>(RoundHalfEven(line(0))), static_cast<int>(RoundHalfEven(line(1))),
              static_cast<int>(RoundHalfEven(line(2)))};
    case BlendSpace::kOkLab: {
      const double lab[3] = {line(0), line(1), line(2)};
      return FromOkLab(lab);
    }
    case BlendSpace::kOkLch: {
      const double c = line(1);
      const double h = BlendHue(m_from[2], m_to[2], t) * kRadiansPerDegree;
      const double lab[3] = {line(0), c * std::cos(h), c * std::sin(h)};
      return FromOkLab(lab);
    }
    case BlendSpace::kHsv: {
      const double hsv[3] = {BlendHue(m_from[0], m_to[0], t), line(1), line(2)};
      return FromHsv(hsv);
    }
  }
  return {};
}

}  // namespace tintrix
