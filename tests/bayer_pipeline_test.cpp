// The Bayer conversions of every path against the scalar model: every
// format, qualities 0 to 5, decimations -1 to 2, all mirror combinations,
// neutral and random controls (random C_yuv, thresholds and factors,
// wrapping ones included), many frame sizes; the source after the call
// (conditioned or untouched) is checked as well as the destination, both
// buffers against guard pages on one side or the other, down to the
// smallest frames the walks take. Then the raw-mode marker over 30 frames.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bayer/driver.h"
#include "core/geometry.h"
#include "model/bayer_model.h"
#include "pplcam/pplcam.h"
#include "support/bayer_controls.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"
#include "support/same_bytes.h"

namespace pplcam::test {
namespace {

enum class Pattern { kRandom, kFlat0, kFlat255, kStripes, kCheckers, kRamp };

struct BayerCase {
  BayerOutput format;
  int width, height;
  int quality;
  int decimation;
  bool h_mirror, v_mirror;
  uint32_t seed;
  bool random_controls;
  Pattern pattern = Pattern::kRandom;
  // The side of the source and the destination that touches an
  // inaccessible page.
  Guard guard = Guard::kAfter;
};

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

std::string describe(const BayerCase& c) {
  return std::string(kFormatNames[static_cast<int>(c.format)]) + " " + std::to_string(c.width) + "x" +
         std::to_string(c.height) + " q" + std::to_string(c.quality) + " d" +
         std::to_string(c.decimation) + (c.h_mirror ? " h-mirror" : "") +
         (c.v_mirror ? " v-mirror" : "") + (c.random_controls ? " random controls" : "") +
         " pattern " + std::to_string(static_cast<int>(c.pattern)) + " seed " + std::to_string(c.seed);
}

// Runs the case on every path of the machine with fresh guarded copies of
// one source frame and one pre-filled destination, and expects every
// destination and source after the call to equal the model's, the result
// to be the quality's and the frame counter to count the call.
void check_against_model(const BayerCase& c) {
  SCOPED_TRACE(describe(c));
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
      const model::BayerFrame frame{c.format, c.quality, c.decimation, c.h_mirror, c.v_mirror, c.width,
                                    c.height, ctx->out_width, ctx->out_height, group_bytes(ran)};
      model::convert(k, frame, want_src.data(), want_dst.data(), &want_marker);
    }
    EXPECT_TRUE(same_bytes(dst, want_dst.data(), out_bytes)) << "destination";
    EXPECT_TRUE(same_bytes(src, want_src.data(), in_bytes)) << "source";
    if (c.quality > 3) EXPECT_EQ(marker_of(ctx, ran), want_marker);
  }
}

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
// the first group of a row is also its last, and rows of 7, 8, 9 and 17
// groups: the wide rows' last block ends the row or leaves 16-byte groups.
struct SmallRun {
  int first_quality, last_quality;
  std::vector<Size> sizes;
  uint32_t seed;
};
const SmallRun kSmallRuns[] = {
    {0, 1, {{16, 2}, {16, 12}, {32, 6}, {48, 8}, {64, 12}, {96, 14}, {24, 10}, {104, 13}, {8, 6}, {12, 4}, {144, 6}, {272, 4}, {112, 4}, {128, 4}}, 500},
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
              c.guard = (d + mirrors) % 2 ? Guard::kBefore : Guard::kAfter;
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
        c.guard = seed % 2 ? Guard::kBefore : Guard::kAfter;
        check_against_model(c);
      }
}

// The largest frame of the original limits, then, with large frames on,
// camera sizes beyond them and odd-but-legal ones (a width only 8-byte
// groups divide, a decimated height that is odd, the tallest frame): a
// few rows per size, since the model is slow there.
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
              {136, 4096, BayerOutput::kRgb32, 0, 0},
              // the widest rows whose green ring still holds a wide edge pass (AVX-512, AVX2), and the
              // next widths, which walk one group at a time
              {1992, 12, BayerOutput::kRgb24, 1, 0}, {2016, 12, BayerOutput::kI420, 0, 0},
              {2008, 12, BayerOutput::kRgb24, 1, 0}, {2024, 12, BayerOutput::kI420, 0, 0}};
  for (const auto& r : rows) {
    BayerCase c{r.format, r.w, r.h, r.quality, r.decimation, true, false, 77, true};
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
        check_against_model(c);
      }
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
