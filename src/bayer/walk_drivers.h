// The ten frame drivers: one per output format on each path.
#pragma once

#include <cstdint>

#include "bayer/driver.h"

namespace pplcam {

using BayerDriver = uint8_t (*)(ppl_context*, uint8_t*, uint8_t*);

// Indexed by BayerOutput.
extern const BayerDriver kMmxBayerDrivers[5];
extern const BayerDriver kSse2BayerDrivers[5];

}  // namespace pplcam
