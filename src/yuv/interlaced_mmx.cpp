// The interlaced kernels of the MMX path (8-byte registers).
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<8>(const IntlFrame&, Order422, IntlOutput);

}  // namespace pplcam::yuv
