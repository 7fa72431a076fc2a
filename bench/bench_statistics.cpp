// The cost of the in-frame statistics: every Bayer conversion at qualities
// 0 to 3 on every kernel path with mean collection on, beside the same
// conversion with mean collection off measured inside the same benchmark.
//
// Names: BM_BayerStatistics/<format>/<path>/q<quality>[_camera] (the
// "_camera" figures with a camera's controls, bench_support.h). Counters:
//   x_collection_off  time per frame with collection on / with it off
//   x_memcpy          time per frame / memcpy of (input + output) / 2 bytes
// The ratios use the thread's CPU time and the fastest of several
// alternating batches, so that other load on the machine cancels out.
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "bench_support.h"
#include "pplcam/pplcam.h"

namespace {

using pplcam::bench::FrameBuffer;

constexpr int kWidth = 640, kHeight = 480;

using Converter = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
struct Format {
  const char* name;
  Converter convert;
  int out_per_2;   // output bytes per 2 pixels
};
const Format kFormats[] = {{"I420", BaylorToI420MMX, 3},
                           {"YUYV", BaylorToYUYVMMX, 4},
                           {"UYVY", BaylorToUYVYMMX, 4},
                           {"RGB24", BaylorToRGB24MMX, 6},
                           {"RGB32", BaylorToRGB32MMX, 8}};

// A textured frame with grey stretches, so both statistics tests see cells
// that pass and cells that fail.
void fill_raw(uint8_t* p, int64_t bytes) {
  for (int64_t i = 0; i < bytes; ++i)
    p[i] = static_cast<uint8_t>((i / 64) % 3 == 0 ? 100 + (i & 7) : 16 + (i * 37 + (i >> 11)) % 220);
}

double thread_seconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// CPU seconds per call of `f`, over at least 20 ms of CPU time; `before`
// runs ahead of each call, outside the timing.
template <class F, class Before>
double seconds_per_call(F&& f, Before&& before) {
  int64_t n = 0;
  double spent = 0;
  do {
    before();
    const double start = thread_seconds();
    f();
    benchmark::ClobberMemory();
    spent += thread_seconds() - start;
    ++n;
  } while (spent < 0.02);
  return spent / static_cast<double>(n);
}

void BM_BayerStatistics(benchmark::State& state, const Format& format, int quality,
                        pplcam::bench::Controls controls, int32_t path) {
  const int64_t in_bytes = int64_t{kWidth} * kHeight, out_bytes = in_bytes * format.out_per_2 / 2;
  ppl_context* ctx = ppl_init();
  ppl_set_quality(ctx, quality);
  pplcam::bench::apply_controls(ctx, controls);
  ppl_ext_set_path_limit(ctx, path);
  // The conversion conditions its source in place: every call starts from
  // a fresh copy of the raw frame (outside the timing), or the camera's
  // gains would drive the frame towards saturation and its statistics'
  // cost with it.
  FrameBuffer raw(in_bytes), src(in_bytes), dst(out_bytes);
  fill_raw(raw.data(), in_bytes);
  auto refill = [&] { std::memcpy(src.data(), raw.data(), static_cast<size_t>(in_bytes)); };
  auto convert = [&] { benchmark::DoNotOptimize(format.convert(ctx, src.data(), dst.data(), kWidth, kHeight)); };

  ppl_set_mean_collection(ctx, 1);
  for (auto _ : state) {
    state.PauseTiming();
    refill();
    state.ResumeTiming();
    convert();
    benchmark::ClobberMemory();
  }

  const size_t copy_bytes = static_cast<size_t>((in_bytes + out_bytes) / 2);
  FrameBuffer a(copy_bytes, 1), b(copy_bytes);
  double on = 1e9, off = 1e9, copy = 1e9;
  for (int batch = 0; batch < 5; ++batch) {
    ppl_set_mean_collection(ctx, 1);
    on = std::min(on, seconds_per_call(convert, refill));
    ppl_set_mean_collection(ctx, 0);
    off = std::min(off, seconds_per_call(convert, refill));
    copy = std::min(copy, seconds_per_call([&] { std::memcpy(b.data(), a.data(), copy_bytes); }, [] {}));
  }

  state.counters["x_collection_off"] = on / off;
  state.counters["x_memcpy"] = on / copy;
  state.SetBytesProcessed(state.iterations() * in_bytes);
  ppl_free(ctx);
}

// Registered at start-up by the benchmark library's own static objects.
const bool kRegistered = [] {
  for (const Format& f : kFormats)
    for (int quality = 0; quality <= 3; ++quality)
      for (auto controls : pplcam::bench::kControlSets)
        for (auto* b : pplcam::bench::register_per_path(
                 std::string("BM_BayerStatistics/") + f.name + "/",
                 "/q" + std::to_string(quality) + pplcam::bench::controls_suffix(controls), BM_BayerStatistics, f,
                 quality, controls))
          b->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
