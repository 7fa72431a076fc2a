// The progressive kernels of the AVX2 path: the kernels over its wide registers,
// finishing each line with 16-byte steps.
#include "core/simd_avx2_lanes.h"
#include "yuv/progressive_kernels.h"

namespace pplcam::yuv {

template void packed422_to_i420<Avx2Path>(const I420Frame&, Order422);
template void yyyy_to_i420<Avx2Path>(const I420Frame&);
template void packed422_to_rgb24<Avx2Path>(const Rgb24Frame&, Order422);

}  // namespace pplcam::yuv
