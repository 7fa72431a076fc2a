// The progressive YUV converters on every kernel path, beside memcpy of the
// source frame and beside the peers doing the same job in the same run:
// libyuv's YUY2ToI420, UYVYToI420 and YUY2ToARGB (limited to SSE2, and with
// every instruction set it finds) and OpenCV's cvtColor(COLOR_YUV2BGR_YUY2)
// on one thread.
//
// Names: BM_<conversion>/<implementation>/<width>/<height>. Every figure
// is per frame; compare within one run (docs/performance.md).
#include <cstdint>
#include <cstring>

#include <string>

#include "bench_support.h"
#include "pplcam/pplcam.h"

#include "peers.h"

namespace {

using pplcam::bench::FrameBuffer;

void sizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 480})->Args({720, 576})->Args({1280, 1024})->Args({1920, 1080})->Args({3840, 2160});
}

int64_t frame_pixels(const benchmark::State& state) { return state.range(0) * state.range(1); }

// Frame count as the processed-bytes figure: source bytes per frame.
void count_source_bytes(benchmark::State& state, int64_t bytes_per_frame) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes_per_frame);
}

// A mid-grey frame with some texture, so no converter meets a trivial case.
void fill_frame(uint8_t* p, int64_t bytes) {
  for (int64_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(16 + (i * 37 + (i >> 11)) % 220);
}

// ------------------------------------------------------------ baseline
void BM_Memcpy(benchmark::State& state) {
  pplcam::bench::memcpy_baseline(state, static_cast<size_t>(2 * frame_pixels(state)));
}
BENCHMARK(BM_Memcpy)->Apply(sizes);

// -------------------------------------------------------------- pplcam
using Converter = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t,
                                    int32_t, int32_t);

void run_pplcam(benchmark::State& state, Converter conv, int src_bytes_per_2px, int dst_bytes_per_2px,
                int32_t path) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const int64_t n = frame_pixels(state);
  FrameBuffer src(static_cast<size_t>(n * src_bytes_per_2px / 2));
  FrameBuffer dst(static_cast<size_t>(n * dst_bytes_per_2px / 2));
  fill_frame(src.data(), n * src_bytes_per_2px / 2);
  ppl_context* ctx = ppl_init();
  const pplcam::bench::LargeFrames large(ctx, w, h);
  ppl_ext_set_path_limit(ctx, path);
  if (conv(ctx, src.data(), dst.data(), w, h, w, h) != 1) state.SkipWithError("conversion refused");
  for (auto _ : state) {
    benchmark::DoNotOptimize(conv(ctx, src.data(), dst.data(), w, h, w, h));
    benchmark::ClobberMemory();
  }
  count_source_bytes(state, n * src_bytes_per_2px / 2);
  ppl_free(ctx);
}

// Registered at start-up by the benchmark library's own static objects.
const bool kRegistered = [] {
  const struct {
    const char* name;
    Converter convert;
    int src_bytes_per_2px, dst_bytes_per_2px;
  } converters[] = {{"YUYVToI420", YUYVToI420MMX, 4, 3},
                    {"UYVYToI420", UYVYToI420MMX, 4, 3},
                    {"YUYVToRGB24", YUYVToRGB24MMX, 4, 6},
                    {"UYVYToRGB24", UYVYToRGB24MMX, 4, 6},
                    {"YUYVYYYYToI420", YUYVYYYYToI420MMX, 3, 3}};
  for (const auto& c : converters)
    for (auto* b : pplcam::bench::register_per_path(std::string("BM_") + c.name + "/pplcam_", "", run_pplcam,
                                                    c.convert, c.src_bytes_per_2px, c.dst_bytes_per_2px))
      b->Apply(sizes);
  return true;
}();

// -------------------------------------------------------------- libyuv
#ifdef PPLCAM_BENCH_LIBYUV
enum class LibyuvIsa { kSse2, kAll };

