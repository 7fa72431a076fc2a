#include "bayer/driver.h"

#include "bayer/walk_drivers.h"

namespace pplcam {

// A width that is not a multiple of 16 runs on the MMX path, whose 8-wide
// column groups cover it (or all but its last 1 to 7 columns), so that the
// picture does not depend on the path.
uint8_t run_bayer_driver(BayerOutput out, bool sse2, ppl_context* ctx, uint8_t* src, uint8_t* dst) {
  const int index = static_cast<int>(out);
  if (sse2 && ctx->in_width % 16 == 0) return kSse2BayerDrivers[index](ctx, src, dst);
  return kMmxBayerDrivers[index](ctx, src, dst);
}

int32_t last_bayer_group_bytes(const ppl_context* ctx) { return ctx->bayer_group_bytes; }

}  // namespace pplcam
