// Scalar model of the in-frame statistics: which cells of a Bayer frame are
// sampled, which accumulator each sample feeds, and what a sample adds to
// the sums, counts and histograms, written per cell from the sampling rule
// (no registers, masks or byte sums). The kernels of both paths must give
// the same raw sums before post-processing.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam::model {

// The limits as the caller set them (plain values, inclusive ranges).
// Ranges of B - Gb, Gr - R, their sum, their difference, R, G, B (the
// context's QualLimit order), then qAE.
struct StatisticsLimits {
  int32_t min[8], max[8];
};
StatisticsLimits statistics_limits_of(const ppl_context* c);

// One 2x2 cell: B, Gb (top row), Gr, R (bottom row).
struct Cell {
  int b, gb, gr, r;
};


// The raw sums a frame leaves before post-processing.
struct StatisticsSums {
  RgbSum sub_windows[49];
  RgbSum whole_frame;
  RgbSum qae;
  uint32_t qae_count;
  RgbSum qual;
  uint32_t qual_count;
  uint32_t histogram[3][256];   // r, g, b
};

// Reads the kernel's raw sums out of a context.
StatisticsSums statistics_sums_of(const ppl_context* c);

// The sampling of a whole frame at `quality` with column groups of `group`
// photosites (8 or 16): `raw` is the frame before the call, `conditioned`
// the same frame after conditioning, both width x height bytes.
void frame_statistics(const uint8_t* raw, const uint8_t* conditioned, int width, int height, int quality,
                      int group, const StatisticsLimits& l, StatisticsSums* out);

}  // namespace pplcam::model
