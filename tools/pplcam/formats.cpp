#include "formats.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace pplcam_tool {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string extension_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return lower(path.substr(dot + 1));
}

const char kOutputFormatNames[] = "png, bmp, y4m, i420, yuyv, uyvy, rgb24, rgb32";

const char* name_of(InputFormat f) {
  switch (f) {
    case InputFormat::kBayer: return "bayer";
    case InputFormat::kYuyv: return "yuyv";
    case InputFormat::kUyvy: return "uyvy";
    case InputFormat::kIntlYuyv: return "intl-yuyv";
    case InputFormat::kIntlUyvy: return "intl-uyvy";
  }
  return "?";
}

const char* name_of(PixelFormat f) {
  switch (f) {
    case PixelFormat::kI420: return "i420";
    case PixelFormat::kYuyv: return "yuyv";
    case PixelFormat::kUyvy: return "uyvy";
    case PixelFormat::kRgb24: return "rgb24";
    case PixelFormat::kRgb32: return "rgb32";
  }
  return "?";
}

const char* name_of(FileKind k) {
  switch (k) {
    case FileKind::kPng: return "png";
    case FileKind::kBmp: return "bmp";
    case FileKind::kY4m: return "y4m";
    case FileKind::kRaw: return "raw";
  }
  return "?";
}

std::string name_of(OutputFormat f) {
  return f.kind == FileKind::kRaw ? name_of(f.pixels) : name_of(f.kind);
}

const char* name_of(SizeMode m) {
  switch (m) {
    case SizeMode::kFull: return "full size";
    case SizeMode::kHalf: return "half size";
    case SizeMode::kQuarter: return "quarter size";
    case SizeMode::kDouble: return "double size";
  }
  return "?";
}

bool parse_input_format(const std::string& name, InputFormat* out) {
  const std::string n = lower(name);
  if (n == "bayer" || n == "bggr") *out = InputFormat::kBayer;
  else if (n == "yuyv" || n == "yuy2") *out = InputFormat::kYuyv;
  else if (n == "uyvy") *out = InputFormat::kUyvy;
  else if (n == "intl-yuyv") *out = InputFormat::kIntlYuyv;
  else if (n == "intl-uyvy") *out = InputFormat::kIntlUyvy;
  else return false;
  return true;
}

bool parse_output_format(const std::string& name, OutputFormat* out) {
  const std::string n = lower(name);
  if (n == "png") *out = {FileKind::kPng, PixelFormat::kRgb24};
  else if (n == "bmp") *out = {FileKind::kBmp, PixelFormat::kRgb24};
  else if (n == "y4m") *out = {FileKind::kY4m, PixelFormat::kI420};
  else if (n == "i420" || n == "yuv") *out = {FileKind::kRaw, PixelFormat::kI420};
  else if (n == "yuyv" || n == "yuy2") *out = {FileKind::kRaw, PixelFormat::kYuyv};
  else if (n == "uyvy") *out = {FileKind::kRaw, PixelFormat::kUyvy};
  else if (n == "rgb24" || n == "bgr") *out = {FileKind::kRaw, PixelFormat::kRgb24};
  else if (n == "rgb32" || n == "bgra") *out = {FileKind::kRaw, PixelFormat::kRgb32};
  else return false;
  return true;
}

bool input_format_from_path(const std::string& path, InputFormat* out) {
  const std::string e = extension_of(path);
  if (e == "raw" || e == "bayer") {
    *out = InputFormat::kBayer;
    return true;
  }
  return !e.empty() && parse_input_format(e, out);
}

bool output_format_from_path(const std::string& path, OutputFormat* out) {
  const std::string e = extension_of(path);
  return !e.empty() && parse_output_format(e, out);
}

bool parse_size(const std::string& text, Size* out) {
  int w = 0, h = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w <= 0 || h <= 0) return false;
  *out = {w, h};
  return true;
}

std::string to_string(Size s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

bool is_interlaced(InputFormat f) { return f == InputFormat::kIntlYuyv || f == InputFormat::kIntlUyvy; }
bool is_bayer(InputFormat f) { return f == InputFormat::kBayer; }

size_t input_frame_bytes(InputFormat f, Size s) {
  const size_t n = size_t(s.width) * size_t(s.height);
  return is_bayer(f) ? n : 2 * n;
}

size_t pixel_frame_bytes(PixelFormat f, Size s) {
  const size_t n = size_t(s.width) * size_t(s.height);
  switch (f) {
    case PixelFormat::kI420: return n + n / 2;
    case PixelFormat::kYuyv:
    case PixelFormat::kUyvy: return 2 * n;
    case PixelFormat::kRgb24: return 3 * n;
    case PixelFormat::kRgb32: return 4 * n;
  }
  return 0;
}

}  // namespace pplcam_tool
