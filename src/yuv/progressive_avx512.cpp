// The progressive kernels of the AVX-512 path: the kernels over its wide registers,
// finishing each line with 16-byte steps.
// GCC 12 reports the undefined parts of its own AVX-512 intrinsics
// (_mm512_undefined_*) as uninitialised once they are inlined here.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "core/simd_avx512_lanes.h"
#include "yuv/progressive_kernels.h"

namespace pplcam::yuv {

template void packed422_to_i420<Avx512Path>(const I420Frame&, Order422);
template void yyyy_to_i420<Avx512Path>(const I420Frame&);
template void packed422_to_rgb24<Avx512Path>(const Rgb24Frame&, Order422);

}  // namespace pplcam::yuv
