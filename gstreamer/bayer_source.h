// The source frame of a Bayer conversion. The library conditions it in
// place (gains, offsets, gamma), so the converter may only run on memory
// nobody else can see: the incoming buffer itself when this element holds
// its only reference, its memory is not shared with another buffer and it
// is kernel-aligned; otherwise an aligned private copy of the frame.
#pragma once

#include <gst/gst.h>

#include <cstdint>

#include "aligned_buffer.h"

namespace pplcam_gst {

class BayerSource {
 public:
  // Returns `frame_bytes` bytes the converter may overwrite, or nullptr
  // when the buffer cannot be mapped or is shorter than a frame.
  uint8_t* begin(GstBuffer* buffer, gsize frame_bytes);
  void finish();
  // Whether the last begin() had to copy the frame.
  bool copied() const { return copied_; }

 private:
  GstBuffer* buffer_ = nullptr;
  GstMapInfo map_{};
  bool copied_ = false;
  AlignedBuffer copy_;
};

}  // namespace pplcam_gst
