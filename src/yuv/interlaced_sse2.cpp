// The interlaced kernels of the SSE2 path (16-byte registers).
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<16>(const IntlFrame&, Order422, IntlOutput);

}  // namespace pplcam::yuv
