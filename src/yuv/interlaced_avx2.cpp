// The interlaced kernels of the AVX2 path: the kernels over its wide
// registers, finishing each line with 16-byte steps.
#include "core/simd_avx2_lanes.h"
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<Avx2Path>(IntlFrame, const ppl_context*, Order422, IntlOutput);

}  // namespace pplcam::yuv
