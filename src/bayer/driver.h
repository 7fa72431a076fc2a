// Entry of the Bayer frame walks: one per output format and path.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/path_table.h"

namespace pplcam {

enum class BayerOutput { kI420, kYuyv, kUyvy, kRgb24, kRgb32 };

// Runs the walk of `out` on `path` over one frame whose geometry is already
// set, and records the path as the context's last. For I420, dst is the Y
// plane and the chroma planes follow it.
// Returns 1 for a demosaiced frame, 0 for raw passthrough.
uint8_t run_bayer_driver(BayerOutput out, PathId path, ppl_context* ctx, uint8_t* src, uint8_t* dst);

}  // namespace pplcam
