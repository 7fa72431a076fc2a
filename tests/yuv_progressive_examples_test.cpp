// Worked examples of the progressive converters, each on every path: the
// rounding of the chroma mean, the mirrors' end positions, the RGB24
// arithmetic at its landmarks and its bottom-up order, the YUYVYYYY layout,
// and the calls that write nothing but still count the frame.
#include <gtest/gtest.h>

#include "core/context.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

const YuvSizes k640{640, 480, 640, 480};

std::vector<uint8_t> flat_yuyv(const YuvSizes& s, uint8_t y, uint8_t u, uint8_t v) {
  std::vector<uint8_t> f(s.pixels_in() * 2);
  for (size_t i = 0; i < f.size(); i += 4) f[i] = y, f[i + 1] = u, f[i + 2] = y, f[i + 3] = v;
  return f;
}

TEST(ProgressiveExamples, ChromaMeanRoundsHalfUpAndMirrorsEndAtTheRight) {
  ScopedContext ctx;
  std::vector<uint8_t> src = flat_yuyv(k640, 50, 60, 70);
  src[0] = 1, src[1] = 10, src[3] = 200;       // line 0: Y0, U0, V0
  src[1281] = 13, src[1283] = 201;             // line 1: U0, V0
  for (int mirrors = 0; mirrors < 4; ++mirrors) {
    const bool h = mirrors & 1, v = mirrors & 2;
    set_mirrors(ctx, h, v);
    const size_t y0 = (v ? 479 * 640 : 0) + (h ? 639 : 0);
    const size_t u0 = 640 * 480 + (v ? 239 * 320 : 0) + (h ? 319 : 0);
    for (PathId p : machine_paths()) {
      std::vector<uint8_t> dst(k640.pixels_out() * 3 / 2);
      ASSERT_EQ(run_on_path(p, YUYVToI420MMX, ctx, src, dst, k640), 1);
      EXPECT_EQ(dst[y0], 1) << path_name(p) << " mirrors " << mirrors;
      EXPECT_EQ(dst[u0], 12) << "(10 + 13 + 1) >> 1";
      EXPECT_EQ(dst[u0 + 640 * 480 / 4], 201) << "(200 + 201 + 1) >> 1";
    }
  }
}

TEST(ProgressiveExamples, Rgb24LandmarksAndBottomUpOrder) {
  ScopedContext ctx;
  const struct {
    uint8_t y, u, v, b, g, r;
  } cases[] = {
      {10, 128, 128, 0, 0, 0},         // luma below 16 counts as 16: black
      {235, 128, 128, 253, 253, 253},  // 74 * 219 >> 6
      {236, 128, 128, 254, 254, 254},  {237, 128, 128, 255, 255, 255},
      {16, 128, 255, 0, 0, 202},       // R = 102 * 127 >> 6, G clamps to 0
      {17, 129, 129, 3, 0, 2},         // G = (74 - 25 - 52) >> 6 = -1: toward minus infinity
      {255, 255, 128, 255, 226, 255},  // blue sum 34069 saturates instead of wrapping to 0
      {255, 255, 0, 255, 255, 72},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> src = flat_yuyv(k640, c.y, c.u, c.v);
    for (size_t i = 2 * 640; i < src.size(); i += 2) src[i] = 16;   // lines 1.. darker
    for (PathId p : machine_paths()) {
      std::vector<uint8_t> dst(k640.pixels_out() * 3);
      ASSERT_EQ(run_on_path(p, YUYVToRGB24MMX, ctx, src, dst, k640), 1);
      const size_t last_row = dst.size() - 640 * 3;   // source line 0
      EXPECT_EQ(dst[last_row], c.b) << int(c.y) << "," << int(c.u) << "," << int(c.v) << " " << path_name(p);
      EXPECT_EQ(dst[last_row + 1], c.g);
      EXPECT_EQ(dst[last_row + 2], c.r);
      EXPECT_EQ(dst[dst.size() - 1], c.r) << "last pixel of source line 0";
      const uint8_t* below = &dst[last_row - 3];   // last pixel of source line 1
      if (c.y > 16) EXPECT_FALSE(below[0] == c.b && below[1] == c.g && below[2] == c.r);
    }
  }
}

TEST(ProgressiveExamples, YuyvyyyyUnitsReachThePlanes) {
  ScopedContext ctx;
  // Second unit of lines 0 and 1: pixel 16 + i has luma 100 + i; pair 8 + k
  // has U 200 + k on line 0 and V 220 + k on line 1.
  std::vector<uint8_t> src(k640.pixels_in() * 3 / 2, 0);
  const int luma_at[16] = {0, 2, 4, 6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 21, 22, 23};
  const int chroma_at[8] = {1, 3, 5, 7, 13, 15, 17, 19};
  for (int i = 0; i < 16; ++i) src[24 + luma_at[i]] = src[960 + 24 + luma_at[i]] = 100 + i;
  for (int k = 0; k < 8; ++k) src[24 + chroma_at[k]] = 200 + k, src[960 + 24 + chroma_at[k]] = 220 + k;
  for (YuvConverter conv : {YUYVYYYYToI420MMX, UYVYYYYYToI420MMX}) {
    for (PathId p : machine_paths()) {
      std::vector<uint8_t> dst(k640.pixels_out() * 3 / 2);
      ASSERT_EQ(run_on_path(p, conv, ctx, src, dst, k640), 1);
      for (int i = 0; i < 16; ++i) EXPECT_EQ(dst[640 + 16 + i], 100 + i) << path_name(p);
      for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(dst[640 * 480 + 8 + k], 200 + k) << "U of pair " << 8 + k;
        EXPECT_EQ(dst[640 * 480 * 5 / 4 + 8 + k], 220 + k) << "V of pair " << 8 + k;
      }
    }
  }
}

// Decimated I420, an RGB24 output smaller than its input, RGB24 to RGB32
// and a refused size pair leave the destination alone; all but the refused
// size count the frame.
TEST(ProgressiveExamples, CallsThatWriteNothing) {
  ScopedContext ctx;
  const struct {
    YuvConverter conv;
    YuvSizes sizes;
    uint8_t result;
    uint32_t frames;
  } cases[] = {{YUYVToI420MMX, {640, 480, 320, 240}, 1, 1},
               {UYVYToI420MMX, {704, 576, 176, 150}, 1, 1},
               {YUYVYYYYToI420MMX, {640, 480, 1280, 960}, 1, 1},
               {UYVYToRGB24MMX, {704, 480, 352, 240}, 0, 1},
               {RGB24ToRGB32MMX, {640, 480, 640, 480}, 0, 1},
               {YUYVToI420MMX, {640, 480, 352, 240}, 0, 0}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> src = random_bytes(c.sizes.pixels_in() * 3, 3);
    for (PathId p : machine_paths()) {
      const std::vector<uint8_t> before(c.sizes.pixels_out() * 4, 77);
      std::vector<uint8_t> dst = before;
      const uint32_t frames = ctx->n_frame;
      EXPECT_EQ(run_on_path(p, c.conv, ctx, src, dst, c.sizes), c.result) << c.sizes.name();
      EXPECT_EQ(first_difference(dst, before), -1) << c.sizes.name() << " " << path_name(p);
      EXPECT_EQ(ctx->n_frame, frames + c.frames) << c.sizes.name();
    }
  }
}

}  // namespace
}  // namespace pplcam::test
