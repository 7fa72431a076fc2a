// Qualities 0 and 1 (edge-directed demosaic; quality 0 with luma
// sharpening) to I420 and RGB24 on every kernel path, at 640x480 and
// 1280x1024, each beside baselines measured inside the same benchmark
// (every figure the median of per-call times; us_median is the frame's,
// us_min its fastest call, the figure of a quiet machine):
//  - x_memcpy: time / memcpy of (input + output) / 2 bytes;
//  - x_opencv_ea: time / OpenCV's edge-aware demosaic
//    (cvtColor COLOR_BayerRG2BGR_EA, one thread; blue at row 0, column 0);
//  - x_opencv_libyuv: time / OpenCV's bilinear demosaic followed by
//    libyuv's RGB24ToI420, the peer route to I420.
// OpenCV's VNG demosaic is listed on its own, for scale.
//
// Names: BM_Edge<format>/<path>_q<quality>[_camera]/<width>/<height>, the
// "_camera" figures with a camera's controls (bench_support.h).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "pplcam/pplcam.h"

#include "peers.h"

namespace {

using pplcam::bench::FrameBuffer;
using pplcam::bench::median_seconds;
using Clock = std::chrono::steady_clock;

void sizes(benchmark::internal::Benchmark* b) { b->Args({640, 480})->Args({1280, 1024}); }

// A textured raw frame with edges in both directions.
void fill_raw(uint8_t* p, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p[y * w + x] = static_cast<uint8_t>(((x / 7 + y / 5) % 3) * 60 + (x * 13 + y * 7) % 50);
}

// Median seconds per call of `f`, over at least 50 ms and 10 calls.
template <class F>
double seconds_per_call(F&& f) {
  std::vector<double> times;
  const auto start = Clock::now();
  do {
    const auto t0 = Clock::now();
    f();
    times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
  } while (times.size() < 10 || Clock::now() - start < std::chrono::milliseconds(50));
  return median_seconds(times);
}

double memcpy_seconds(size_t bytes) {
  FrameBuffer a(bytes, 1), b(bytes);
  return seconds_per_call([&] {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  });
}

#ifdef PPLCAM_BENCH_OPENCV
double opencv_seconds(int w, int h, int code) {
  cv::setNumThreads(1);
  cv::Mat raw(h, w, CV_8UC1), bgr(h, w, CV_8UC3);
  fill_raw(raw.data, w, h);
  return seconds_per_call([&] {
    cv::cvtColor(raw, bgr, code);
    benchmark::ClobberMemory();
  });
}
#ifdef PPLCAM_BENCH_LIBYUV
double opencv_libyuv_seconds(int w, int h) {
  cv::setNumThreads(1);
  cv::Mat raw(h, w, CV_8UC1), bgr(h, w, CV_8UC3);
  fill_raw(raw.data, w, h);
  FrameBuffer i420(static_cast<size_t>(w) * h * 3 / 2);
  uint8_t* y = i420.data();
  uint8_t* u = y + w * h;
  uint8_t* v = u + w * h / 4;
  return seconds_per_call([&] {
    cv::cvtColor(raw, bgr, cv::COLOR_BayerRG2BGR);
    libyuv::RGB24ToI420(bgr.data, w * 3, y, w, u, w / 2, v, w / 2, w, h);
    benchmark::ClobberMemory();
  });
}
#endif
#endif

using Converter = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);

void BM_Edge(benchmark::State& state, Converter convert, int out_per_2, int quality,
             pplcam::bench::Controls controls, int32_t path) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int64_t in_bytes = int64_t{w} * h, out_bytes = in_bytes * out_per_2 / 2;
  ppl_context* ctx = ppl_init();
  ppl_set_quality(ctx, quality);
  pplcam::bench::apply_controls(ctx, controls);
  ppl_ext_set_path_limit(ctx, path);
  FrameBuffer raw(in_bytes), src(in_bytes), dst(out_bytes);
  fill_raw(raw.data(), w, h);
  const double per_frame = pplcam::bench::time_fresh_frames(
      state, raw.data(), src.data(), static_cast<size_t>(in_bytes),
      [&](uint8_t* frame) { return convert(ctx, frame, dst.data(), w, h); });
  state.counters["x_memcpy"] = per_frame / memcpy_seconds(static_cast<size_t>((in_bytes + out_bytes) / 2));
#ifdef PPLCAM_BENCH_OPENCV
  state.counters["x_opencv_ea"] = per_frame / opencv_seconds(w, h, cv::COLOR_BayerRG2BGR_EA);
#ifdef PPLCAM_BENCH_LIBYUV
  if (out_per_2 == 3) state.counters["x_opencv_libyuv"] = per_frame / opencv_libyuv_seconds(w, h);
#endif
#endif
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * in_bytes);
  ppl_free(ctx);
}

// Registered at start-up by the benchmark library's own static objects.
const bool kRegistered = [] {
  const struct {
    const char* name;
    Converter convert;
    int out_per_2;
  } formats[] = {{"RGB24", BaylorToRGB24MMX, 6}, {"I420", BaylorToI420MMX, 3}};
  for (const auto& f : formats)
    for (int quality : {1, 0})
      for (auto controls : pplcam::bench::kControlSets)
        for (auto* b : pplcam::bench::register_per_path(
                 std::string("BM_Edge/") + f.name + "_",
                 "_q" + std::to_string(quality) + pplcam::bench::controls_suffix(controls), BM_Edge, f.convert,
                 f.out_per_2, quality, controls))
          b->Apply(sizes);
  return true;
}();

#ifdef PPLCAM_BENCH_OPENCV
void BM_OpenCV_Demosaic(benchmark::State& state, int code) {
  cv::setNumThreads(1);
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  cv::Mat raw(h, w, CV_8UC1), bgr(h, w, CV_8UC3);
  fill_raw(raw.data, w, h);
  for (auto _ : state) {
    cv::cvtColor(raw, bgr, code);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * w * h);
}
BENCHMARK_CAPTURE(BM_OpenCV_Demosaic, EdgeAware, static_cast<int>(cv::COLOR_BayerRG2BGR_EA))->Apply(sizes);
BENCHMARK_CAPTURE(BM_OpenCV_Demosaic, VNG, static_cast<int>(cv::COLOR_BayerRG2BGR_VNG))->Apply(sizes);
#endif

}  // namespace
