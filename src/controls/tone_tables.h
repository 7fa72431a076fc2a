// Constant data of the tone and colour controls: the sine table, the
// colour conversion matrices and the 65 stored gamma settings.
#pragma once

#include <cstdint>

namespace pplcam {

// floor(4096 sin(a degrees)) for a = 0..90, with the exact values 2048 at
// 30 and 4096 at 90.
extern const int32_t kSineTable[91];

// sin and cos of any whole number of degrees in 4.12 fixed point, from the
// quarter-wave table.
int32_t sine_4_12(int32_t degrees);
int32_t cosine_4_12(int32_t degrees);

// Colour conversions in 4.12 fixed point, rows as applied to a column
// vector: r, g, b to studio-range Y, Cb, Cr; r, g, b to full-range Y, U, V;
// and Y, U, V back to r, g, b.
extern const int32_t kRgbToYcc[3][3];
extern const int32_t kRgbToYuv[3][3];
extern const int32_t kYuvToRgb[3][3];
// Contrast pivots around this level in both luma ranges.
constexpr int32_t kContrastPivot = 128;

// Gamma settings -32..32, indexed by setting + 32.
constexpr int kGammaSettings = 65;
constexpr int32_t kGammaSettingMin = -32, kGammaSettingMax = 32;
extern const uint8_t kYuvGammaTables[kGammaSettings][256];
extern const uint8_t kRgbGammaTables[kGammaSettings][256];
// floor(4096 x 0.45 x e^(-3s/64)): the exponent of setting s in 20.12.
extern const int32_t kGammaExponents[kGammaSettings];

}  // namespace pplcam
