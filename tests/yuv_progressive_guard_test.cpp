// No progressive converter reads or writes outside the caller's buffers:
// source and destination each placed against an inaccessible page, before
// and after, on both paths, with every mirror combination and with black
// lines in the geometry.
#include <gtest/gtest.h>

#include <cstring>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

struct GuardCase {
  const char* name;
  YuvConverter conv;
  bool yyyy_input;
  bool rgb24_output;
};
const GuardCase kGuardCases[] = {
    {"YUYVToI420MMX", YUYVToI420MMX, false, false},
    {"UYVYToI420MMX", UYVYToI420MMX, false, false},
    {"YUYVYYYYToI420MMX", YUYVYYYYToI420MMX, true, false},
    {"YUYVToRGB24MMX", YUYVToRGB24MMX, false, true},
    {"UYVYToRGB24MMX", UYVYToRGB24MMX, false, true},
};

// 720 wide: the SSE2 walk ends each line with an overlapping step.
const YuvSizes kGuardSizes[] = {{720, 480, 720, 487}, {1280, 1024, 1280, 1024}, {320, 240, 320, 240}};

TEST(ProgressiveGuard, BuffersAgainstGuardPagesOnBothPaths) {
  ScopedContext ctx;
  for (const YuvSizes& s : kGuardSizes) {
    for (const GuardCase& c : kGuardCases) {
      const size_t src_bytes = c.yyyy_input ? s.yyyy_bytes() : s.packed422_bytes();
      const size_t dst_bytes = c.rgb24_output ? s.rgb24_bytes() : s.i420_bytes();
      for (Guard g : {Guard::kBefore, Guard::kAfter}) {
        GuardedBuffer src(src_bytes, g), dst(dst_bytes, g);
        fill_random(src.data(), src_bytes, 7);
        for (int mirrors = 0; mirrors < 4; ++mirrors) {
          set_mirrors(ctx, mirrors & 1, mirrors & 2);
          // dst and src sit exactly against the guard (sizes are multiples of 16).
          EXPECT_EQ(c.conv(ctx, src.data(), dst.data(), s.in_width, s.in_height, s.out_width,
                           s.out_height),
                    1)
              << c.name << " SSE2 " << size_name(s);
          ScopedCpuFeatures mmx_only(kCpuSse2);
          EXPECT_EQ(c.conv(ctx, src.data(), dst.data(), s.in_width, s.in_height, s.out_width,
                           s.out_height),
                    1)
              << c.name << " MMX " << size_name(s);
        }
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
