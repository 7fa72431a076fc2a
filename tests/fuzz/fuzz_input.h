// Reads the fuzzer's bytes as a stream of choices; past the end every
// choice is 0, so any input is a complete program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pplcam::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(byte()) << (8 * i);
    return v;
  }
  // One of n (n > 0).
  int pick(int n) { return byte() % n; }
  // A size or count: mostly the frame sizes in use and their neighbours,
  // sometimes small, negative or anything at all.
  int32_t size(const int32_t* common, int n) {
    switch (pick(8)) {
      case 0: return static_cast<int32_t>(u32());
      case 1: return -static_cast<int32_t>(byte());
      case 2: return byte();
      case 3: return common[pick(n)] + pick(33) - 16;
      default: return common[pick(n)];
    }
  }
  // The rest of the input, for frame contents.
  const uint8_t* rest(size_t* n) {
    *n = static_cast<size_t>(end_ - p_);
    return p_;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace pplcam::fuzz
