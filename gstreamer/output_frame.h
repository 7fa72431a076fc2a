// Where a converter writes its picture. The library writes planes back to
// back with rows of exactly the picture's width (I420: Y, U, V; packed
// formats: one plane), which is GStreamer's default layout for every
// format and size the elements negotiate. An output buffer with that
// layout and a kernel-aligned start is written directly; any other (a
// downstream pool with padded strides, an unaligned allocation) gets the
// picture through an aligned scratch frame and a copy, never through the
// library's fallback fill.
#pragma once

#include <gst/video/video.h>

#include <cstdint>

#include "aligned_buffer.h"

namespace pplcam_gst {

class OutputFrame {
 public:
  // Maps `buffer` for writing as a picture of `info` (a default layout).
  // With `flip_rows` the picture is turned upside down on the way: the
  // converter's bottom-up RGB comes out top-down. Returns where the
  // converter writes, or nullptr when the buffer cannot be mapped.
  uint8_t* begin(GstBuffer* buffer, const GstVideoInfo& info, bool flip_rows);
  // Copies the scratch picture into the buffer if one was used, unmaps.
  void finish();

 private:
  GstVideoFrame frame_{};
  const GstVideoInfo* info_ = nullptr;
  bool mapped_ = false;
  bool staged_ = false;
  bool flip_ = false;
  AlignedBuffer scratch_;
};

}  // namespace pplcam_gst
