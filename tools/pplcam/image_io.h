// Readers and writers of the picture and video files the tool handles.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats.h"
#include "output_file.h"

namespace pplcam_tool {

// PNG through libpng. `pixels` is rows of 3 bytes per pixel; bgr_bottom_up
// says they are in the library's RGB24 layout (B, G, R, last row first),
// otherwise R, G, B top row first.
void write_png(const std::string& path, const uint8_t* pixels, Size size, bool bgr_bottom_up);

// Uncompressed BMP: 24-bit from the library's RGB24, or 32-bit from its
// RGB32. Both are already the bottom-up BGR(X) rows a BMP holds.
void write_bmp(const std::string& path, const uint8_t* pixels, Size size, PixelFormat format);

// A YUV4MPEG2 stream: I420 frames as 4:2:0, YUYV and UYVY frames as planar
// 4:2:2, all studio range. Written through an OutputFile.
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

// Reads the frames of an input file one after the other: raw frames of a
// fixed size back to back, or one or more 8-bit binary PGM images (P5).
class FrameReader {
 public:
  static FrameReader raw(const std::string& path, size_t frame_bytes);
  static FrameReader pgm(const std::string& path);
  FrameReader(FrameReader&& other) noexcept;
  ~FrameReader();

  // Reads the next whole frame into dst; false at the end of the input.
  bool next(uint8_t* dst);
  size_t frame_bytes() const { return frame_bytes_; }
  size_t frame_count() const { return frame_count_; }
  size_t leftover_bytes() const { return leftover_; }
  Size pgm_size() const { return pgm_size_; }

 private:
  FrameReader() = default;
  std::string path_;
  FILE* file_ = nullptr;
  size_t frame_bytes_ = 0, frame_count_ = 0, leftover_ = 0, read_ = 0;
  std::vector<uint8_t> pgm_data_;  // all PGM frames, back to back
  Size pgm_size_;
};

// Whole file into memory; throws ToolError(kExitInput).
std::vector<uint8_t> read_file(const std::string& path);

}  // namespace pplcam_tool
