#include "support/buffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

namespace pplcam::test {

AlignedBuffer::AlignedBuffer(size_t size, Align align) : storage_(size + 64), size_(size) {
  auto base = reinterpret_cast<uintptr_t>(storage_.data());
  uintptr_t p = (base + 31) & ~uintptr_t{31};
  if (align == Align::k8Not16) p += 8;
  if (align == Align::kOdd) p += 1;
  data_ = reinterpret_cast<uint8_t*>(p);
}

GuardedBuffer::GuardedBuffer(size_t size, Guard guard, size_t align) : size_(size) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t data_pages = (size + align + page - 1) / page;
  map_size_ = (data_pages + 1) * page;
  map_ = mmap(nullptr, map_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map_ == MAP_FAILED) std::abort();
  auto* base = static_cast<uint8_t*>(map_);
  if (guard == Guard::kAfter) {
    uint8_t* guard_page = base + data_pages * page;
    mprotect(guard_page, page, PROT_NONE);
    auto start = reinterpret_cast<uintptr_t>(guard_page) - size;
    data_ = reinterpret_cast<uint8_t*>(start & ~(uintptr_t{align} - 1));
  } else {
    mprotect(base, page, PROT_NONE);
    data_ = base + page;
  }
}

GuardedBuffer::~GuardedBuffer() { munmap(map_, map_size_); }

void fill_random(uint8_t* p, size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(rng() >> 24);
}

std::vector<uint8_t> random_bytes(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  fill_random(v.data(), n, seed);
  return v;
}

}  // namespace pplcam::test
