#include "api/fallback.h"

#include <cstring>

namespace pplcam {

void FallbackWriter::copy(const uint8_t* src, int64_t src_size, int64_t count) {
  if (count <= 0) return;
  const int64_t from_src = count < src_size ? count : (src_size > 0 ? src_size : 0);
  std::memcpy(out_, src, static_cast<size_t>(from_src));
  out_ += from_src;
  fill(128, count - from_src);
}

void FallbackWriter::fill(uint8_t value, int64_t count) {
  if (count <= 0) return;
  std::memset(out_, value, static_cast<size_t>(count));
  out_ += count;
}

}  // namespace pplcam
