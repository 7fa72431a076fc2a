// The Bayer frame walks of the AVX-512 path: for now the 16-byte kernels,
// VEX/EVEX-encoded by this file's instruction set.
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

template uint8_t bayer_walk_frame<Avx512Path>(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

}  // namespace pplcam
