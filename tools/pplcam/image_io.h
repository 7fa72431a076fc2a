// Writers of the picture and video files the tool produces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats.h"
#include "output_file.h"

namespace pplcam_tool {

// PNG through libpng. `pixels` is rows of 3 bytes per pixel; bgr_bottom_up
// says they are in the library's RGB24 layout (B, G, R, last row first),
// otherwise R, G, B top row first.
void write_png(OutputFile& out, const uint8_t* pixels, Size size, bool bgr_bottom_up);

// Uncompressed BMP: 24-bit from the library's RGB24, or 32-bit from its
// RGB32. Both are already the bottom-up BGR(X) rows a BMP holds.
void write_bmp(OutputFile& out, const uint8_t* pixels, Size size, PixelFormat format);

// A YUV4MPEG2 stream: I420 frames as 4:2:0, YUYV and UYVY frames as planar
// 4:2:2, all studio range.
class Y4mWriter {
 public:
  Y4mWriter(const std::string& path, Size size, PixelFormat format, int fps);
  void write_frame(const uint8_t* frame);
  void commit() { file_.commit(); }

 private:
  OutputFile file_;
  Size size_;
  PixelFormat format_;
  std::vector<uint8_t> planar_;
};

// Planar 4:2:2 (Y plane, then U and V planes of half width) to packed YUYV,
// or UYVY when `uyvy`; the inverse of what Y4mWriter stores.
void packed_from_planar422(const uint8_t* planar, uint8_t* packed, Size size, bool uyvy);

}  // namespace pplcam_tool
