// The fields of interlaced frames as the library's deinterlacer takes them:
// each field a block of its own lines, and the previous frame's second
// field kept as the reference of the motion test.
#pragma once

#include <cstddef>
#include <cstdint>

#include "aligned_buffer.h"

namespace pplcam_gst {

// Even frame lines form the first field, which the library puts on the
// even output lines; odd lines the second field, which it tests for motion
// against the reference.
class InterlacedFields {
 public:
  // Copies the `height` lines of `frame` (`line_bytes` each, interleaved)
  // into the two fields; false when out of memory.
  bool split(const uint8_t* frame, size_t line_bytes, int height);
  const uint8_t* first() const { return first_.data(); }
  const uint8_t* second() const { return second_[current_].data(); }
  // The previous frame's second field; this frame's own after a reset
  // (first frame, new caps, flush, discontinuity), so that the motion test
  // finds nothing to interpolate.
  const uint8_t* reference() const { return second_[have_reference_ ? current_ ^ 1 : current_].data(); }
  // After the conversion: this frame's second field becomes the next
  // frame's reference (the two second-field buffers swap, nothing copied).
  void keep_reference() {
    current_ ^= 1;
    have_reference_ = true;
  }
  void reset() { have_reference_ = false; }

 private:
  AlignedBuffer first_;
  AlignedBuffer second_[2];
  int current_ = 0;
  bool have_reference_ = false;
};

}  // namespace pplcam_gst
