// Entry of the progressive YUV kernels, called by the processing operations
// once the frame geometry is up to date and the path is chosen.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/path_table.h"

namespace pplcam {

enum class ProgressiveKernel {
  kYuyvToI420,
  kUyvyToI420,
  kYuyvToRgb24,
  kUyvyToRgb24,
  kYyyyToI420,     // YUYVYYYY and UYVYYYYY: one layout, one conversion
  kRgb24ToRgb32,   // no conversion
};

// Runs kernel k on `path` over one frame whose geometry is in ctx. dst is the Y plane (the U plane follows at
// dst + out_width * out_height) or the RGB destination. Adds one to n_frame
// on every call. Returns the kernel's result:
//  - I420 kernels: 1; nothing written when the decimation mode is not 0.
//  - RGB24 kernels: 1; 0 with nothing written when the output is smaller
//    than the input.
//  - RGB24 to RGB32: 0, nothing written.
//  - 0 with nothing written for a geometry the kernels cannot walk (width
//    not a multiple of 16 or below 32, fewer than two lines, or output
//    steps that would leave the destination), which only a frame size set
//    outside the size table can produce.
uint8_t run_progressive_kernel(ProgressiveKernel k, PathId path, ppl_context* ctx, const uint8_t* src,
                               uint8_t* dst);

}  // namespace pplcam
