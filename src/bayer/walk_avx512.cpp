// The Bayer frame walks of the AVX-512 path: raw conditioning by byte
// permutes (condition_vbmi.h), the 16-byte kernels EVEX-encoded by this
// file's instruction set.
#include "core/simd_avx512.h"
#include "bayer/condition_vbmi.h"
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

template uint8_t bayer_walk_frame<Avx512Path>(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

}  // namespace pplcam
