// Per-frame statistics around a Bayer kernel: clearing before it runs.
#pragma once

#include "core/context.h"

namespace pplcam {

// Zeroes the sums, counts and histograms the Bayer kernels accumulate into.
void clear_frame_statistics(ppl_context* c);

}  // namespace pplcam
