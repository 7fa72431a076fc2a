// Worked examples of the progressive converters: the rounding of the chroma
// mean, the RGB24 arithmetic at its landmarks, the bottom-up order, the
// mirrors, the YUYVYYYY layout and the calls that write nothing.
#include <gtest/gtest.h>

#include <vector>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

const YuvSizes k640{640, 480, 640, 480};

// A YUYV frame of one colour.
std::vector<uint8_t> flat_yuyv(const YuvSizes& s, uint8_t y, uint8_t u, uint8_t v) {
  std::vector<uint8_t> f(s.packed422_bytes());
  for (size_t i = 0; i < f.size(); i += 4) f[i] = y, f[i + 1] = u, f[i + 2] = y, f[i + 3] = v;
  return f;
}

struct Pixel {
  int b, g, r;
  bool operator==(const Pixel& o) const { return b == o.b && g == o.g && r == o.r; }
};
std::ostream& operator<<(std::ostream& os, const Pixel& p) {
  return os << "(B " << p.b << ", G " << p.g << ", R " << p.r << ")";
}

// The colour YUYVToRGB24MMX gives a flat frame, checked on every path.
Pixel rgb24_of(uint8_t y, uint8_t u, uint8_t v) {
  ScopedContext ctx;
  const std::vector<uint8_t> src = flat_yuyv(k640, y, u, v);
  Pixel first{};
  for (YuvPath p : kAllYuvPaths) {
    std::vector<uint8_t> dst(k640.rgb24_bytes(), 77);
    EXPECT_EQ(run_on_path(p, YUYVToRGB24MMX, ctx, src, dst, k640), 1);
    const Pixel px{dst[0], dst[1], dst[2]};
    if (p == YuvPath::kSse2) first = px;
    EXPECT_EQ(px, first) << path_name(p);
  }
  return first;
}

TEST(ProgressiveExamples, ChromaMeanRoundsHalfUp) {
  ScopedContext ctx;
  std::vector<uint8_t> src = flat_yuyv(k640, 50, 10, 200);
  for (int x = 0; x < 640 * 2; x += 4) src[640 * 2 + x + 1] = 13, src[640 * 2 + x + 3] = 201;
  for (YuvPath p : kAllYuvPaths) {
    std::vector<uint8_t> dst(k640.i420_bytes());
    ASSERT_EQ(run_on_path(p, YUYVToI420MMX, ctx, src, dst, k640), 1);
    const size_t u = 640 * 480, v = u + 640 * 480 / 4;
    EXPECT_EQ(dst[u], 12) << "(10 + 13 + 1) >> 1 on " << path_name(p);
    EXPECT_EQ(dst[v], 201) << "(200 + 201 + 1) >> 1 on " << path_name(p);
    EXPECT_EQ(dst[u + 320], 10) << "second chroma line: line pair 1 is flat";
  }
}

TEST(ProgressiveExamples, Rgb24Landmarks) {
  EXPECT_EQ(rgb24_of(10, 128, 128), (Pixel{0, 0, 0})) << "luma below 16 is black";
  EXPECT_EQ(rgb24_of(16, 128, 128), (Pixel{0, 0, 0}));
  EXPECT_EQ(rgb24_of(235, 128, 128), (Pixel{253, 253, 253})) << "74 * 219 >> 6 = 253";
  EXPECT_EQ(rgb24_of(236, 128, 128), (Pixel{254, 254, 254}));
  EXPECT_EQ(rgb24_of(237, 128, 128), (Pixel{255, 255, 255}));
  EXPECT_EQ(rgb24_of(16, 128, 255), (Pixel{0, 0, 202})) << "R = 102 * 127 >> 6, G clamps to 0";
  // No rounding term: B = (74 + 129) >> 6 = 3, R = (74 + 102) >> 6 = 2, and
  // G = (74 - 25 - 52) >> 6 = -1 (toward minus infinity), clamped to 0.
  EXPECT_EQ(rgb24_of(17, 129, 129), (Pixel{3, 0, 2}));
}

