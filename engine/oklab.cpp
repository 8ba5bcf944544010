#include "engine/oklab.h"

#include <algorithm>
#include <cmath>

#include "engine/text.h"

namespace tintrix {

namespace {

int ToChannel(double c) {
  return static_cast<int>(RoundHalfEven(std::clamp(c * 255.0, 0.0, 255.0)));
}

}  // namespace

double SrgbToLinear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

void ToOkLab(const Channels& color, double lab[3]) {
  const double r = SrgbToLinear(color.red), g = SrgbToLinear(color.green),
               b = SrgbToLinear(color.blue);
  const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
  const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
  const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
  lab[0] = 0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s;
  lab[1] = 1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s;
  lab[2] = 0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s;
}

void OkLabToLinear(const double lab[3], double linear[3]) {
  const double l_ = lab[0] + 0.3963377774 * lab[1] + 0.2158037573 * lab[2];
  const double m_ = lab[0] - 0.1055613458 * lab[1] - 0.0638541728 * lab[2];
  const double s_ = lab[0] - 0.0894841775 * lab[1] - 1.2914855480 * lab[2];
  const double l = l_ * l_ * l_, m = m_ * m_ * m_, s = s_ * s_ * s_;
  linear[0] = 4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s;
  linear[1] = -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s;
  linear[2] = -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s;
}

Channels FromOkLab(const double lab[3]) {
  double linear[3];
  OkLabToLinear(lab, linear);
  return {ToChannel(LinearToSrgb(linear[0])), ToChannel(LinearToSrgb(linear[1])),
          ToChannel(LinearToSrgb(linear[2]))};
}

}  // namespace tintrix
