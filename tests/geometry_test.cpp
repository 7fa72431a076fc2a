// Frame geometry through the public calls: the sizes accepted and refused,
// the output size and black lines of each mode, and the large-frame work
// area.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/geometry.h"
#include "pplcam/pplcam_ext.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

struct Geometry {
  int32_t in_w, in_h, out_w, out_h, mode, top, bottom;
};

Geometry geometry_of(ppl_context* c) {
  return {c->in_width, c->in_height, c->out_width, c->out_height, ppl_decimation(c),
          ppl_decimation_top_black_lines(c), ppl_decimation_bottom_black_lines(c)};
}

bool same(const Geometry& a, const Geometry& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(FrameSize, AcceptsUpTo1280x1024AndRefusesTheRestUnchanged) {
  ScopedContext c;
  // Frames too small for the statistics grid are accepted without a trap.
  for (auto [w, h] : {std::pair{0, 0}, {48, 4}, {1280, 1024}, {640, 480}}) ASSERT_EQ(ppl_new_frame_size(c, w, h), 1);
  const Geometry before = geometry_of(c);
  for (auto [w, h] : {std::pair{1281, 1024}, {1280, 1025}, {-1, 480}, {640, -2}, {4096, 480}}) {
    EXPECT_EQ(ppl_new_frame_size(c, w, h), 0) << w << "x" << h;
    EXPECT_TRUE(same(before, geometry_of(c)));
  }
}

// Each mode scales the output, black lines add to its height; the sizes
// follow even when the floating-point state cannot be saved.
TEST(Decimation, ModesScaleTheOutputAndAddBlackLines) {
  ScopedContext c;
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  for (int bad : {3, -2}) EXPECT_EQ(ppl_set_decimation(c, bad, 0, 0), 0) << bad;
  EXPECT_EQ(ppl_decimation(c), 0);
  const struct { int mode, w, h; } cases[] = {{0, 640, 480}, {1, 320, 240}, {2, 160, 120}, {-1, 1280, 960}};
  for (auto k : cases) {
    ASSERT_EQ(ppl_set_decimation(c, k.mode, 5, 7), 1);
    EXPECT_EQ(std::make_pair(c->out_width, c->out_height), std::make_pair(k.w, k.h + 12)) << k.mode;
  }
  ASSERT_EQ(ppl_reset_decimation(c), 1);
  EXPECT_EQ(c->out_height, 480);
  ScopedFpSaveFailure fail;
  EXPECT_EQ(ppl_set_decimation(c, 1, 0, 0), 1);
  EXPECT_EQ(ppl_new_frame_size(c, 320, 240), 1);
  EXPECT_EQ(c->out_width, 160);
}

// In turn on one context: black lines follow each call's sizes.
TEST(FrameSizes, EveryRowOfTheTableGivesItsModeAndBlackLines) {
  ScopedContext c;
  const Geometry rows[] = {
      {320, 240, 320, 240, 0, 0, 0},     {320, 240, 160, 120, 1, 0, 0},   {480, 480, 480, 480, 0, 0, 0},
      {480, 480, 480, 576, 0, 48, 48},   {480, 576, 480, 576, 0, 0, 0},   {640, 480, 640, 480, 0, 0, 0},
      {640, 480, 320, 240, 1, 0, 0},     {640, 480, 160, 120, 2, 0, 0},   {640, 480, 1280, 960, -1, 0, 0},
      {704, 480, 704, 480, 0, 0, 0},     {704, 480, 704, 577, 0, 48, 49}, {720, 480, 720, 576, 0, 48, 48},
      {704, 576, 704, 576, 0, 0, 0},     {704, 480, 352, 288, 1, 24, 24}, {704, 576, 352, 288, 1, 0, 0},
      {704, 576, 176, 150, 2, 3, 3},     {704, 480, 176, 121, 2, 0, 1},   {720, 480, 720, 480, 0, 0, 0},
      {720, 576, 720, 583, 0, 3, 4},     {1280, 1024, 1280, 1024, 0, 0, 0},
  };
  for (const Geometry& r : rows) {
    SCOPED_TRACE(testing::Message() << r.in_w << "x" << r.in_h << " -> " << r.out_w << "x" << r.out_h);
    ASSERT_EQ(ppl_new_frame_sizes(c, r.in_w, r.in_h, r.out_w, r.out_h), 1);
    EXPECT_TRUE(same(r, geometry_of(c)));
  }
}

TEST(FrameSizes, EveryOtherCombinationIsRefusedAndKeepsTheGeometry) {
  ScopedContext c;
  ASSERT_EQ(ppl_new_frame_sizes(c, 704, 480, 352, 288), 1);
  const Geometry before = geometry_of(c);
  const int widths[] = {0, 160, 176, 320, 352, 480, 640, 704, 720, 1280, 1281};
  const int heights[] = {0, 120, 143, 144, 240, 288, 480, 576, 960, 1024};
  int accepted = 0;
  for (int iw : widths)
    for (int ih : heights)
      for (int ow : widths)
        for (int oh : heights) {
          int32_t mode, top, bottom;
          const bool listed = lookup_size_pair(iw, ih, ow, oh, &mode, &top, &bottom);
          if (listed) {
            ++accepted;
            continue;
          }
          ASSERT_EQ(ppl_new_frame_sizes(c, iw, ih, ow, oh), 0) << iw << "x" << ih << " -> " << ow << "x" << oh;
          ASSERT_TRUE(same(before, geometry_of(c)));
        }
  EXPECT_GT(accepted, 10);
  // (The 640-to-352 pairs and the quarter-size output one line short are
  // among them.) An output whose byte counts pass 32 bits:
  EXPECT_EQ(ppl_new_frame_sizes(c, 704, 480, 704, 1 << 30), 0);
  EXPECT_TRUE(same(before, geometry_of(c)));
}

// Large frames (pplcam_ext.h): the work area a width needs, the refusals
// of a work area that leave the context as it was, and the widest frame
// each accepted area holds.
TEST(LargeFrames, WorkAreasAreRefusedOrHoldTheirWidths) {
  for (auto [width, bytes] : {std::pair{1349, 24576u}, {2714, 49152u}, {2715, 81920u}, {4085, 98304u}, {4097, 0u}})
    EXPECT_EQ(ppl_ext_large_frame_work_bytes(width), bytes) << width;
  GuardedBuffer area(98304, Guard::kAfter, 64);
  const struct {
    size_t offset;
    uint32_t bytes;
    int32_t max_width;   // 0: refused, the earlier area kept
  } rows[] = {{0, 98304, 4096}, {16, 98288, 0}, {32, 98272, 0}, {0, 24575, 0},
              {0, 24576, 1344}, {64, 98240, 4080}, {0, 49152, 2712}};
  ScopedContext c;
  EXPECT_EQ(ppl_ext_enable_large_frames(c, nullptr, 98304), 0);
  int32_t kept = 0;
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "offset " << r.offset << ", " << r.bytes << " bytes");
    EXPECT_EQ(ppl_ext_enable_large_frames(c, area.data() + r.offset, r.bytes), r.max_width != 0);
    if (r.max_width != 0) kept = r.max_width;
    EXPECT_EQ(ppl_ext_large_frame_max_width(c), kept);
  }
  EXPECT_EQ(ppl_ext_disable_large_frames(c), 1);
  EXPECT_EQ(ppl_ext_large_frame_max_width(c), 0);
}

