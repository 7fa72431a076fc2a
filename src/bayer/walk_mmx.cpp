// The Bayer frame walks of the MMX path.
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

template uint8_t bayer_walk_frame<MmxPath>(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

}  // namespace pplcam
