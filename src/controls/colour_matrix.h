// The colour matrices of the Bayer kernels: the sensor matrix followed by
// the saturation/hue/contrast adjustment, in the three output routes
// (direct RGB, full-range YUV, studio-range YCbCr), plus their offsets.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

// The 30 words every path packs, in the order of GroupConstants: nine C_rgb
// coefficients, nine C_yuv, nine C_ycc (row-major, units of 1/64, clamped
// to -256..255), then the offsets of o_ycc, o_yuv and o_rgb.
struct ColourWords {
  int16_t c_rgb[9], c_yuv[9], c_ycc[9];
  int16_t offset[3];
};
ColourWords compute_colour_words(const ppl_context* c);

// Rebuilds every width's matrices in one bracket; `if_bracket_fails` when
// the floating-point state cannot be saved.
uint8_t rebuild_colour_matrices(ppl_context* c, uint8_t if_bracket_fails);

}  // namespace pplcam
