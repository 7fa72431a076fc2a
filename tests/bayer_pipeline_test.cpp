// The Bayer conversions of every path against the scalar model: every
// format, qualities 0 to 5, decimations -1 to 2, all mirror combinations,
// neutral and random controls (random C_yuv, thresholds and factors,
// wrapping ones included), many frame sizes; the source after the call
// (conditioned or untouched) is checked as well as the destination. Then
// guard pages on both sides of the buffers down to the smallest frames the
// edge-directed walk takes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "model/bayer_model.h"
#include "support/bayer_controls.h"
#include "support/bayer_frames.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"

namespace pplcam::test {
namespace {

const BayerOutput kFormats[] = {BayerOutput::kI420, BayerOutput::kYuyv, BayerOutput::kUyvy,
                                BayerOutput::kRgb24, BayerOutput::kRgb32};

struct Size {
  int w, h;
};

// Small frames: one and several groups per path, widths that only the
// 8-wide groups divide, a width with a partial group and odd heights, and
// an odd number of 16-pixel groups (112: the wide rows end a row pair with
// 16-byte groups). The
// edge-directed walk (qualities 0 and 1) gets single-group rows too, where
// the first group of a row is also its last, and rows of 9 and 17 groups,
// where the wide rows' middle steps end before the last 16-byte ones.
struct SmallRun {
  int first_quality, last_quality;
  std::vector<Size> sizes;
  uint32_t seed;
};
const SmallRun kSmallRuns[] = {
    {0, 1, {{16, 2}, {16, 12}, {32, 6}, {48, 8}, {64, 12}, {96, 14}, {24, 10}, {104, 13}, {8, 6}, {12, 4}, {144, 6}, {272, 4}}, 500},
    {2, 5, {{16, 2}, {32, 6}, {48, 10}, {64, 8}, {24, 6}, {104, 13}, {100, 12}, {112, 6}}, 1},
};

TEST(BayerPipeline, EveryModeMatchesTheModelOnSmallFrames) {
  for (const SmallRun& run : kSmallRuns) {
    uint32_t seed = run.seed;
    for (BayerOutput f : kFormats)
      for (int q = run.first_quality; q <= run.last_quality; ++q)
        for (int d = -1; d <= 2; ++d)
          for (int mirrors = 0; mirrors < 4; ++mirrors)
            for (const Size& s : run.sizes) {
              ++seed;
              BayerCase c{f, s.w, s.h, q, d, (mirrors & 1) != 0, (mirrors & 2) != 0, seed, seed % 2 == 0};
              SCOPED_TRACE(describe(c));
              check_against_model(c);
              if (HasFailure()) return;
            }
  }
}

// Common frame sizes, each format, the quality, decimation and mirrors
// varied with the seed (decimation -1 only where its output fits).
TEST(BayerPipeline, CommonFrameSizesMatchTheModel) {
  const Size sizes[] = {{320, 240}, {640, 480}, {704, 576}, {720, 576}, {720, 480}, {176, 144}, {352, 288}};
  uint32_t seed = 900;
  for (const Size& s : sizes)
    for (BayerOutput f : kFormats)
      for (int q = 0; q <= 5; ++q) {
        ++seed;
        const int d = s.w <= 640 ? static_cast<int>(seed % 4) - 1 : static_cast<int>(seed % 2);
        BayerCase c{f, s.w, s.h, q, d, seed % 3 == 0, seed % 4 < 2, seed, seed % 5 != 0};
        SCOPED_TRACE(describe(c));
        check_against_model(c);
      }
}

// The largest frame of the original limits, then, with large frames on,
// camera sizes beyond them and odd-but-legal ones (a width only 8-byte
// groups divide, a decimated height that is odd, the tallest frame), each
// against guard pages: a few rows per size, since the model is slow there.
TEST(BayerPipeline, LargeFramesMatchTheModel) {
  const struct {
    int w, h;
    BayerOutput format;
    int quality, decimation;
  } rows[] = {{1280, 1024, BayerOutput::kI420, 3, 0}, {1280, 1024, BayerOutput::kRgb32, 2, 0},
              {1280, 1024, BayerOutput::kI420, 0, 1}, {1280, 1024, BayerOutput::kRgb24, 1, 0},
              {1920, 1080, BayerOutput::kI420, 0, 0}, {1920, 1080, BayerOutput::kRgb24, 2, 1},
              {1920, 1080, BayerOutput::kYuyv, 3, -1}, {1920, 1088, BayerOutput::kUyvy, 1, 0},
              {2592, 1944, BayerOutput::kRgb32, 2, 0}, {3840, 2160, BayerOutput::kI420, 3, 0},
              {3840, 2160, BayerOutput::kRgb24, 0, 2}, {1928, 1082, BayerOutput::kYuyv, 2, 1},
              {136, 4096, BayerOutput::kRgb32, 0, 0}};
  for (const auto& r : rows) {
    BayerCase c{r.format, r.w, r.h, r.quality, r.decimation, true, false, 77, true};
    c.guards = r.w > 1280 || r.h > 1024 ? BayerCase::Guards::kAfter : BayerCase::Guards::kNone;
    SCOPED_TRACE(describe(c));
    check_against_model(c);
  }
}

TEST(BayerPipeline, StructuredFramesMatchTheModel) {
  // Flat fields (the parity rule of odd levels), saturated extremes, hard
  // stripes and checkers (strong edges in both directions and saturating
  // colour differences) and ramps: the rounding of the nested averages and
  // the saturations where random data rarely goes.
  for (Pattern p : {Pattern::kFlat0, Pattern::kFlat255, Pattern::kStripes, Pattern::kCheckers,
                    Pattern::kRamp})
    for (BayerOutput f : kFormats)
      for (int q = 0; q <= 3; ++q) {
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

TEST(BayerPipeline, EdgeDirectedWalkStaysInsideGuardedBuffers) {
  const Size sizes[] = {{16, 2}, {16, 4}, {32, 6}, {128, 12}, {640, 480}};
  for (const Size& s : sizes)
    for (BayerOutput f : kFormats)
      for (int q = 0; q <= 1; ++q)
        for (int d = -1; d <= 2; ++d)
          for (Guard side : {Guard::kAfter, Guard::kBefore})
            for (PathId path : machine_paths()) {
              SCOPED_TRACE(::testing::Message() << s.w << "x" << s.h << " q" << q << " d" << d << " format "
                                                << static_cast<int>(f) << " " << path_name(path));
              convert_guarded(f, s.w, s.h, q, d, (s.w + d) % 2 == 0, side, path);
            }
}

TEST(BayerPipeline, NeutralControlsKeepFlatFieldsAndPrimaries) {
  // With unit gains, identity gamma and an identity C_rgb, a flat field
  // comes out grey at its own level, and a mosaic lit only at its R sites
  // comes out pure red (bytes B, G, R = 0, 0, v) at quality 3.
  ScopedContext ctx;
  ASSERT_TRUE(ppl_new_frame_size(ctx, 32, 4));
  load_bayer_controls(ctx, neutral_bayer_controls());
  for (int q : {2, 3}) {
    ctx->quality = q;
    AlignedBuffer src(32 * 4, Align::k16), dst(32 * 4 * 3, Align::k16);
    std::memset(src.data(), 77, src.size());
    ASSERT_EQ(ppl_process_blrtorgb24(ctx, src.data(), dst.data(), 32, 4), 1);
    for (size_t i = 0; i < dst.size(); ++i) ASSERT_EQ(dst[i], 77) << "q" << q << " byte " << i;
  }
  ctx->quality = 3;
  AlignedBuffer src(32 * 4, Align::k16), dst(32 * 4 * 3, Align::k16);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 32; ++x) src[y * 32 + x] = (y & 1) && (x & 1) ? 200 : 0;
  ASSERT_EQ(ppl_process_blrtorgb24(ctx, src.data(), dst.data(), 32, 4), 1);
  for (size_t i = 0; i < dst.size(); i += 3) {
    ASSERT_EQ(dst[i], 0) << i;
    ASSERT_EQ(dst[i + 1], 0) << i;
    ASSERT_EQ(dst[i + 2], 200) << i;
  }
}

TEST(BayerPipeline, BothMirrorsRotateThePictureBy180Degrees) {
  ScopedContext ctx;
  const int w = 48, h = 8;
  ASSERT_TRUE(ppl_new_frame_size(ctx, w, h));
  load_bayer_controls(ctx, random_bayer_controls(3));
  const std::vector<uint8_t> raw = random_bytes(w * h, 9);
  auto convert = [&](bool mirrored) {
    ctx->h_mirror = ctx->v_mirror = mirrored;
    rebuild_step_table(ctx);
    AlignedBuffer src(w * h, Align::k16), dst(w * h * 4, Align::k16);
    std::memcpy(src.data(), raw.data(), raw.size());
    ppl_process_blrtorgb32(ctx, src.data(), dst.data(), w, h);
    return std::vector<uint8_t>(dst.data(), dst.data() + dst.size());
  };
  const std::vector<uint8_t> plain = convert(false), turned = convert(true);
  for (int p = 0; p < w * h; ++p)
    ASSERT_EQ(std::memcmp(&plain[4 * p], &turned[4 * (w * h - 1 - p)], 4), 0) << "pixel " << p;
}

TEST(BayerPipeline, ResultsAndFrameCounter) {
  ScopedContext ctx;
  const uint32_t before = ctx->n_frame;
  AlignedBuffer src(64 * 8, Align::k16), dst(64 * 8 * 4, Align::k16);
  fill_random(src.data(), src.size(), 4);
  for (int q = 0; q <= 5; ++q) {
    ctx->quality = q;
    EXPECT_EQ(ppl_process_blrtorgb32(ctx, src.data(), dst.data(), 64, 8), q <= 3 ? 1 : 0) << q;
  }
  // Raw passthrough at a mode that writes nothing still counts.
  ppl_set_decimation(ctx, 2, 0, 0);
  EXPECT_EQ(ppl_process_blrtoi420(ctx, src.data(), dst.data(), 64, 8), 0);
  EXPECT_EQ(ctx->n_frame, before + 7);
}

TEST(BayerPipeline, RawMarkerWalksTheGridOnePathAtATime) {
  // 640 wide: 64-byte cells fit the 8-byte rule and the 16-byte rule.
  // 352 wide: 35-byte cells fit neither, so nothing is drawn.
  for (PathId path : machine_paths()) {
    SCOPED_TRACE(path_name(path));
    ScopedContext ctx;
    ScopedPathLimit limit(ctx, path);
    ctx->quality = 4;
    const auto before = std::make_unique<ppl_context>(*ctx);
    marker_of(ctx, path) = 0;
    AlignedBuffer src(640 * 480, Align::k16), dst(640 * 480 * 3 / 2, Align::k16);
    for (int i = 0; i < 30; ++i) {
      SCOPED_TRACE(i);
      ASSERT_EQ(ppl_process_blrtoi420(ctx, src.data(), dst.data(), 640, 480), 0);
      ASSERT_EQ(last_path(ctx), path);
      const uint8_t* v = dst.data() + 640 * 480 * 5 / 4;
      const int col = i % 5, row = i / 5;
      EXPECT_EQ(v[(row * 40) * 320 + col * 64], 255);
      EXPECT_EQ(v[(row * 40 + 39) * 320 + col * 64 + 63], 255);
      EXPECT_EQ(v[(row * 40) * 320 + ((col + 1) % 5) * 64], 128);
    }
    EXPECT_EQ(marker_of(ctx, path), 0u);
    for (PathId other : machine_paths())
      if (group_bytes(other) != group_bytes(path)) EXPECT_EQ(marker_of(ctx, other), marker_of(before.get(), other));
    AlignedBuffer small_src(352 * 288, Align::k16), small_dst(352 * 288 * 3 / 2, Align::k16);
    ppl_process_blrtoi420(ctx, small_src.data(), small_dst.data(), 352, 288);
    EXPECT_EQ(marker_of(ctx, path), 0u);
    for (size_t i = 352 * 288; i < small_dst.size(); ++i) ASSERT_EQ(small_dst[i], 128);
  }
}

}  // namespace
}  // namespace pplcam::test
