#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "image_io.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

[[noreturn]] void fail_read(const std::string& path, const std::string& why) {
  fail(kExitInput, "cannot read " + path + ": " + why);
}

// Parses the header of one binary PGM at data[pos]; leaves pos at its pixels.
Size parse_pgm_header(const std::string& path, const std::vector<uint8_t>& data, size_t* pos) {
  size_t p = *pos;
  if (p + 2 > data.size() || data[p] != 'P' || data[p + 1] != '5')
    fail_read(path, "not a binary PGM (P5) image");
  p += 2;
  long values[3];
  for (long& value : values) {
    // Whitespace and '#' comments may stand between the header fields.
    for (;;) {
      while (p < data.size() && std::isspace(data[p])) ++p;
      if (p < data.size() && data[p] == '#') {
        while (p < data.size() && data[p] != '\n') ++p;
        continue;
      }
      break;
    }
    if (p >= data.size() || !std::isdigit(data[p])) fail_read(path, "malformed PGM header");
    value = 0;
    while (p < data.size() && std::isdigit(data[p]) && value < 100000) value = value * 10 + (data[p++] - '0');
  }
  if (p >= data.size() || !std::isspace(data[p])) fail_read(path, "malformed PGM header");
  ++p;  // exactly one whitespace byte before the pixels
  if (values[2] < 1 || values[2] > 255) fail_read(path, "PGM with more than 8 bits per sample");
  if (values[0] < 1 || values[1] < 1 || values[0] > 65535 || values[1] > 65535)
    fail_read(path, "PGM size out of range");
  *pos = p;
  return {int(values[0]), int(values[1])};
}

}  // namespace

std::vector<uint8_t> read_file(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) fail_read(path, std::strerror(errno));
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
  const bool bad = std::ferror(f);
  const int err = errno;
  std::fclose(f);
  if (bad) fail_read(path, std::strerror(err));
  return data;
}

FrameReader FrameReader::raw(const std::string& path, size_t frame_bytes) {
  FrameReader r;
  r.path_ = path;
  r.frame_bytes_ = frame_bytes;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) fail_read(path, std::strerror(errno));
  if (S_ISDIR(st.st_mode)) fail_read(path, "is a folder");
  r.file_ = std::fopen(path.c_str(), "rb");
  if (!r.file_) fail_read(path, std::strerror(errno));
  // Pipes and devices have no size: frames are then read until the end.
  if (S_ISREG(st.st_mode)) {
    r.frame_count_ = size_t(st.st_size) / frame_bytes;
    r.leftover_ = size_t(st.st_size) % frame_bytes;
  }
  return r;
}

FrameReader FrameReader::pgm(const std::string& path) {
  FrameReader r;
  r.path_ = path;
  const std::vector<uint8_t> data = read_file(path);
  size_t pos = 0;
  while (pos < data.size()) {
    const Size s = parse_pgm_header(path, data, &pos);
    if (r.frame_count_ == 0) r.pgm_size_ = s;
    else if (s.width != r.pgm_size_.width || s.height != r.pgm_size_.height)
      fail_read(path, "PGM images of different sizes in one file");
    const size_t bytes = size_t(s.width) * s.height;
    if (data.size() - pos < bytes) {
      r.leftover_ = data.size() - pos;
      break;
    }
    r.pgm_data_.insert(r.pgm_data_.end(), data.begin() + pos, data.begin() + pos + bytes);
    pos += bytes;
    ++r.frame_count_;
    while (pos < data.size() && std::isspace(data[pos])) ++pos;
  }
  if (r.frame_count_ == 0 && r.leftover_ == 0) fail_read(path, "empty file");
  r.frame_bytes_ = size_t(r.pgm_size_.width) * r.pgm_size_.height;
  return r;
}

FrameReader::FrameReader(FrameReader&& o) noexcept
    : path_(std::move(o.path_)), file_(o.file_), frame_bytes_(o.frame_bytes_), frame_count_(o.frame_count_),
      leftover_(o.leftover_), read_(o.read_), pgm_data_(std::move(o.pgm_data_)), pgm_size_(o.pgm_size_) {
  o.file_ = nullptr;
}

FrameReader::~FrameReader() {
  if (file_) std::fclose(file_);
}

bool FrameReader::next(uint8_t* dst) {
  if (!file_) {
    if (read_ >= frame_count_) return false;
    std::memcpy(dst, pgm_data_.data() + read_ * frame_bytes_, frame_bytes_);
    ++read_;
    return true;
  }
  const size_t n = std::fread(dst, 1, frame_bytes_, file_);
  if (n == frame_bytes_) {
    ++read_;
    return true;
  }
  if (std::ferror(file_)) fail_read(path_, std::strerror(errno));
  if (frame_count_ == 0 || read_ != frame_count_) leftover_ = n;  // streams learn it only now
  frame_count_ = read_;
  return false;
}

}  // namespace pplcam_tool