// The blue sum 74 * 239 + 129 * 127 = 34069 leaves 16 bits; it saturates to
// full blue instead of wrapping to a negative sum and black.
TEST(ProgressiveExamples, OutOfRangeBlueSaturates) {
  EXPECT_EQ(rgb24_of(255, 255, 128).b, 255);
  EXPECT_EQ(rgb24_of(255, 255, 0), (Pixel{255, 255, 72})) << "R = (17686 - 13056) >> 6";
}

TEST(ProgressiveExamples, Rgb24FirstSourceLineIsLastRowInMemory) {
  ScopedContext ctx;
  std::vector<uint8_t> src = flat_yuyv(k640, 16, 128, 128);
  for (int x = 0; x < 640 * 2; x += 2) src[x] = 235;   // line 0 white, the rest black
  for (YuvPath p : kAllYuvPaths) {
    std::vector<uint8_t> dst(k640.rgb24_bytes(), 77);
    ASSERT_EQ(run_on_path(p, YUYVToRGB24MMX, ctx, src, dst, k640), 1);
    EXPECT_EQ(dst[dst.size() - 1], 253) << path_name(p);
    EXPECT_EQ(dst[dst.size() - 640 * 3], 253);
    EXPECT_EQ(dst[dst.size() - 640 * 3 - 1], 0) << "row above the last: source line 1";
    EXPECT_EQ(dst[0], 0);
  }
}

TEST(ProgressiveExamples, Rgb24KeepsTopBlackLinesAndRefusesASmallerOutput) {
  ScopedContext ctx;
  const YuvSizes tall{720, 480, 720, 486};   // 3 black lines above, 3 below
  const std::vector<uint8_t> src = flat_yuyv(tall, 16, 128, 128);
  std::vector<uint8_t> dst(tall.rgb24_bytes(), 77);
  ASSERT_EQ(run_on_path(YuvPath::kSse2, YUYVToRGB24MMX, ctx, src, dst, tall), 1);
  EXPECT_EQ(dst[6 * 720 * 3 - 1], 77) << "rows 0 .. out_height - in_height - 1 are left";
  EXPECT_EQ(dst[6 * 720 * 3], 0) << "the picture starts right above them";

  const YuvSizes half{704, 480, 352, 240};
  const std::vector<uint8_t> src2 = flat_yuyv(half, 16, 128, 128);
  for (YuvPath p : kAllYuvPaths) {
    std::vector<uint8_t> small(half.rgb24_bytes(), 77);
    const uint32_t frames = ctx->n_frame;
    EXPECT_EQ(run_on_path(p, UYVYToRGB24MMX, ctx, src2, small, half), 0) << path_name(p);
    EXPECT_EQ(small, std::vector<uint8_t>(half.rgb24_bytes(), 77));
    EXPECT_EQ(ctx->n_frame, frames + 1);
  }
}

TEST(ProgressiveExamples, HorizontalMirrorPutsFirstPixelAndPairAtTheRightEnd) {
  ScopedContext ctx;
  std::vector<uint8_t> src = flat_yuyv(k640, 50, 60, 70);
  src[0] = 1, src[1] = 2, src[3] = 3;                      // line 0: Y0, U0, V0
  src[640 * 2 + 1] = 4, src[640 * 2 + 3] = 5;              // line 1: U0, V0
  for (bool v : {false, true}) {
    set_mirrors(ctx, true, v);
    for (YuvPath p : kAllYuvPaths) {
      std::vector<uint8_t> dst(k640.i420_bytes());
      ASSERT_EQ(run_on_path(p, YUYVToI420MMX, ctx, src, dst, k640), 1);
      const size_t y_row = v ? 479 : 0, c_row = v ? 239 : 0;
      const size_t u = 640 * 480 + c_row * 320, vp = u + 640 * 480 / 4;
      EXPECT_EQ(dst[y_row * 640 + 639], 1) << path_name(p) << " v mirror " << v;
      EXPECT_EQ(dst[y_row * 640], 50);
      EXPECT_EQ(dst[u + 319], 3) << "(2 + 4 + 1) >> 1";
      EXPECT_EQ(dst[vp + 319], 4) << "(3 + 5 + 1) >> 1";
    }
  }
}

