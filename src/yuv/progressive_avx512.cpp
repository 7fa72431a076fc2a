// The progressive kernels of the AVX-512 path: for now the 16-byte kernels,
// VEX/EVEX-encoded by this file's instruction set.
#include "yuv/progressive_kernels.h"

namespace pplcam::yuv {

template void packed422_to_i420<Avx512Path>(const I420Frame&, Order422);
template void yyyy_to_i420<Avx512Path>(const I420Frame&);
template void packed422_to_rgb24<Avx512Path>(const Rgb24Frame&, Order422);

}  // namespace pplcam::yuv
