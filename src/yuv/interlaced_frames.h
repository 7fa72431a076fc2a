// Frame description handed from the interlaced entry to a path's kernels,
// and the kernel of each path (defined in interlaced_kernels.h,
// instantiated in interlaced_<path>.cpp).
#pragma once

#include <cstdint>

#include "core/context.h"
#include "yuv/packed422.h"

namespace pplcam::yuv {

enum class IntlOutput { kYuyv, kUyvy, kI420, kRgb24 };

// One interlaced frame: three fields in, one picture with black lines out.
//
// The picture is the deinterlaced frame (decimation 0), the first field
// thinned to half or quarter size (decimation 1 and 2) or the deinterlaced
// frame with every pixel repeated 2 x 2 (decimation -1). Its lines sit at
// output lines top .. top + picture_height - 1; the top and bottom lines
// around it are black.
struct IntlFrame {
  const uint8_t* ref;        // reference field (read only with motion)
  const uint8_t* first;      // first field: picture lines 0, 2, 4, ...
  const uint8_t* second;     // second field: picture lines 1, 3, 5, ...
  int32_t width;             // pixels per field line
  int32_t field_lines;       // lines per field
  int32_t decimation;        // -1, 0, 1 or 2
  bool motion;               // motion-adaptive (true) or plain weave
  const void* threshold;     // the packed intl 3T threshold (set by the path's kernel)

  uint8_t* dst;              // packed or RGB24 output, or the I420 Y plane
  uint8_t* u_plane;          // I420 only
  uint8_t* v_plane;
  int32_t out_width, out_height;
  int32_t top, bottom;       // black lines above and below the picture
  int32_t picture_width, picture_height;

  // Line buffers in the context's work area: two of at least 2 x width
  // bytes (computed lines) and one of at least 4 x width bytes (a line
  // doubled for decimation -1).
  uint8_t* line_a;
  uint8_t* line_b;
  uint8_t* wide_line;
  // The motion test's chroma differences of one line: 2 x width + 32
  // bytes.
  uint8_t* differences;
};

// Writes the whole destination of f on path P (core/path_types.h): black
// lines and picture. The motion test compares against the threshold
// packed in c for the path.
template <class P>
void interlaced_frame(IntlFrame f, const ppl_context* c, Order422 input, IntlOutput output);

}  // namespace pplcam::yuv
