// The interlaced kernels of the AVX-512 path: for now the 16-byte kernels,
// VEX/EVEX-encoded by this file's instruction set.
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<Avx512Path>(IntlFrame, const ppl_context*, Order422, IntlOutput);

}  // namespace pplcam::yuv
