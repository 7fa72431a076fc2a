// The progressive kernels of the SSE2 path.
#include "yuv/progressive_kernels.h"

namespace pplcam::yuv {

template void packed422_to_i420<Sse2Path>(const I420Frame&, Order422);
template void yyyy_to_i420<Sse2Path>(const I420Frame&);
template void packed422_to_rgb24<Sse2Path>(const Rgb24Frame&, Order422);

}  // namespace pplcam::yuv
