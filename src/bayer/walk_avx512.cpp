// The Bayer frame walks of the AVX-512 path: raw conditioning by byte
// permutes (condition_vbmi.h), the middle groups of the qualities 2 and 3
// four per register (walk.h), the rest the 16-byte kernels, EVEX-encoded
// by this file's instruction set.
//
// GCC 12's AVX-512 intrinsics hand the builtins they expand to a register
// left undefined on purpose (_mm512_undefined_epi32), and warn about it
// once inlined this deep: the warnings say nothing about this code.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "core/simd_avx512.h"
#include "bayer/condition_vbmi.h"
#include "bayer/walk.h"
#include "bayer/walk_drivers.h"

namespace pplcam {

template uint8_t bayer_walk_frame<Avx512Path>(BayerOutput, ppl_context*, uint8_t*, uint8_t*);

}  // namespace pplcam