TEST(ProgressiveExamples, YuyvyyyyLayoutReachesThePlanes) {
  ScopedContext ctx;
  const YuvSizes s = k640;
  std::vector<uint8_t> src(s.yyyy_bytes(), 0);
  const size_t line = 640 * 3 / 2;
  // Second unit of line 0 and 1: luma of pixel 16 + i is 100 + i, pair 8 + k has U 200 + k
  // on line 0 and V 220 + k on line 1.
  const int luma_at[16] = {0, 2, 4, 6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 21, 22, 23};
  const int chroma_at[8] = {1, 3, 5, 7, 13, 15, 17, 19};
  for (int i = 0; i < 16; ++i) src[24 + luma_at[i]] = src[line + 24 + luma_at[i]] = 100 + i;
  for (int k = 0; k < 8; ++k) src[24 + chroma_at[k]] = 200 + k, src[line + 24 + chroma_at[k]] = 220 + k;
  for (YuvConverter conv : {YUYVYYYYToI420MMX, UYVYYYYYToI420MMX}) {
    for (YuvPath p : kAllYuvPaths) {
      std::vector<uint8_t> dst(s.i420_bytes());
      ASSERT_EQ(run_on_path(p, conv, ctx, src, dst, s), 1);
      for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(dst[16 + i], 100 + i) << path_name(p) << " pixel " << 16 + i;
        EXPECT_EQ(dst[640 + 16 + i], 100 + i);
      }
      for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(dst[640 * 480 + 8 + k], 200 + k) << "U of pair " << 8 + k;
        EXPECT_EQ(dst[640 * 480 * 5 / 4 + 8 + k], 220 + k) << "V of pair " << 8 + k;
      }
    }
  }
}

// Decimated I420 output and RGB24-to-RGB32 write nothing, yet count the frame.
TEST(ProgressiveExamples, CallsThatWriteNothingStillCountTheFrame) {
  ScopedContext ctx;
  struct Case {
    YuvConverter conv;
    YuvSizes sizes;
    uint8_t result;
  };
  const Case cases[] = {{YUYVToI420MMX, {640, 480, 320, 240}, 1},
                        {UYVYToI420MMX, {704, 576, 176, 150}, 1},
                        {YUYVYYYYToI420MMX, {640, 480, 1280, 960}, 1},
                        {RGB24ToRGB32MMX, {640, 480, 640, 480}, 0}};
  for (const Case& c : cases) {
    const std::vector<uint8_t> src = random_bytes(c.sizes.in_width * c.sizes.in_height * 3, 3);
    for (YuvPath p : kAllYuvPaths) {
      const size_t bytes = static_cast<size_t>(c.sizes.out_width) * c.sizes.out_height * 4;
      std::vector<uint8_t> dst(bytes, 77);
      const uint32_t frames = ctx->n_frame;
      EXPECT_EQ(run_on_path(p, c.conv, ctx, src, dst, c.sizes), c.result) << path_name(p);
      EXPECT_EQ(dst, std::vector<uint8_t>(bytes, 77)) << size_name(c.sizes);
      EXPECT_EQ(ctx->n_frame, frames + 1);
    }
  }
}

TEST(ProgressiveExamples, RefusedSizeWritesNothing) {
  ScopedContext ctx;
  const YuvSizes odd{640, 480, 352, 240};
  std::vector<uint8_t> dst(odd.i420_bytes(), 77);
  EXPECT_EQ(run_on_path(YuvPath::kSse2, YUYVToI420MMX, ctx, random_bytes(odd.packed422_bytes(), 1),
                        dst, odd),
            0);
  EXPECT_EQ(dst, std::vector<uint8_t>(odd.i420_bytes(), 77));
}

}  // namespace
}  // namespace pplcam::test
