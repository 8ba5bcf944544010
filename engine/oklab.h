#pragma once

#include "engine/color.h"

// OKLab, the perceptual space the oklab and oklch blends and the contrast rule work in, and
// the sRGB transfer function it is reached through; all in double precision.

namespace tintrix {

// An sRGB channel (0 ... 255) as linear light, 0 ... 1.
double SrgbToLinear(int channel);

// Linear light back to the sRGB curve, 0 ... 1 for 0 ... 1 (unclamped beyond).
double LinearToSrgb(double linear);

// L, a and b of an sRGB colour.
void ToOkLab(const Channels& color, double lab[3]);

// The linear red, green and blue of an OKLab colour, unclamped: outside 0 ... 1 when the
// colour lies outside the sRGB gamut.
void OkLabToLinear(const double lab[3], double linear[3]);

// The sRGB colour of an OKLab colour: each channel through the transfer function, rounded
// half to even and clamped to 0 ... 255.
Channels FromOkLab(const double lab[3]);

}  // namespace tintrix
