// Time per frame of the pplcam elements beside the library's call alone on
// the same frame, in the same run: what an element adds (the field split of
// the deinterlacer, buffer mapping and allocation, the statistics message)
// and what a shared input costs the Bayer converter (the private copy).
// Elements run under GstHarness: push one buffer, pull the result.
#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pplcam/pplcam.h"

namespace {

typedef uint8_t(PPLCALL* BayerFn)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
typedef uint8_t(PPLCALL* IntlFn)(ppl_context*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, int32_t,
                                 int32_t, int32_t, int32_t);

struct BayerFormat {
  const char* name;
  BayerFn convert;
  int bytes_x2;  // output bytes per pixel, times 2
};
const BayerFormat kBayer[] = {
    {"I420", BaylorToI420MMX, 3}, {"BGR", BaylorToRGB24MMX, 6}, {"BGRx", BaylorToRGB32MMX, 8}};
const int kSizes[][2] = {{640, 480}, {1280, 1024}};

struct AlignedBytes {
  explicit AlignedBytes(size_t n) : p(static_cast<uint8_t*>(std::aligned_alloc(64, (n + 63) / 64 * 64))) {
    for (size_t i = 0; i < n; ++i) p[i] = uint8_t(i * 7 + i / 640);
  }
  ~AlignedBytes() { std::free(p); }
  uint8_t* p;
};

void start_gstreamer() {
  static bool started = false;
  if (started) return;
  g_setenv("GST_PLUGIN_PATH", PPLCAM_GST_PLUGIN_DIR, TRUE);
  g_setenv("GST_PLUGIN_SYSTEM_PATH_1_0", "", TRUE);
  g_setenv("GST_REGISTRY", PPLCAM_GST_REGISTRY, TRUE);
  gst_init(nullptr, nullptr);
  started = true;
}

// A pool of two input buffers filled once: pushing one hands the element
// the only reference, as a capture source's pool does.
GstBufferPool* input_pool(GstCaps* caps, size_t size) {
  GstBufferPool* pool = gst_buffer_pool_new();
  GstStructure* config = gst_buffer_pool_get_config(pool);
  GstAllocationParams params;
  gst_allocation_params_init(&params);
  params.align = 63;
  gst_buffer_pool_config_set_params(config, caps, guint(size), 2, 2);
  gst_buffer_pool_config_set_allocator(config, nullptr, &params);
  gst_buffer_pool_set_config(pool, config);
  gst_buffer_pool_set_active(pool, TRUE);
  GstBuffer* b[2];
  for (GstBuffer*& x : b) {
    gst_buffer_pool_acquire_buffer(pool, &x, nullptr);
    AlignedBytes fill(size);
    gst_buffer_fill(x, 0, fill.p, size);
  }
  for (GstBuffer* x : b) gst_buffer_unref(x);
  return pool;
}

// Pushes frames through `h` until the benchmark ends; `shared`: the
// harness keeps a reference to the one input buffer it pushes.
void run_element(benchmark::State& state, GstHarness* h, size_t in_bytes, bool shared) {
  GstCaps* caps = gst_pad_get_current_caps(h->srcpad);
  GstBufferPool* pool = input_pool(caps, in_bytes);
  GstBuffer* kept = nullptr;
  if (shared) gst_buffer_pool_acquire_buffer(pool, &kept, nullptr);
  for (auto _ : state) {
    GstBuffer* in = kept ? gst_buffer_ref(kept) : nullptr;
    if (!in) gst_buffer_pool_acquire_buffer(pool, &in, nullptr);
    if (gst_harness_push(h, in) != GST_FLOW_OK) state.SkipWithError("push failed");
    gst_buffer_unref(gst_harness_pull(h));
  }
  if (kept) gst_buffer_unref(kept);
  gst_buffer_pool_set_active(pool, FALSE);
  gst_object_unref(pool);
  gst_caps_unref(caps);
}

std::string bayer_caps(int w, int h) {
  return "video/x-bayer,format=bggr,width=" + std::to_string(w) + ",height=" + std::to_string(h) + ",framerate=30/1";
}

void BM_BayerLibrary(benchmark::State& state) {
  const BayerFormat& f = kBayer[state.range(0)];
  const int w = kSizes[state.range(1)][0], h = kSizes[state.range(1)][1];
  AlignedBytes src(size_t(w) * h), dst(size_t(w) * h * f.bytes_x2 / 2);
  ppl_context* ctx = ppl_init();
  ppl_set_quality(ctx, 2);
  for (auto _ : state) benchmark::DoNotOptimize(f.convert(ctx, src.p, dst.p, w, h));
  ppl_free(ctx);
  state.SetLabel(std::string(f.name) + " " + std::to_string(w) + "x" + std::to_string(h));
}

// range(2): 0 the element owns its input, 1 the input is shared (copied),
// 2 owned and no statistics message.
void BM_BayerElement(benchmark::State& state) {
  start_gstreamer();
  const BayerFormat& f = kBayer[state.range(0)];
  const int w = kSizes[state.range(1)][0], h = kSizes[state.range(1)][1];
  GstHarness* harness = gst_harness_new("pplcambayer");
  g_object_set(harness->element, "quality", 2, "stats-interval", state.range(2) == 2 ? 0u : 1u, nullptr);
  gst_harness_set_sink_caps_str(harness, ("video/x-raw,format=" + std::string(f.name)).c_str());
  gst_harness_set_src_caps_str(harness, bayer_caps(w, h).c_str());
  run_element(state, harness, size_t(w) * h, state.range(2) == 1);
  gst_harness_teardown(harness);
  static const char* const kModes[] = {"owned input", "shared input", "owned input, no statistics"};
  state.SetLabel(std::string(f.name) + " " + std::to_string(w) + "x" + std::to_string(h) + ", " +
                 kModes[state.range(2)]);
}

const struct {
  const char* name;
  IntlFn convert;
  int bytes_x2;
} kIntl[] = {{"YUY2", IntlYUYVToYUYVMMX, 4}, {"I420", IntlYUYVToI420MMX, 3}};
constexpr int kPalWidth = 720, kPalHeight = 576;

void BM_DeinterlaceLibrary(benchmark::State& state) {
  const auto& f = kIntl[state.range(0)];
  const size_t field = size_t(kPalWidth) * kPalHeight;
  AlignedBytes ref(field), first(field), second(field), dst(size_t(kPalWidth) * kPalHeight * f.bytes_x2 / 2);
  ppl_context* ctx = ppl_init();
  for (auto _ : state)
    benchmark::DoNotOptimize(
        f.convert(ctx, ref.p, first.p, second.p, dst.p, kPalWidth, kPalHeight, kPalWidth, kPalHeight));
  ppl_free(ctx);
  state.SetLabel(std::string("YUY2 to ") + f.name + " 720x576");
}

void BM_DeinterlaceElement(benchmark::State& state) {
  start_gstreamer();
  const auto& f = kIntl[state.range(0)];
  GstHarness* harness = gst_harness_new("pplcamdeinterlace");
  gst_harness_set_sink_caps_str(harness, ("video/x-raw,format=" + std::string(f.name)).c_str());
  gst_harness_set_src_caps_str(
      harness, "video/x-raw,format=YUY2,width=720,height=576,framerate=25/1,interlace-mode=interleaved");
  run_element(state, harness, size_t(kPalWidth) * kPalHeight * 2, false);
  gst_harness_teardown(harness);
  state.SetLabel(std::string("YUY2 to ") + f.name + " 720x576");
}

// What splitting an interleaved frame into its two fields moves.
void BM_DeinterlaceFieldSplitMemcpy(benchmark::State& state) {
  const size_t bytes = size_t(kPalWidth) * kPalHeight * 2;
  AlignedBytes from(bytes), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.p, from.p, bytes);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_BayerLibrary)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BayerElement)->ArgsProduct({{0, 1, 2}, {0, 1}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeinterlaceLibrary)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeinterlaceElement)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeinterlaceFieldSplitMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace
