// Cost of the layers around a kernel: the converter's entry checks, the
// floating-point bracket and the fallback fill, beside memcpy of the same
// bytes.
#include "bench_support.h"
#include "pplcam/pplcam.h"

namespace {

using pplcam::bench::FrameBuffer;

void BM_Memcpy_640x480x1_5(benchmark::State& state) {
  pplcam::bench::memcpy_baseline(state, 640 * 480 * 3 / 2);
}
BENCHMARK(BM_Memcpy_640x480x1_5);

// Odd source address: the converter writes its fallback fill (n + n/2 bytes).
void BM_FallbackFill_BayerToI420_640x480(benchmark::State& state) {
  ppl_context* ctx = ppl_init();
  FrameBuffer src(640 * 480 + 1, 7), dst(640 * 480 * 3 / 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(BaylorToI420MMX(ctx, src.data() + 1, dst.data(), 640, 480));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 480 * 3 / 2);
  ppl_free(ctx);
}
BENCHMARK(BM_FallbackFill_BayerToI420_640x480);

}  // namespace
