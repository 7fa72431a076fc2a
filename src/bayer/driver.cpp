#include "bayer/driver.h"

#include "bayer/walk_drivers.h"
#include "core/path_types.h"

namespace pplcam {
namespace {

using BayerWalkFrame = uint8_t (*)(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

// One row per path, in PathId order.
constexpr BayerWalkFrame kBayerWalks[kPathRows] = {
    nullptr,
    bayer_walk_frame<MmxPath>,
    bayer_walk_frame<Sse2Path>,
};
static_assert(every_path_has_a_row(kBayerWalks));

}  // namespace

uint8_t run_bayer_driver(BayerOutput out, PathId path, ppl_context* ctx, uint8_t* src, uint8_t* dst) {
  ctx->last_path = path;
  return kBayerWalks[static_cast<int>(path)](out, ctx, src, dst);
}

}  // namespace pplcam
