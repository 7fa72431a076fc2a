// The Bayer frame drivers of the MMX path.
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

const BayerDriver kMmxBayerDrivers[5] = {
    bayer_walk<Mmx, BayerOutput::kI420>,  bayer_walk<Mmx, BayerOutput::kYuyv>,
    bayer_walk<Mmx, BayerOutput::kUyvy>,  bayer_walk<Mmx, BayerOutput::kRgb24>,
    bayer_walk<Mmx, BayerOutput::kRgb32>,
};

}  // namespace pplcam
