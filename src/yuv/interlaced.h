// Entry of the interlaced kernels, called by the processing operations
// once the frame geometry is up to date and the path is chosen.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/path_table.h"
#include "yuv/interlaced_frames.h"

namespace pplcam {

// Deinterlaces one frame on `path`, with the motion test (`motion`) or as a plain weave, from fields in order
// `input` into `output` (dst: packed or RGB24 output, or the I420 Y plane
// with U at dst + out_width * out_height). Adds one to n_frame on every
// call. Returns 1 with the whole destination written, or 0 with nothing
// written for a geometry the kernels cannot walk (widths not a multiple of
// 16, odd picture heights, negative black lines), which only sizes set
// outside the size table of ppl_new_frame_sizes can produce.
uint8_t run_interlaced_kernel(yuv::Order422 input, yuv::IntlOutput output, bool motion, PathId path,
                              ppl_context* ctx, const uint8_t* ref, const uint8_t* first,
                              const uint8_t* second, uint8_t* dst);

}  // namespace pplcam
