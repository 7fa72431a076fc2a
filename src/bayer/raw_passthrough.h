// Qualities 4 and 5: the raw bytes of the frame, unconditioned, written
// straight into the destination in the layout of the output format.
#pragma once

#include <cstdint>

#include "bayer/driver.h"

namespace pplcam {

// `group_bytes` (8 or 16) decides whether the I420 raw-mode marker fits the
// width; `marker_cell` is the calling path's marker counter.
void raw_passthrough(const ppl_context* c, BayerOutput out, const uint8_t* src, uint8_t* dst,
                     int32_t group_bytes, uint32_t* marker_cell);

}  // namespace pplcam
