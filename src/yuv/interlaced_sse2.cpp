// The interlaced kernels of the SSE2 path.
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<Sse2Path>(IntlFrame, const ppl_context*, Order422, IntlOutput);

}  // namespace pplcam::yuv
