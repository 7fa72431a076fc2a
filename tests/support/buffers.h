// Test buffers at chosen alignments, and buffers that sit against an
// inaccessible page so that any read or write past their ends crashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pplcam::test {

enum class Align {
  k16,        // 16-byte aligned
  k8Not16,    // 8-byte aligned, not 16
  kOdd,       // odd address
};

// Heap buffer whose data() has the requested alignment.
class AlignedBuffer {
 public:
  AlignedBuffer(size_t size, Align align);
  uint8_t* data() { return data_; }
  size_t size() const { return size_; }
  uint8_t& operator[](size_t i) { return data_[i]; }

 private:
  std::vector<uint8_t> storage_;
  uint8_t* data_;
  size_t size_;
};

enum class Guard {
  kAfter,    // the buffer ends at an inaccessible page
  kBefore,   // the buffer starts right after an inaccessible page
};

// mmap'ed buffer next to a PROT_NONE page. With Guard::kAfter the data ends
// exactly at the guard when `size` is a multiple of `align`; otherwise the
// start is rounded down to `align` and at most align - 1 bytes separate the
// end from the guard.
class GuardedBuffer {
 public:
  GuardedBuffer(size_t size, Guard guard, size_t align = 16);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;
  uint8_t* data() { return data_; }
  size_t size() const { return size_; }
  uint8_t& operator[](size_t i) { return data_[i]; }

 private:
  void* map_ = nullptr;
  size_t map_size_ = 0;
  uint8_t* data_ = nullptr;
  size_t size_;
};

// Deterministic pseudo-random bytes.
void fill_random(uint8_t* p, size_t n, uint32_t seed);
std::vector<uint8_t> random_bytes(size_t n, uint32_t seed);

}  // namespace pplcam::test
