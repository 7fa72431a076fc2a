// Statistics read as levels (pplcam_ext.h): the means of the last Bayer
// frame over the cells it actually sampled.
#pragma once

#include "core/context.h"

namespace pplcam {

// Keeps what the level means need of the frame just walked: its raw sums,
// before post-processing rescales them into the original means, and the
// quality, group width and size that say which cells were sampled. Runs
// after the walk, so the walk itself counts nothing.
void keep_level_sums(ppl_context* c);

}  // namespace pplcam
