// Qualities 0 and 1 through the whole Bayer conversion on every path
// against the scalar model: every format, decimations -1 to 2, all mirror
// combinations, neutral and random controls (random C_yuv, thresholds and
// factors, wrapping ones included), many frame sizes; then guard pages on
// both sides of the buffers down to the smallest frames the walk takes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/geometry.h"
#include "model/bayer_model.h"
#include "pplcam/pplcam.h"
#include "support/bayer_controls.h"
#include "support/bayer_frames.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"

namespace pplcam::test {
namespace {

const BayerOutput kFormats[] = {BayerOutput::kI420, BayerOutput::kYuyv, BayerOutput::kUyvy,
                                BayerOutput::kRgb24, BayerOutput::kRgb32};

TEST(EdgePipeline, EveryModeMatchesTheModelOnSmallFrames) {
  // One, two, three and several groups per row on each path (the border
  // routines overlap on the narrow ones: a single group is both the first
  // and the last of its row), few and many row pairs, a width that only
  // 8-wide groups divide and one with a partial group, odd height.
  const int sizes[][2] = {{16, 2},  {16, 12}, {32, 6},   {48, 8}, {64, 12},
                          {96, 14}, {24, 10}, {104, 13}, {8, 6},  {12, 4}};
  uint32_t seed = 500;
  for (BayerOutput f : kFormats)
    for (int q = 0; q <= 1; ++q)
      for (int d = -1; d <= 2; ++d)
        for (int mirrors = 0; mirrors < 4; ++mirrors)
          for (const auto& s : sizes) {
            ++seed;
            BayerCase c{f, s[0], s[1], q, d, (mirrors & 1) != 0, (mirrors & 2) != 0, seed, seed % 2 == 0};
            SCOPED_TRACE(describe(c));
            check_against_model(c);
            if (HasFailure()) return;
          }
}

TEST(EdgePipeline, CommonFrameSizesMatchTheModel) {
  const int sizes[][2] = {{320, 240}, {640, 480}, {704, 576}, {720, 480}, {1280, 1024}};
  uint32_t seed = 900;
  for (const auto& s : sizes)
    for (BayerOutput f : {BayerOutput::kI420, BayerOutput::kRgb24, BayerOutput::kUyvy, BayerOutput::kRgb32})
      for (int q = 0; q <= 1; ++q) {
        ++seed;
        // Decimation -1 only where its output fits the geometry's limits.
        const int d = s[0] <= 640 ? static_cast<int>(seed % 4) - 1 : static_cast<int>(seed % 2);
        BayerCase c{f, s[0], s[1], q, d, seed % 3 == 0, seed % 4 < 2, seed, seed % 5 != 0};
        SCOPED_TRACE(describe(c));
        check_against_model(c);
      }
}

TEST(EdgePipeline, StructuredFramesMatchTheModel) {
  // Flat fields (the parity rule of odd levels), saturated extremes, hard
  // stripes and checkers (strong edges in both directions and saturating
  // colour differences) and ramps.
  for (Pattern p : {Pattern::kFlat0, Pattern::kFlat255, Pattern::kStripes, Pattern::kCheckers, Pattern::kRamp})
    for (BayerOutput f : kFormats)
      for (int q = 0; q <= 1; ++q) {
        BayerCase c{f, 64, 12, q, 0, false, false, 5, p == Pattern::kRamp};
        c.pattern = p;
        SCOPED_TRACE(describe(c));
        check_against_model(c);
      }
}

// One conversion with both buffers against guard pages on the given side.
void convert_guarded(BayerOutput f, int w, int h, int quality, int decimation, bool mirrors, Guard side,
                     PathId path) {
  ScopedContext ctx;
  ScopedPathLimit limit(ctx, path);
  ASSERT_EQ(ppl_new_frame_size(ctx, w, h), 1);
  ASSERT_EQ(ppl_set_decimation(ctx, decimation, 0, 0), 1);
  ctx->h_mirror = ctx->v_mirror = mirrors;
  rebuild_step_table(ctx);
  load_bayer_controls(ctx, random_bayer_controls(static_cast<uint32_t>(w * h + quality)));
  ctx->quality = quality;
  const size_t in_bytes = static_cast<size_t>(w) * h;
  const size_t out_bytes = model::output_bytes(f, ctx->out_width, ctx->out_height);
  GuardedBuffer src(in_bytes, side), dst(out_bytes, side);
  fill_random(src.data(), in_bytes, static_cast<uint32_t>(w));
  EXPECT_EQ(process_of(f)(ctx, src.data(), dst.data(), w, h), 1);
}

TEST(EdgePipeline, StaysInsideGuardedBuffers) {
  const int sizes[][2] = {{16, 2}, {16, 4}, {32, 6}, {128, 12}, {640, 480}};
  for (const auto& s : sizes)
    for (BayerOutput f : kFormats)
      for (int q = 0; q <= 1; ++q)
        for (int d = -1; d <= 2; ++d)
          for (Guard side : {Guard::kAfter, Guard::kBefore})
            for (PathId path : machine_paths()) {
              SCOPED_TRACE(::testing::Message() << s[0] << "x" << s[1] << " q" << q << " d" << d << " format "
                                                << static_cast<int>(f) << " " << path_name(path));
              convert_guarded(f, s[0], s[1], q, d, (s[0] + d) % 2 == 0, side, path);
            }
}

TEST(EdgePipeline, ReportsTheScaleOfItsSampling) {
  ScopedContext ctx;
  std::vector<uint8_t> src(640 * 480), dst(640 * 480 * 3 / 2);
  for (int q = 0; q <= 1; ++q) {
    ASSERT_EQ(ppl_set_quality(ctx, q), 1);
    for (PathId path : machine_paths()) {
      ScopedPathLimit limit(ctx, path);
      AlignedBuffer s(src.size(), Align::k16), d(dst.size(), Align::k16);
      ASSERT_EQ(ppl_process_blrtoi420(ctx, s.data(), d.data(), 640, 480), 1);
      ASSERT_EQ(last_path(ctx), path);
      EXPECT_EQ(ctx->stats_scale, geometry_of(ctx, path).stats_scale[q]) << "quality " << q << path_name(path);
    }
  }
}

}  // namespace
}  // namespace pplcam::test
