// Per-frame statistics around a Bayer kernel: clearing before it runs and
// turning its raw sums into means after it.
#pragma once

#include "core/context.h"

namespace pplcam {

// Zeroes the sums, counts and histograms the Bayer kernels accumulate into.
void clear_frame_statistics(ppl_context* c);

// Turns the kernel's raw sums into the means the getters report: the
// sub-window and outside sums into per-window means (and the whole-frame
// sum), the all-sub-windows mean, the whole-frame means and the qAE and
// qual means with their counts scaled to the whole frame. Uses the
// statistics scale the driver set for the frame and the window normalisers
// of the frame size. The raw sums are kept first for the level means.
void postprocess_frame_statistics(ppl_context* c);

}  // namespace pplcam
