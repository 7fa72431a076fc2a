#include "bayer/driver.h"

#include "bayer/walk_drivers.h"
#include "core/path_types.h"

namespace pplcam {
namespace {

using BayerWalkFrame = uint8_t (*)(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

// One row per path, in PathId order.
constexpr PathTable<BayerWalkFrame> kBayerWalks = path_table<BayerWalkFrame>(
    bayer_walk_frame<MmxPath>,
    bayer_walk_frame<Sse2Path>,
    bayer_walk_frame<Avx2Path>,
    bayer_walk_frame<Avx512Path>);

}  // namespace

uint8_t run_bayer_driver(BayerOutput out, PathId path, ppl_context* ctx, uint8_t* src, uint8_t* dst) {
  ctx->last_path = path;
  return kBayerWalks[path](out, ctx, src, dst);
}

}  // namespace pplcam
