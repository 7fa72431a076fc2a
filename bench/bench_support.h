// Shared pieces of the benchmarks: frame buffers and the memcpy baseline
// that every figure is reported against in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace pplcam::bench {

// A 64-byte-aligned buffer (so the SSE2 kernels can run).
class FrameBuffer {
 public:
  explicit FrameBuffer(size_t size, uint8_t fill = 0) : storage_(size + 64, fill) {
    auto p = reinterpret_cast<uintptr_t>(storage_.data());
    data_ = reinterpret_cast<uint8_t*>((p + 63) & ~uintptr_t{63});
  }
  uint8_t* data() { return data_; }

 private:
  std::vector<uint8_t> storage_;
  uint8_t* data_;
};

// The baseline: memcpy of `bytes` bytes, reported with the same counters.
inline void memcpy_baseline(benchmark::State& state, size_t bytes) {
  FrameBuffer a(bytes, 1), b(bytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

}  // namespace pplcam::bench
