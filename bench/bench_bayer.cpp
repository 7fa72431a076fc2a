// The Bayer conversions (every format at qualities 0, 2 and 3 on every
// kernel path, up to 3840 x 2160 with large frames on) beside memcpy of (input + output) / 2 bytes, i.e. a copy that
// reads and writes as many bytes as the conversion, and beside the peer
// route to the same picture in the same run: OpenCV's bilinear
// cvtColor(COLOR_BayerRG2BGR) on one thread (blue at row 0, column 0), and
// that followed by libyuv's RGB24ToI420 (the fastest peer route to I420).
//
// Each figure runs with the default controls and with a camera's
// (bench_support.h), the latter named with "_camera" after the quality.
//
// Names: BM_Bayer<format>/<path>/q<quality>[_camera]/<width>/<height>. Each
// pplcam figure times every call on a fresh copy of the raw frame (the
// copy outside the timing) and carries us_median, us_min and `x_memcpy`,
// its median divided by the time of the memcpy baseline measured inside
// the same benchmark.
#include <chrono>
#include <cstdint>
#include <cstring>

#include "bench_support.h"
#include "pplcam/pplcam.h"

#include "peers.h"

namespace {

using pplcam::bench::FrameBuffer;
using Clock = std::chrono::steady_clock;

void sizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 480})->Args({1280, 1024})->Args({1920, 1080})->Args({3840, 2160});
}

// A textured raw frame, so no stage meets a trivial case.
void fill_raw(uint8_t* p, int64_t bytes) {
  for (int64_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(16 + (i * 37 + (i >> 11)) % 220);
}

// Seconds per memcpy of `bytes` bytes, measured over at least 50 ms.
double memcpy_seconds(size_t bytes) {
  FrameBuffer a(bytes, 1), b(bytes);
  int64_t n = 0;
  const auto start = Clock::now();
  std::chrono::duration<double> spent{};
  do {
    for (int i = 0; i < 16; ++i, ++n) {
      std::memcpy(b.data(), a.data(), bytes);
      benchmark::DoNotOptimize(b.data());
      benchmark::ClobberMemory();
    }
    spent = Clock::now() - start;
  } while (spent.count() < 0.05);
  return spent.count() / static_cast<double>(n);
}

enum Format { kI420, kYuyv, kUyvy, kRgb24, kRgb32 };
using Converter = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
const Converter kConverters[] = {BaylorToI420MMX, BaylorToYUYVMMX, BaylorToUYVYMMX, BaylorToRGB24MMX,
                                 BaylorToRGB32MMX};
// Output bytes per 2 pixels.
const int kOutPer2[] = {3, 4, 4, 6, 8};

void BM_Bayer(benchmark::State& state, Format format, int quality, pplcam::bench::Controls controls,
              int32_t path) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int64_t in_bytes = int64_t{w} * h, out_bytes = in_bytes * kOutPer2[format] / 2;
  ppl_context* ctx = ppl_init();
  const pplcam::bench::LargeFrames large(ctx, w, h);
  ppl_set_quality(ctx, quality);
  pplcam::bench::apply_controls(ctx, controls);
  ppl_ext_set_path_limit(ctx, path);
  FrameBuffer raw(in_bytes), src(in_bytes), dst(out_bytes);
  fill_raw(raw.data(), in_bytes);
  const double per_frame = pplcam::bench::time_fresh_frames(
      state, raw.data(), src.data(), static_cast<size_t>(in_bytes),
      [&](uint8_t* frame) { return kConverters[format](ctx, frame, dst.data(), w, h); });
  state.counters["x_memcpy"] = per_frame / memcpy_seconds(static_cast<size_t>((in_bytes + out_bytes) / 2));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * in_bytes);
  ppl_free(ctx);
}

// Registered at start-up by the benchmark library's own static objects.
const bool kRegistered = [] {
  const char* names[] = {"kI420", "kYuyv", "kUyvy", "kRgb24", "kRgb32"};
  for (Format f : {kI420, kYuyv, kUyvy, kRgb24, kRgb32})
    for (int quality : {3, 2, 0})
      for (auto controls : pplcam::bench::kControlSets)
        for (auto* b : pplcam::bench::register_per_path(
                 std::string("BM_Bayer/") + names[f] + "_",
                 "_q" + std::to_string(quality) + pplcam::bench::controls_suffix(controls), BM_Bayer, f, quality,
                 controls))
          b->Apply(sizes);
  return true;
}();

// memcpy of (input + output) / 2 bytes per format (I420 1.25 bytes per
// pixel, YUYV and UYVY 1.5, RGB24 2, RGB32 2.5), as separate figures.
void BM_BayerMemcpyBaseline(benchmark::State& state, int out_per_2) {
  const int64_t px = state.range(0) * state.range(1);
  pplcam::bench::memcpy_baseline(state, static_cast<size_t>((px + px * out_per_2 / 2) / 2));
}
BENCHMARK_CAPTURE(BM_BayerMemcpyBaseline, I420, 3)->Apply(sizes);
BENCHMARK_CAPTURE(BM_BayerMemcpyBaseline, YUYV_UYVY, 4)->Apply(sizes);
BENCHMARK_CAPTURE(BM_BayerMemcpyBaseline, RGB24, 6)->Apply(sizes);
BENCHMARK_CAPTURE(BM_BayerMemcpyBaseline, RGB32, 8)->Apply(sizes);

#ifdef PPLCAM_BENCH_OPENCV
// OpenCV's bilinear demosaic to BGR24, one thread.
void BM_OpenCV_BayerRG2BGR(benchmark::State& state) {
  cv::setNumThreads(1);
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  cv::Mat raw(h, w, CV_8UC1), bgr(h, w, CV_8UC3);
  fill_raw(raw.data, int64_t{w} * h);
  for (auto _ : state) {
    cv::cvtColor(raw, bgr, cv::COLOR_BayerRG2BGR);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * w * h);
}
BENCHMARK(BM_OpenCV_BayerRG2BGR)->Apply(sizes);

#ifdef PPLCAM_BENCH_LIBYUV
// The peer route to I420: OpenCV's demosaic, then libyuv's RGB24ToI420
// (libyuv's "RGB24" is B, G, R in memory, as OpenCV writes it).
void BM_OpenCV_libyuv_BayerToI420(benchmark::State& state) {
  cv::setNumThreads(1);
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  cv::Mat raw(h, w, CV_8UC1), bgr(h, w, CV_8UC3);
  fill_raw(raw.data, int64_t{w} * h);
  FrameBuffer i420(static_cast<size_t>(w) * h * 3 / 2);
  uint8_t* y = i420.data();
  uint8_t* u = y + w * h;
  uint8_t* v = u + w * h / 4;
  for (auto _ : state) {
    cv::cvtColor(raw, bgr, cv::COLOR_BayerRG2BGR);
    libyuv::RGB24ToI420(bgr.data, w * 3, y, w, u, w / 2, v, w / 2, w, h);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * w * h);
}
BENCHMARK(BM_OpenCV_libyuv_BayerToI420)->Apply(sizes);
#endif
#endif

}  // namespace
