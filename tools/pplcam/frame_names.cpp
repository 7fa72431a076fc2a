#include "frame_names.h"

#include <cstdio>

namespace pplcam_tool {

namespace {

// Length of the placeholder at pattern[i] ({n} or {n:W}), 0 if none;
// `digits` receives its width.
size_t placeholder_at(const std::string& p, size_t i, int* digits) {
  if (p.compare(i, 3, "{n}") == 0) return *digits = 4, 3;
  if (p.compare(i, 3, "{n:") == 0 && i + 4 < p.size() && p[i + 3] >= '1' && p[i + 3] <= '9' && p[i + 4] == '}')
    return *digits = p[i + 3] - '0', 5;
  return 0;
}

std::string padded(size_t frame, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*zu", digits, frame);
  return buf;
}

}  // namespace

bool has_frame_number(const std::string& pattern) {
  int digits;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (placeholder_at(pattern, i, &digits)) return true;
  return false;
}

std::string frame_name(const std::string& pattern, size_t frame) {
  std::string name;
  bool numbered = false;
  for (size_t i = 0; i < pattern.size();) {
    int digits;
    if (const size_t n = placeholder_at(pattern, i, &digits)) {
      name += padded(frame, digits);
      numbered = true;
      i += n;
    } else {
      name += pattern[i++];
    }
  }
  if (numbered) return name;
  const size_t slash = pattern.find_last_of('/');
  size_t dot = pattern.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = pattern.size();
  return pattern.substr(0, dot) + "-" + padded(frame, 4) + pattern.substr(dot);
}

}  // namespace pplcam_tool
