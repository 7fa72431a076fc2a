#include "bayer_source.h"

#include <cstring>

namespace pplcam_gst {

uint8_t* BayerSource::begin(GstBuffer* buffer, gsize frame_bytes) {
  // A buffer with one memory block that only we reference maps for writing
  // without GStreamer copying it behind our back.
  const bool own =
      gst_buffer_is_writable(buffer) && gst_buffer_n_memory(buffer) == 1 && gst_buffer_is_all_memory_writable(buffer);
  if (own && gst_buffer_map(buffer, &map_, GST_MAP_READWRITE)) {
    buffer_ = buffer;
    if (map_.size < frame_bytes) {
      finish();
      return nullptr;
    }
    if (kernel_aligned(map_.data)) {
      copied_ = false;
      return map_.data;
    }
    finish();
  }
  if (!gst_buffer_map(buffer, &map_, GST_MAP_READ)) return nullptr;
  buffer_ = buffer;
  uint8_t* copy = map_.size >= frame_bytes ? copy_.reserve(frame_bytes) : nullptr;
  if (copy) std::memcpy(copy, map_.data, frame_bytes);
  finish();
  copied_ = true;
  return copy;
}

void BayerSource::finish() {
  if (!buffer_) return;
  gst_buffer_unmap(buffer_, &map_);
  buffer_ = nullptr;
}

}  // namespace pplcam_gst
