// The size step shared by the progressive and interlaced operations.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/geometry.h"

namespace pplcam {

// Brings the geometry up to the caller's sizes; false when they are refused
// or when the geometry kept from an earlier call (black lines set through
// ppl_set_decimation) has no output that fits.
inline bool update_frame_sizes(ppl_context* c, int32_t iw, int32_t ih, int32_t ow, int32_t oh) {
  if (iw == c->in_width && ih == c->in_height && ow == c->out_width && oh == c->out_height)
    return output_fits(c);
  return resize_frames(c, iw, ih, ow, oh);
}

}  // namespace pplcam
