// The Bayer frame walks of one path (walk.h), instantiated in
// walk_<path>.cpp.
#pragma once

#include <cstdint>

#include "bayer/driver.h"

namespace pplcam {

template <class P>
uint8_t bayer_walk_frame(BayerOutput out, ppl_context* c, uint8_t* src, uint8_t* dst);

}  // namespace pplcam
