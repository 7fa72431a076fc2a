#include "support/bayer_frames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/geometry.h"
#include "model/bayer_model.h"
#include "support/bayer_controls.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"
#include "support/same_bytes.h"

namespace pplcam::test {
namespace {

// Indexed by BayerOutput.
const char* const kFormatNames[] = {"I420", "YUYV", "UYVY", "RGB24", "RGB32"};
uint8_t(PPLCALL* const kProcesses[])(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t) = {
    ppl_process_blrtoi420, ppl_process_blrtoyuyv, ppl_process_blrtouyvy, ppl_process_blrtorgb24,
    ppl_process_blrtorgb32};

void fill_pattern(uint8_t* p, int width, int height, Pattern pattern, uint32_t seed) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t& v = p[y * width + x];
      switch (pattern) {
        case Pattern::kRandom: break;
        case Pattern::kFlat0: v = 0; break;
        case Pattern::kFlat255: v = 255; break;
        case Pattern::kStripes: v = (x / 3) % 2 ? 255 : 0; break;
        case Pattern::kCheckers: v = ((x / 2 + y / 2) % 2) ? 251 : 3; break;
        case Pattern::kRamp: v = static_cast<uint8_t>(x * 7 + y * 13); break;
      }
    }
  if (pattern == Pattern::kRandom) fill_random(p, static_cast<size_t>(width) * height, seed);
}

}  // namespace

std::string describe(const BayerCase& c) {
  return std::string(kFormatNames[static_cast<int>(c.format)]) + " " + std::to_string(c.width) + "x" +
         std::to_string(c.height) + " q" + std::to_string(c.quality) + " d" +
         std::to_string(c.decimation) + (c.h_mirror ? " h-mirror" : "") +
         (c.v_mirror ? " v-mirror" : "") + (c.random_controls ? " random controls" : "") +
         " pattern " + std::to_string(static_cast<int>(c.pattern)) + " seed " + std::to_string(c.seed);
}

void check_against_model(const BayerCase& c) {
  ScopedContext ctx;
  ASSERT_NE(ctx.get(), nullptr);
  if (c.width > 1280 || c.height > 1024) ASSERT_EQ(ctx.allow_large_frames(), 1);
  ASSERT_EQ(ppl_new_frame_size(ctx, c.width, c.height), 1);
  ASSERT_EQ(ppl_set_decimation(ctx, c.decimation, 0, 0), 1);
  ctx->h_mirror = c.h_mirror;
  ctx->v_mirror = c.v_mirror;
  rebuild_step_table(ctx);
  const model::BayerControls k = c.random_controls ? random_bayer_controls(c.seed) : neutral_bayer_controls();
  load_bayer_controls(ctx, k);
  ctx->quality = c.quality;

  const size_t in_bytes = static_cast<size_t>(c.width) * c.height;
  const size_t out_bytes = model::output_bytes(c.format, ctx->out_width, ctx->out_height);
  std::vector<uint8_t> raw(in_bytes), prefill(out_bytes);
  fill_pattern(raw.data(), c.width, c.height, c.pattern, c.seed);
  fill_random(prefill.data(), prefill.size(), c.seed ^ 0x5A5A);

  std::vector<uint8_t> want_src, want_dst;
  GuardedBuffer guarded_src(in_bytes, c.guard), guarded_dst(out_bytes, c.guard);   // refilled for each path
  uint8_t* src = guarded_src.data();
  uint8_t* dst = guarded_dst.data();
  for (PathId path : machine_paths()) {
    SCOPED_TRACE(path_name(path));
    ScopedPathLimit limit(ctx, path);
    std::memcpy(src, raw.data(), in_bytes);
    if (out_bytes > 0) std::memcpy(dst, prefill.data(), out_bytes);   // 4:1 of 2 rows has none
    const auto before = std::make_unique<ppl_context>(*ctx);
    EXPECT_EQ(kProcesses[static_cast<int>(c.format)](ctx, src, dst, c.width, c.height), c.quality <= 3 ? 1 : 0);
    EXPECT_EQ(ppl_n_frame(ctx), before->n_frame + 1);   // refused raw modes count too
    // A width the path's groups do not divide runs on a narrower path.
    const PathId ran = last_path(ctx);
    if (c.width % group_bytes(path) == 0) EXPECT_EQ(ran, path);

    // The paths differ only in the raw-mode marker rule and counter.
    uint32_t want_marker = marker_of(before.get(), ran);
    if (want_dst.empty() || c.quality > 3) {
      want_src = raw;
      want_dst = prefill;
      const model::BayerFrame frame{c.format,     c.quality,     c.decimation,    c.h_mirror,
                                    c.v_mirror,   c.width,       c.height,        ctx->out_width,
                                    ctx->out_height, group_bytes(ran)};
      model::convert(k, frame, want_src.data(), want_dst.data(), &want_marker);
    }
    EXPECT_TRUE(same_bytes(dst, want_dst.data(), out_bytes)) << "destination";
    EXPECT_TRUE(same_bytes(src, want_src.data(), in_bytes)) << "source";
    if (c.quality > 3) EXPECT_EQ(marker_of(ctx, ran), want_marker);
  }
}

}  // namespace pplcam::test
