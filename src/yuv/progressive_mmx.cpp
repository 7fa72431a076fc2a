// The progressive kernels of the MMX path (8-byte registers).
#include "yuv/progressive_kernels.h"

namespace pplcam::yuv {

template void packed422_to_i420<8>(const I420Frame&, Order422);
template void yyyy_to_i420<8>(const I420Frame&);
template void packed422_to_rgb24<8>(const Rgb24Frame&, Order422);

}  // namespace pplcam::yuv
