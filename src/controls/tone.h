// Internal steps of the tone controls shared with the context defaults.
#pragma once

#include "core/context.h"

namespace pplcam {

// yuv/rgb contrast-gamma[i] = yuv/rgb gamma[contrast[i]].
void recompute_contrast_gamma(ppl_context* c);

}  // namespace pplcam
