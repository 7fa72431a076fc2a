#include <string>

#include "image_io.h"
#include "tool_error.h"

namespace pplcam_tool {

Y4mWriter::Y4mWriter(const std::string& path, Size size, PixelFormat format, int fps)
    : file_(path), size_(size), format_(format) {
  if (format != PixelFormat::kI420 && format != PixelFormat::kYuyv && format != PixelFormat::kUyvy)
    fail(kExitUsage, "y4m holds i420, yuyv or uyvy frames");
  const std::string header = "YUV4MPEG2 W" + std::to_string(size.width) + " H" + std::to_string(size.height) +
                             " F" + std::to_string(fps) + ":1 Ip A1:1 " +
                             (format == PixelFormat::kI420 ? "C420mpeg2" : "C422") + " XCOLORRANGE=LIMITED\n";
  file_.write(header.data(), header.size());
  if (format != PixelFormat::kI420) planar_.resize(size_t(size.width) * size.height * 2);
}

void Y4mWriter::write_frame(const uint8_t* frame) {
  static const char kFrame[] = "FRAME\n";
  file_.write(kFrame, sizeof kFrame - 1);
  const size_t n = size_t(size_.width) * size_.height;
  if (format_ == PixelFormat::kI420) {
    file_.write(frame, n + n / 2);
    return;
  }
  // Packed 4:2:2 to planar: Y plane, then U and V planes of half width.
  const bool yuyv = format_ == PixelFormat::kYuyv;
  uint8_t* y = planar_.data();
  uint8_t* u = y + n;
  uint8_t* v = u + n / 2;
  for (size_t i = 0; i < n / 2; ++i) {
    const uint8_t* p = frame + 4 * i;
    y[2 * i] = yuyv ? p[0] : p[1];
    y[2 * i + 1] = yuyv ? p[2] : p[3];
    u[i] = yuyv ? p[1] : p[0];
    v[i] = yuyv ? p[3] : p[2];
  }
  file_.write(planar_.data(), planar_.size());
}

void packed_from_planar422(const uint8_t* planar, uint8_t* packed, Size size, bool uyvy) {
  const size_t n = size_t(size.width) * size.height;
  const uint8_t* y = planar;
  const uint8_t* u = y + n;
  const uint8_t* v = u + n / 2;
  for (size_t i = 0; i < n / 2; ++i) {
    uint8_t* p = packed + 4 * i;
    p[uyvy ? 1 : 0] = y[2 * i];
    p[uyvy ? 3 : 2] = y[2 * i + 1];
    p[uyvy ? 0 : 1] = u[i];
    p[uyvy ? 2 : 3] = v[i];
  }
}

}  // namespace pplcam_tool
