// Plain models of the picture controls' derived values, written from the
// formulas with 64-bit arithmetic and without the library's tables or
// helpers, for checking the packed constants the setters build.
#pragma once

#include <array>
#include <cstdint>

namespace pplcam::test {

using Matrix9 = std::array<int32_t, 9>;

// sin and cos of whole degrees in 4.12: the truncated magnitude of the exact
// value with its sign (the quarter-wave table the library keeps).
int32_t model_sin(int32_t degrees);
int32_t model_cos(int32_t degrees);

// The adjustment matrices (nf88) and offsets of a saturation, hue and
// contrast level, in the library's order: P_rgb, P_yuv, P_ycc and o_ycc,
// o_yuv, o_rgb.
struct Adjustment {
  Matrix9 p[3];
  int32_t offset[3];
};
Adjustment model_adjustment(int32_t sat, int32_t hue, int32_t contrast_c);

// The packed words of the colour matrices: C_rgb, C_yuv, C_ycc (each
// clamped to -256..255) and the three offset words.
struct ColourModel {
  int32_t c_rgb[9], c_yuv[9], c_ycc[9];
  int32_t offset[3];
};
ColourModel model_colour(const Adjustment& a, const Matrix9& sensor);

// The contrast curve through (0,0), (x,y), (255-x,255-y), (255,255).
std::array<uint8_t, 256> model_contrast(int32_t x, int32_t y);

}  // namespace pplcam::test
