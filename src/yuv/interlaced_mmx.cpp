// The interlaced kernels of the MMX path.
#include "yuv/interlaced_kernels.h"

namespace pplcam::yuv {

template void interlaced_frame<MmxPath>(IntlFrame, const ppl_context*, Order422, IntlOutput);

}  // namespace pplcam::yuv
