// The interlaced kernels of the AVX-512 path: the kernels over its wide
// registers, finishing each line with 16-byte steps.
// GCC 12 reports the undefined parts of its own AVX-512 intrinsics
// (_mm512_undefined_*) as uninitialised once they are inlined here.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "core/simd_avx512_lanes.h"
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<Avx512Path>(IntlFrame, const ppl_context*, Order422, IntlOutput);

}  // namespace pplcam::yuv
