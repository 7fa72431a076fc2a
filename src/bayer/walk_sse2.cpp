// The Bayer frame drivers of the SSE2 path.
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

const BayerDriver kSse2BayerDrivers[5] = {
    bayer_walk<Sse2, BayerOutput::kI420>,  bayer_walk<Sse2, BayerOutput::kYuyv>,
    bayer_walk<Sse2, BayerOutput::kUyvy>,  bayer_walk<Sse2, BayerOutput::kRgb24>,
    bayer_walk<Sse2, BayerOutput::kRgb32>,
};

}  // namespace pplcam
