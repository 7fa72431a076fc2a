// The fallback fill an exported converter writes when no kernel can run:
// a stream of segments written one after the other from dst on. The fill
// never reads the context, never reads a source beyond the size it is told,
// and writes nothing for a non-positive byte count.
#pragma once

#include <cstdint>

namespace pplcam {

class FallbackWriter {
 public:
  explicit FallbackWriter(uint8_t* dst) : out_(dst) {}

  // `count` bytes copied from src; bytes past `src_size` become 128.
  void copy(const uint8_t* src, int64_t src_size, int64_t count);
  // `count` bytes of `value`.
  void fill(uint8_t value, int64_t count);

 private:
  uint8_t* out_;
};

}  // namespace pplcam
