#include "output_frame.h"

#include <cstring>

namespace pplcam_gst {

namespace {

bool default_layout(const GstVideoFrame& frame, const GstVideoInfo& info) {
  const auto* base = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
  if (!kernel_aligned(base)) return false;
  for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(&info); ++p) {
    if (GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p) != GST_VIDEO_INFO_PLANE_STRIDE(&info, p)) return false;
    if (static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p)) !=
        base + GST_VIDEO_INFO_PLANE_OFFSET(&info, p))
      return false;
  }
  return true;
}

}  // namespace

uint8_t* OutputFrame::begin(GstBuffer* buffer, const GstVideoInfo& info, bool flip_rows) {
  info_ = &info;
  flip_ = flip_rows;
  mapped_ = gst_video_frame_map(&frame_, const_cast<GstVideoInfo*>(&info), buffer, GST_MAP_WRITE);
  if (!mapped_) return nullptr;
  staged_ = flip_rows || !default_layout(frame_, info);
  if (!staged_) return static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame_, 0));
  uint8_t* scratch = scratch_.reserve(GST_VIDEO_INFO_SIZE(&info));
  if (!scratch) {
    finish();
    return nullptr;
  }
  return scratch;
}

void OutputFrame::finish() {
  if (!mapped_) return;
  if (staged_ && scratch_.data()) {
    for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(info_); ++p) {
      const gint rows = GST_VIDEO_FRAME_COMP_HEIGHT(&frame_, p);
      const gint row_bytes = GST_VIDEO_INFO_PLANE_STRIDE(info_, p);
      const uint8_t* src = scratch_.data() + GST_VIDEO_INFO_PLANE_OFFSET(info_, p);
      auto* dst = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame_, p));
      const gint dst_stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame_, p);
      for (gint r = 0; r < rows; ++r)
        std::memcpy(dst + gsize(flip_ ? rows - 1 - r : r) * dst_stride, src + gsize(r) * row_bytes, row_bytes);
    }
  }
  gst_video_frame_unmap(&frame_);
  mapped_ = false;
}

}  // namespace pplcam_gst
