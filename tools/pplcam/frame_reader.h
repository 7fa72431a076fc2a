// Reading the frames of an input one after the other, from a file or from
// standard input ("-"): raw frames of a fixed size back to back, 8-bit grey
// images holding Bayer mosaics (binary PGM, one or more per file; PNG), or
// a YUV4MPEG2 stream (4:2:2 for the YUV converters, mono for Bayer).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats.h"

namespace pplcam_tool {

// A Y4M stream's header, as far as the tool reads it.
struct Y4mHeader {
  Size size;
  bool mono = false;        // C mono: one byte per pixel (a Bayer mosaic)
  bool interlaced = false;  // I t or I b: fields woven into each frame
};

class FrameReader {
 public:
  static FrameReader raw(const std::string& path, size_t frame_bytes);
  static FrameReader pgm(const std::string& path);
  static FrameReader png(const std::string& path);
  // Reads the header; frames follow with next(). 4:2:2 frames are packed
  // as YUYV, or as UYVY after pack_as_uyvy().
  static FrameReader y4m(const std::string& path);
  FrameReader(FrameReader&& other) noexcept;
  ~FrameReader();

  void pack_as_uyvy() { uyvy_ = true; }

  // Reads the next whole frame into dst; false at the end of the input.
  bool next(uint8_t* dst);
  size_t frame_bytes() const { return frame_bytes_; }
  size_t frame_count() const { return frame_count_; }  // 0 for a stream not read yet
  size_t leftover_bytes() const { return leftover_; }
  Size size() const { return size_; }                  // PGM, PNG, Y4M
  const Y4mHeader& y4m_header() const { return y4m_; }

 private:
  FrameReader() = default;
  void open_stream(const std::string& path);
  bool next_y4m(uint8_t* dst);

  std::string path_;
  FILE* file_ = nullptr;      // raw and Y4M: read frame by frame
  bool own_file_ = true;      // false for standard input
  bool y4m_stream_ = false, uyvy_ = false;
  size_t frame_bytes_ = 0, frame_count_ = 0, leftover_ = 0, read_ = 0;
  std::vector<uint8_t> images_;   // PGM and PNG: every frame, back to back
  std::vector<uint8_t> planar_;   // Y4M 4:2:2: one frame as stored
  Size size_;
  Y4mHeader y4m_;
};

// A whole file ("-": standard input) into memory; throws ToolError(kExitInput).
std::vector<uint8_t> read_file(const std::string& path);

}  // namespace pplcam_tool
