// Alignment the library's kernels want, and a scratch buffer that has it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace pplcam_gst {

// The converters run their 16-byte (SSE2) kernels only when every buffer
// is 16-byte aligned; an 8-byte-aligned buffer gets the slower MMX path and
// a worse one the fallback fill. The elements ask upstream and downstream
// for 64 bytes (a cache line, enough for any wider kernel path) and copy
// frames that miss kKernelAlignment.
constexpr size_t kKernelAlignment = 16;
constexpr size_t kRequestedAlignment = 64;

inline bool kernel_aligned(const void* p) { return reinterpret_cast<uintptr_t>(p) % kKernelAlignment == 0; }

// Grows on demand, keeps its bytes until the next larger reserve().
class AlignedBuffer {
 public:
  AlignedBuffer() = default;
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  ~AlignedBuffer() { std::free(data_); }

  uint8_t* reserve(size_t size) {
    if (size > size_) {
      std::free(data_);
      size_ = (size + kRequestedAlignment - 1) / kRequestedAlignment * kRequestedAlignment;
      data_ = static_cast<uint8_t*>(std::aligned_alloc(kRequestedAlignment, size_));
      if (!data_) size_ = 0;
    }
    return data_;
  }
  uint8_t* data() const { return data_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace pplcam_gst