// Sizes beyond 1280 x 1024 are accepted only with large frames on, within
// their limits and the area; an area that no longer holds the stored size,
// the control turned off or the slot handed out again forget it, so that
// the next call of that size is refused rather than run on rings too small.
TEST(LargeFrames, SizesFollowTheControlAndTheArea) {
  const struct {
    int32_t w, h;
    bool accepted;
  } rows[] = {{1920, 1080, true},  {4096, 4096, true},  {1928, 1082, true}, {128, 4096, true},
              {4104, 480, false},  {1924, 1080, false}, {1920, 1081, false}, {1920, 10, false},
              {120, 1100, false},  {4096, 4098, false}, {-1920, 1080, false}};
  ScopedContext c;
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.w << "x" << r.h);
    EXPECT_EQ(ppl_new_frame_size(c, r.w, r.h), 0);
    ASSERT_EQ(c.allow_large_frames(), 1);
    EXPECT_EQ(ppl_new_frame_size(c, r.w, r.h), r.accepted);
    EXPECT_EQ(ppl_new_frame_sizes(c, r.w, r.h, r.w / 2, r.h / 2), r.accepted);
    ppl_ext_disable_large_frames(c);
  }
  GuardedBuffer area(98304, Guard::kAfter, 64);
  ASSERT_EQ(ppl_ext_enable_large_frames(c, area.data(), 98304), 1);
  ASSERT_EQ(ppl_new_frame_size(c, 2592, 1944), 1);
  ASSERT_EQ(ppl_ext_enable_large_frames(c, area.data(), 49152), 1);
  EXPECT_EQ(c->in_width, 2592);
  ASSERT_EQ(ppl_ext_enable_large_frames(c, area.data(), 24576), 1);
  EXPECT_EQ(c->in_width, 0);
  ASSERT_EQ(ppl_ext_enable_large_frames(c, area.data(), 98304), 1);
  ASSERT_EQ(ppl_new_frame_size(c, 1920, 1080), 1);
  ppl_ext_disable_large_frames(c);
  std::vector<uint8_t> src(1920 * 1080), dst(1920 * 1080 * 4, 0x5A);
  EXPECT_EQ(ppl_process_blrtorgb32(c, src.data(), dst.data(), 1920, 1080), 0);
  EXPECT_EQ(std::count(dst.begin(), dst.end(), 0x5A), static_cast<ptrdiff_t>(dst.size()));
  ASSERT_EQ(ppl_ext_enable_large_frames(c, area.data(), 98304), 1);
  ASSERT_EQ(ppl_new_frame_size(c, 1920, 1080), 1);
  ppl_context* slot = c.get();
  ppl_free(slot);
  ASSERT_EQ(ppl_init(), slot);
  EXPECT_EQ(ppl_ext_large_frame_max_width(slot), 0);
  EXPECT_EQ(slot->in_width, 0);
}

