// The Bayer frame walks of the AVX2 path: the middle groups of the
// qualities 2 and 3 two per register (walk.h), the rest the 16-byte
// kernels, VEX-encoded by this file's instruction set.
#include "core/simd_avx2.h"
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

template uint8_t bayer_walk_frame<Avx2Path>(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

}  // namespace pplcam
