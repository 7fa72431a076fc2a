// Frame descriptions handed from the progressive entry to a path's kernels,
// and the kernels of each path (defined in progressive_kernels.h,
// instantiated in progressive_<path>.cpp).
#pragma once

#include <cstdint>

#include "yuv/packed422.h"

namespace pplcam::yuv {

// A source frame read as line pairs into the three I420 planes.
struct I420Frame {
  const uint8_t* src;
  int32_t line_bytes;    // bytes per source line
  int32_t width;         // pixels per line: a multiple of 16, at least 32
  int32_t line_pairs;
  uint8_t* y;            // picture pixel (0, 0) of the Y plane
  int32_t y_row_stride;  // bytes from one picture row to the next (signed)
  uint8_t* u;            // chroma sample (0, 0) of the U plane
  uint8_t* v;            // and of the V plane
  int32_t c_row_stride;
  bool h_mirror;         // rows run right to left: pixel x at row start - x
};

// A packed 4:2:2 frame into RGB24 rows.
struct Rgb24Frame {
  const uint8_t* src;
  int32_t width;         // pixels per line: a multiple of 16
  int32_t line_pairs;
  uint8_t* row0;         // where source line 0 goes
  int32_t row_stride;    // bytes from the row of line r to that of line r + 1
};

// Kernels of path P (core/path_types.h). Their output does not depend on
// the path.
template <class P>
void packed422_to_i420(const I420Frame& f, Order422 order);
template <class P>
void yyyy_to_i420(const I420Frame& f);
template <class P>
void packed422_to_rgb24(const Rgb24Frame& f, Order422 order);

}  // namespace pplcam::yuv
