// Entry of the Bayer frame drivers: one per output format and path.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

enum class BayerOutput { kI420, kYuyv, kUyvy, kRgb24, kRgb32 };

// Runs the driver of `out` on the SSE2 path (`sse2`) or the MMX path over
// one frame whose geometry is already set. For I420, dst is the Y plane and
// the chroma planes follow it. Returns 1 for a demosaiced frame, 0 for raw
// passthrough.
uint8_t run_bayer_driver(BayerOutput out, bool sse2, ppl_context* ctx, uint8_t* src, uint8_t* dst);

// Column-group width of the last Bayer walk on the context: 8 (MMX path)
// or 16 (SSE2 path); 0 before the first Bayer frame.
int32_t last_bayer_group_bytes(const ppl_context* ctx);

}  // namespace pplcam