// With large frames on, frames beyond 1280 x 1024 refuse an odd I420
// height and a picture wider or taller than 4096; frames within the
// original limits keep their answers.
TEST(LargeFrames, OutputsBeyondTheLimitsAreRefused) {
  using Process = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
  const struct {
    Process process;
    int32_t w, h, mode;
    uint8_t result;
  } rows[] = {{ppl_process_blrtoi420, 1920, 1082, 1, 0}, {ppl_process_blrtoyuyv, 1920, 1082, 1, 1},
              {ppl_process_blrtoi420, 1280, 1022, 1, 1}, {ppl_process_blrtorgb32, 2048, 12, -1, 1},
              {ppl_process_blrtorgb32, 2056, 12, -1, 0}, {ppl_process_blrtorgb32, 128, 2050, -1, 0}};
  ScopedContext c;
  ASSERT_EQ(c.allow_large_frames(), 1);
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.w << "x" << r.h << " mode " << r.mode);
    ASSERT_EQ(ppl_set_decimation(c, r.mode, 0, 0), 1);
    const size_t pixels = static_cast<size_t>(r.w) * r.h;
    std::vector<uint8_t> src(pixels, 100), dst(pixels * 16, 0x5A);
    EXPECT_EQ(r.process(c, src.data(), dst.data(), r.w, r.h), r.result);
    if (r.result == 0) EXPECT_EQ(std::count(dst.begin(), dst.end(), 0x5A), static_cast<ptrdiff_t>(dst.size()));
  }
}

}  // namespace
}  // namespace pplcam::test
