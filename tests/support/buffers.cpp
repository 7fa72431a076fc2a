#include "support/buffers.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <random>

namespace pplcam::test {
namespace {

// Page mapping of the operating system the tests run on.
#if defined(_WIN32)
size_t page_size() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}
void* map_pages(size_t n) { return VirtualAlloc(nullptr, n, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE); }
void forbid_pages(void* p, size_t n) {
  DWORD old;
  VirtualProtect(p, n, PAGE_NOACCESS, &old);
}
void unmap_pages(void* p, size_t) { VirtualFree(p, 0, MEM_RELEASE); }
#else
size_t page_size() { return static_cast<size_t>(sysconf(_SC_PAGESIZE)); }
void* map_pages(size_t n) {
  void* p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}
void forbid_pages(void* p, size_t n) { mprotect(p, n, PROT_NONE); }
void unmap_pages(void* p, size_t n) { munmap(p, n); }
#endif

}  // namespace

AlignedBuffer::AlignedBuffer(size_t size, Align align) : storage_(size + 64), size_(size) {
  auto base = reinterpret_cast<uintptr_t>(storage_.data());
  uintptr_t p = (base + 31) & ~uintptr_t{31};
  if (align == Align::k8Not16) p += 8;
  if (align == Align::kOdd) p += 1;
  data_ = reinterpret_cast<uint8_t*>(p);
}

GuardedBuffer::GuardedBuffer(size_t size, Guard guard, size_t align) : size_(size) {
  const size_t page = page_size();
  const size_t data_pages = (size + align + page - 1) / page;
  map_size_ = (data_pages + 1) * page;
  map_ = map_pages(map_size_);
  if (!map_) std::abort();
  auto* base = static_cast<uint8_t*>(map_);
  if (guard == Guard::kAfter) {
    uint8_t* guard_page = base + data_pages * page;
    forbid_pages(guard_page, page);
    auto start = reinterpret_cast<uintptr_t>(guard_page) - size;
    data_ = reinterpret_cast<uint8_t*>(start & ~(uintptr_t{align} - 1));
  } else {
    forbid_pages(base, page);
    data_ = base + page;
  }
}

GuardedBuffer::~GuardedBuffer() { unmap_pages(map_, map_size_); }

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