// Limits libyuv to the instruction sets of the comparison while alive.
class LibyuvCpu {
 public:
  explicit LibyuvCpu(LibyuvIsa isa) {
    libyuv::MaskCpuFlags(isa == LibyuvIsa::kSse2
                             ? libyuv::kCpuInitialized | libyuv::kCpuHasX86 | libyuv::kCpuHasSSE2
                             : -1);
  }
  ~LibyuvCpu() { libyuv::MaskCpuFlags(-1); }
};

using LibyuvToI420 = int (*)(const uint8_t*, int, uint8_t*, int, uint8_t*, int, uint8_t*, int, int,
                             int);

void run_libyuv_i420(benchmark::State& state, LibyuvToI420 conv, LibyuvIsa isa) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int64_t n = frame_pixels(state);
  FrameBuffer src(static_cast<size_t>(2 * n)), dst(static_cast<size_t>(n * 3 / 2));
  fill_frame(src.data(), 2 * n);
  uint8_t* y = dst.data();
  uint8_t* u = y + n;
  uint8_t* v = u + n / 4;
  LibyuvCpu cpu(isa);
  for (auto _ : state) {
    benchmark::DoNotOptimize(conv(src.data(), 2 * w, y, w, u, w / 2, v, w / 2, w, h));
    benchmark::ClobberMemory();
  }
  count_source_bytes(state, 2 * n);
}

void BM_YUYVToI420_libyuv(benchmark::State& s, LibyuvIsa isa) {
  run_libyuv_i420(s, libyuv::YUY2ToI420, isa);
}
void BM_UYVYToI420_libyuv(benchmark::State& s, LibyuvIsa isa) {
  run_libyuv_i420(s, libyuv::UYVYToI420, isa);
}

// The nearest libyuv has to YUYV to RGB24: 4-byte ARGB output.
void BM_YUYVToARGB_libyuv(benchmark::State& state, LibyuvIsa isa) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int64_t n = frame_pixels(state);
  FrameBuffer src(static_cast<size_t>(2 * n)), dst(static_cast<size_t>(4 * n));
  fill_frame(src.data(), 2 * n);
  LibyuvCpu cpu(isa);
  for (auto _ : state) {
    benchmark::DoNotOptimize(libyuv::YUY2ToARGB(src.data(), 2 * w, dst.data(), 4 * w, w, h));
    benchmark::ClobberMemory();
  }
  count_source_bytes(state, 2 * n);
}

BENCHMARK_CAPTURE(BM_YUYVToI420_libyuv, sse2, LibyuvIsa::kSse2)->Apply(sizes);
BENCHMARK_CAPTURE(BM_YUYVToI420_libyuv, all, LibyuvIsa::kAll)->Apply(sizes);
BENCHMARK_CAPTURE(BM_UYVYToI420_libyuv, sse2, LibyuvIsa::kSse2)->Apply(sizes);
BENCHMARK_CAPTURE(BM_UYVYToI420_libyuv, all, LibyuvIsa::kAll)->Apply(sizes);
BENCHMARK_CAPTURE(BM_YUYVToARGB_libyuv, sse2, LibyuvIsa::kSse2)->Apply(sizes);
BENCHMARK_CAPTURE(BM_YUYVToARGB_libyuv, all, LibyuvIsa::kAll)->Apply(sizes);
#endif  // PPLCAM_BENCH_LIBYUV

// -------------------------------------------------------------- OpenCV
#ifdef PPLCAM_BENCH_OPENCV
void BM_YUYVToBGR_opencv(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int64_t n = frame_pixels(state);
  cv::setNumThreads(1);
  FrameBuffer src(static_cast<size_t>(2 * n)), dst(static_cast<size_t>(3 * n));
  fill_frame(src.data(), 2 * n);
  const cv::Mat in(h, w, CV_8UC2, src.data());
  cv::Mat out(h, w, CV_8UC3, dst.data());
  for (auto _ : state) {
    cv::cvtColor(in, out, cv::COLOR_YUV2BGR_YUY2);
    benchmark::ClobberMemory();
  }
  count_source_bytes(state, 2 * n);
}
BENCHMARK(BM_YUYVToBGR_opencv)->Apply(sizes);
#endif  // PPLCAM_BENCH_OPENCV

}  // namespace
