// The interlaced converters on every kernel path at 720 x 576, 1280 x 1024,
// 1920 x 1080 and 3840 x 2160 (large frames on), beside
// memcpy of (input + output) / 2 bytes in the same run: the input is the
// three fields for the motion-adaptive converters and the two fields for
// the plain weave.
//
// Names: BM_Intl<conversion>/<path>/<width>/<height> and
// BM_IntlMemcpy/<width>/<height>/<output>/<motion>. Figures are per frame;
// compare within one run (docs/performance.md).
#include <cstdint>

#include <string>
#include <utility>

#include "bench_support.h"
#include "pplcam/pplcam.h"

namespace {

using pplcam::bench::FrameBuffer;

void sizes(benchmark::internal::Benchmark* b) {
  b->Args({720, 576})->Args({1280, 1024})->Args({1920, 1080})->Args({3840, 2160});
}

// Bytes of one field: height / 2 lines of 2 x width bytes.
int64_t field_bytes(const benchmark::State& state) { return state.range(0) * state.range(1); }

// Destination bytes per frame of each output, in units of a field / 2.
enum Output : int { kPacked = 4, kI420 = 3, kRgb24 = 6 };

int64_t baseline_bytes(Output out, bool motion, int64_t field) {
  const int64_t input = (motion ? 3 : 2) * field;
  return (input + out * field / 2) / 2;
}

void BM_IntlMemcpy(benchmark::State& state) {
  pplcam::bench::memcpy_baseline(
      state, static_cast<size_t>(baseline_bytes(Output(state.range(2)), state.range(3) != 0, field_bytes(state))));
}
const bool kMemcpyRegistered = [] {
  auto* b = benchmark::RegisterBenchmark("BM_IntlMemcpy", BM_IntlMemcpy);
  for (auto [w, h] : {std::pair{720, 576}, {1280, 1024}, {1920, 1080}, {3840, 2160}})
    for (Output out : {kPacked, kI420, kRgb24})
      for (int motion : {1, 0}) b->Args({w, h, out, motion});
  return true;
}();

using IntlConverter = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, const uint8_t*,
                                        const uint8_t*, uint8_t*, int32_t, int32_t, int32_t,
                                        int32_t);

// Textured fields; the second field differs from the reference in a band of
// lines, so both the still and the moving case of the motion test occur.
void fill_fields(uint8_t* ref, uint8_t* first, uint8_t* second, int64_t field, int64_t width) {
  for (int64_t i = 0; i < field; ++i) {
    first[i] = static_cast<uint8_t>(16 + (i * 37 + (i >> 11)) % 220);
    ref[i] = static_cast<uint8_t>(16 + (i * 53 + (i >> 9)) % 220);
    const bool moving = (i / (2 * width)) % 64 < 24;
    second[i] = moving ? static_cast<uint8_t>(ref[i] ^ (i * 29)) : ref[i];
  }
}

void run_intl(benchmark::State& state, IntlConverter conv, Output out, bool motion, int32_t path) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const int64_t field = field_bytes(state);
  FrameBuffer ref(field), first(field), second(field), dst(out * field / 2);
  fill_fields(ref.data(), first.data(), second.data(), field, w);
  ppl_context* ctx = ppl_init();
  const pplcam::bench::LargeFrames large(ctx, w, h);
  ppl_ext_set_path_limit(ctx, path);
  if (conv(ctx, ref.data(), first.data(), second.data(), dst.data(), w, h, w, h) != 1)
    state.SkipWithError("conversion refused");
  for (auto _ : state) {
    benchmark::DoNotOptimize(conv(ctx, ref.data(), first.data(), second.data(), dst.data(), w, h, w, h));
    benchmark::ClobberMemory();
  }
  // Processed bytes: the baseline's per-frame count, so rates compare directly.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * baseline_bytes(out, motion, field));
  ppl_free(ctx);
}

// Registered at start-up by the benchmark library's own static objects.
const bool kRegistered = [] {
  const struct {
    const char* name;
    IntlConverter convert;
    Output out;
    bool motion;
  } converters[] = {
      {"IntlYUYVToYUYV", IntlYUYVToYUYVMMX, kPacked, true},
      {"IntlYUYVToYUYV_no_motion", IntlYUYVToYUYVMMX_no_motion, kPacked, false},
      {"IntlUYVYToUYVY", IntlUYVYToUYVYMMX, kPacked, true},
      {"IntlUYVYToUYVY_no_motion", IntlUYVYToUYVYMMX_no_motion, kPacked, false},
      {"IntlUYVYToYUYV", IntlUYVYToYUYVMMX, kPacked, true},
      {"IntlUYVYToYUYV_no_motion", IntlUYVYToYUYVMMX_no_motion, kPacked, false},
      {"IntlYUYVToI420", IntlYUYVToI420MMX, kI420, true},
      {"IntlYUYVToI420_no_motion", IntlYUYVToI420MMX_no_motion, kI420, false},
      {"IntlUYVYToI420", IntlUYVYToI420MMX, kI420, true},
      {"IntlUYVYToI420_no_motion", IntlUYVYToI420MMX_no_motion, kI420, false},
      {"IntlYUYVToRGB24", IntlYUYVToRGB24MMX, kRgb24, true},
      {"IntlYUYVToRGB24_no_motion", IntlYUYVToRGB24MMX_no_motion, kRgb24, false},
      {"IntlUYVYToRGB24", IntlUYVYToRGB24MMX, kRgb24, true},
      {"IntlUYVYToRGB24_no_motion", IntlUYVYToRGB24MMX_no_motion, kRgb24, false},
  };
  for (const auto& c : converters)
    for (auto* b : pplcam::bench::register_per_path(std::string("BM_") + c.name + "/", "", run_intl, c.convert,
                                                    c.out, c.motion))
      b->Unit(benchmark::kMicrosecond)->Apply(sizes);
  return true;
}();

}  // namespace
