// Shared pieces of the benchmarks: frame buffers, the memcpy baseline that
// every figure is reported against in the same run, and the kernel paths
// of the machine. The benchmarks use the public API only: a figure is
// registered once per path this processor runs, its context limited to
// that path (ppl_ext_set_path_limit).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "pplcam/pplcam.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam::bench {

// The control sets of the Bayer figures: the ppl_init defaults, and what a
// real camera runs (a non-identity sensor matrix, white-balance gains and
// black-level offsets, a brighter gamma, more saturation), where no
// conditioning or colour stage is neutral.
enum class Controls { kDefault, kCamera };
constexpr Controls kControlSets[] = {Controls::kDefault, Controls::kCamera};

// The name suffix of a control set: nothing for the defaults.
inline std::string controls_suffix(Controls c) { return c == Controls::kCamera ? "_camera" : ""; }

inline void apply_controls(ppl_context* ctx, Controls c) {
  if (c == Controls::kDefault) return;
  static const int32_t kMatrix[9] = {330, -52, -22, -44, 340, -40, -10, -86, 352};
  ppl_copy_sensor_matrix(ctx, kMatrix);
  ppl_set_rgb_gain(ctx, 420, 256, 380);
  ppl_set_rgb_delta(ctx, -12, -10, -14);
  ppl_set_gamma(ctx, 8);
  ppl_set_sat(ctx, 300);
}

// The paths this processor runs, widest first.
inline std::vector<int32_t> machine_paths() {
  std::vector<int32_t> ids;
  const uint32_t bits = ppl_ext_available_paths();
  for (int32_t id = 31; id > PPL_EXT_PATH_NONE; --id)
    if (bits & (1u << id)) ids.push_back(id);
  return ids;
}

inline std::string path_name(int32_t id) { return ppl_ext_path_name(id); }

// Registers `fn` once per path as `prefix` + path name + `suffix`, passing
// the path id after `args`. Returns the registrations, for their options.
template <class Fn, class... Args>
std::vector<benchmark::internal::Benchmark*> register_per_path(const std::string& prefix,
                                                               const std::string& suffix, Fn fn,
                                                               Args... args) {
  std::vector<benchmark::internal::Benchmark*> out;
  for (int32_t path : machine_paths())
    out.push_back(benchmark::RegisterBenchmark((prefix + path_name(path) + suffix).c_str(),
                                               [=](benchmark::State& s) { fn(s, args..., path); }));
  return out;
}

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

// Large frames (pplcam_ext.h) for a frame beyond 1280 x 1024: ctx gets a
// work area for the widest frames, which lives as long as this object.
class LargeFrames {
 public:
  LargeFrames(ppl_context* ctx, int64_t width, int64_t height)
      : work_(ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH)) {
    if (width > 1280 || height > 1024)
      ppl_ext_enable_large_frames(ctx, work_.data(), ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH));
  }

 private:
  FrameBuffer work_;
};

// The baseline: memcpy of `bytes` bytes, reported with the same counters.
// Median of per-call times in seconds. On a shared machine single calls
// come out up to a third slower while the other cores are busy, in runs of
// many calls; the median of each side keeps the ratios from depending on
// which side such a run happened to hit.
inline double median_seconds(std::vector<double>& times) {
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

// Times `convert(src)` once per iteration on a fresh copy of the `bytes`
// bytes at `raw`: the Bayer conversions condition their source in place,
// so without the copy (outside the timing) every frame after the first
// would be the last one's conditioned bytes, gained again and again.
// Sets the counters us_min (the fastest call, the figure of a quiet
// machine) and us_median; returns the median seconds per call.
template <class Convert>
double time_fresh_frames(benchmark::State& state, const uint8_t* raw, uint8_t* src, size_t bytes,
                         Convert&& convert) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> times;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(src, raw, bytes);
    state.ResumeTiming();
    const auto start = Clock::now();
    benchmark::DoNotOptimize(convert(src));
    benchmark::ClobberMemory();
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  state.counters["us_min"] = *std::min_element(times.begin(), times.end()) * 1e6;
  const double median = median_seconds(times);
  state.counters["us_median"] = median * 1e6;
  return median;
}

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
