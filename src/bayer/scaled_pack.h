// Output packs of the decimated (2:1, 4:1) and interpolated (1:2) modes.
//
// In these modes the walk leaves the converted rows of a row pair in the
// work-area rings (luma ring and plane ring 2 for the YUV outputs, plane
// rings 1 to 3 for R, G, B) and calls one pack per row pair. The packs are
// plain byte loops shared by every path: the rings hold the same bytes on
// all of them, so all write the same picture.
#pragma once

#include <cstdint>

#include "bayer/driver.h"
#include "bayer/placement.h"

namespace pplcam {

struct ScaledFrame {
  BayerOutput format;
  bool cell_quality;     // quality 3 (cell walk)
  int32_t decimation;    // -1, 1 or 2
  int32_t width;         // walked width: whole column groups
  int32_t height;        // walked height: whole row pairs
  Plane main;            // Y plane or the packed plane
  Plane chroma;          // I420 U plane (V is `quarter` bytes further)
  int32_t quarter;
  const uint8_t* ring[5];   // indexed by WorkRing
  uint32_t ring_mask;       // bytes - 1 of each ring but the green one
};

// Packs row pair k, whose first row starts at running byte index `index`
// in the rings (the second row `width` bytes later).
void pack_scaled_row_pair(const ScaledFrame& f, int32_t k, uint32_t index);

// Packs the single row r of a 1:2 picture, for walks that finish their
// rows one at a time; calling it for rows 0, 1, 2, ... gives the same
// picture as pack_scaled_row_pair for each row pair.
void pack_scaled_row(const ScaledFrame& f, int32_t r, uint32_t index);

// Completes the picture after the last row pair (mode -1: the last
// interpolated rows, which have no row below them).
void finish_scaled_frame(const ScaledFrame& f);

}  // namespace pplcam
