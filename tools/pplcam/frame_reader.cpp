#include "frame_reader.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "image_io.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

[[noreturn]] void fail_read(const std::string& path, const std::string& why) {
  fail(kExitInput, "cannot read " + (path == "-" ? std::string("standard input") : path) + ": " + why);
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

// One header line of a Y4M stream (the stream header or a FRAME line)
// without its newline; false at a clean end of the input. `read` counts the
// bytes taken.
bool read_line(FILE* f, std::string* line, size_t* read) {
  line->clear();
  for (int c; (c = std::fgetc(f)) != EOF;) {
    ++*read;
    if (c == '\n') return true;
    if (line->size() > 4096) return false;
    line->push_back(char(c));
  }
  return false;
}

Y4mHeader parse_y4m_header(const std::string& path, const std::string& line) {
  std::istringstream words(line);
  std::string word;
  words >> word;
  if (word != "YUV4MPEG2") fail_read(path, "not a YUV4MPEG2 stream");
  Y4mHeader h;
  std::string chroma = "420jpeg";  // the format's default
  while (words >> word) {
    const std::string value = word.substr(1);
    if (word[0] == 'W') h.size.width = std::atoi(value.c_str());
    else if (word[0] == 'H') h.size.height = std::atoi(value.c_str());
    else if (word[0] == 'C') chroma = value;
    else if (word[0] == 'I') h.interlaced = value == "t" || value == "b";
  }
  if (h.size.width <= 0 || h.size.height <= 0 || h.size.width > 65535 || h.size.height > 65535)
    fail_read(path, "Y4M header without a valid size");
  if (chroma == "mono") {
    h.mono = true;
  } else if (chroma != "422") {
    fail_read(path, "Y4M colour space C" + chroma +
                        " is not one the library converts: it takes 4:2:2 (C422) or mono Bayer frames (Cmono)");
  } else if (h.size.width % 2) {
    fail_read(path, "Y4M 4:2:2 stream of odd width");
  }
  return h;
}

}  // namespace

std::vector<uint8_t> read_file(const std::string& path) {
  FILE* f = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!f) fail_read(path, std::strerror(errno));
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
  const bool bad = std::ferror(f);
  const int err = errno;
  if (f != stdin) std::fclose(f);
  if (bad) fail_read(path, std::strerror(err));
  return data;
}

void FrameReader::open_stream(const std::string& path) {
  path_ = path;
  if (path == "-") {
    file_ = stdin;
    own_file_ = false;
    return;
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0) fail_read(path, std::strerror(errno));
  if (S_ISDIR(st.st_mode)) fail_read(path, "it is a folder");
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) fail_read(path, std::strerror(errno));
}

FrameReader FrameReader::raw(const std::string& path, size_t frame_bytes) {
  FrameReader r;
  r.open_stream(path);
  r.frame_bytes_ = frame_bytes;
  // Pipes and devices have no size: frames are then read until the end.
  struct stat st;
  if (fstat(fileno(r.file_), &st) == 0 && S_ISREG(st.st_mode)) {
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
    if (r.frame_count_ == 0) r.size_ = s;
    else if (s.width != r.size_.width || s.height != r.size_.height)
      fail_read(path, "PGM images of different sizes in one file");
    const size_t bytes = size_t(s.width) * s.height;
    if (data.size() - pos < bytes) {
      r.leftover_ = data.size() - pos;
      break;
    }
    r.images_.insert(r.images_.end(), data.begin() + pos, data.begin() + pos + bytes);
    pos += bytes;
    ++r.frame_count_;
    while (pos < data.size() && std::isspace(data[pos])) ++pos;
  }
  if (r.frame_count_ == 0 && r.leftover_ == 0) fail_read(path, "empty file");
  r.frame_bytes_ = size_t(r.size_.width) * r.size_.height;
  return r;
}

FrameReader FrameReader::png(const std::string& path) {
  FrameReader r;
  r.path_ = path;
  const std::vector<uint8_t> data = read_file(path);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) fail_read(path, image.message);
  if (image.format & (PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_ALPHA | PNG_FORMAT_FLAG_LINEAR)) {
    png_image_free(&image);
    fail_read(path, "a PNG input is a Bayer mosaic: an 8-bit grey image without alpha");
  }
  image.format = PNG_FORMAT_GRAY;
  r.size_ = {int(image.width), int(image.height)};
  r.frame_bytes_ = size_t(image.width) * image.height;
  r.images_.resize(r.frame_bytes_);
  if (!png_image_finish_read(&image, nullptr, r.images_.data(), 0, nullptr)) fail_read(path, image.message);
  r.frame_count_ = 1;
  return r;
}

FrameReader FrameReader::y4m(const std::string& path) {
  FrameReader r;
  r.open_stream(path);
  r.y4m_stream_ = true;
  std::string line;
  size_t header_bytes = 0;
  if (!read_line(r.file_, &line, &header_bytes)) fail_read(path, "not a YUV4MPEG2 stream");
  r.y4m_ = parse_y4m_header(path, line);
  r.size_ = r.y4m_.size;
  r.frame_bytes_ = size_t(r.size_.width) * r.size_.height * (r.y4m_.mono ? 1 : 2);
  if (!r.y4m_.mono) r.planar_.resize(r.frame_bytes_);
  // A file of frames without parameters ("FRAME\n") tells its length.
  struct stat st;
  if (fstat(fileno(r.file_), &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) >= header_bytes) {
    const size_t rest = size_t(st.st_size) - header_bytes, per_frame = 6 + r.frame_bytes_;
    if (rest % per_frame == 0) r.frame_count_ = rest / per_frame;
  }
  return r;
}

FrameReader::FrameReader(FrameReader&& o) noexcept
    : path_(std::move(o.path_)), file_(o.file_), own_file_(o.own_file_), y4m_stream_(o.y4m_stream_),
      uyvy_(o.uyvy_), frame_bytes_(o.frame_bytes_), frame_count_(o.frame_count_), leftover_(o.leftover_),
      read_(o.read_), images_(std::move(o.images_)), planar_(std::move(o.planar_)), size_(o.size_), y4m_(o.y4m_) {
  o.file_ = nullptr;
}

FrameReader::~FrameReader() {
  if (file_ && own_file_) std::fclose(file_);
}

bool FrameReader::next(uint8_t* dst) {
  if (!file_) {
    if (read_ >= frame_count_) return false;
    std::memcpy(dst, images_.data() + read_ * frame_bytes_, frame_bytes_);
    ++read_;
    return true;
  }
  if (y4m_stream_) return next_y4m(dst);
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

bool FrameReader::next_y4m(uint8_t* dst) {
  std::string line;
  size_t header = 0;
  const bool whole_line = read_line(file_, &line, &header);
  size_t n = 0;
  if (whole_line) {
    if (line.compare(0, 5, "FRAME") != 0) fail_read(path_, "Y4M frame without its FRAME header");
    n = std::fread(y4m_.mono ? dst : planar_.data(), 1, frame_bytes_, file_);
  }
  if (std::ferror(file_)) fail_read(path_, std::strerror(errno));
  if (!whole_line || n != frame_bytes_) {
    leftover_ = header + n;
    frame_count_ = read_;
    return false;
  }
  if (!y4m_.mono) packed_from_planar422(planar_.data(), dst, size_, uyvy_);
  ++read_;
  return true;
}

}  // namespace pplcam_tool
