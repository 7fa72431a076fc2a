// The interlaced kernels of the AVX2 path: for now the 16-byte kernels,
// VEX-encoded by this file's instruction set.
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<Avx2Path>(IntlFrame, const ppl_context*, Order422, IntlOutput);

}  // namespace pplcam::yuv
