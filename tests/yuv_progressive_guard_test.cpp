// No progressive converter reads or writes outside the caller's buffers:
// source and destination against an inaccessible page before and after, on
// every path, every mirror, black lines in the geometry, and a width (720)
// whose 16-byte walk ends each line with an overlapping step.
#include <gtest/gtest.h>

#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

TEST(ProgressiveGuard, BuffersAgainstGuardPagesOnEveryPath) {
  ScopedContext ctx;
  const struct {
    YuvConverter conv;
    int src_bytes_per_2px, dst_bytes_per_2px;
  } cases[] = {{YUYVToI420MMX, 4, 3}, {UYVYToI420MMX, 4, 3}, {YUYVYYYYToI420MMX, 3, 3},
               {YUYVToRGB24MMX, 4, 6}, {UYVYToRGB24MMX, 4, 6}};
  for (const YuvSizes& s : {YuvSizes{720, 480, 720, 487}, YuvSizes{1280, 1024, 1280, 1024}}) {
    for (const auto& c : cases) {
      for (Guard g : {Guard::kBefore, Guard::kAfter}) {
        GuardedBuffer src(s.pixels_in() * c.src_bytes_per_2px / 2, g);
        GuardedBuffer dst(s.pixels_out() * c.dst_bytes_per_2px / 2, g);
        fill_random(src.data(), src.size(), 7);
        for (int mirrors = 0; mirrors < 4; ++mirrors) {
          set_mirrors(ctx, mirrors & 1, mirrors & 2);
          for (PathId p : machine_paths()) {
            ScopedPathLimit limit(ctx, p);
            EXPECT_EQ(c.conv(ctx, src.data(), dst.data(), s.in_width, s.in_height, s.out_width,
                             s.out_height),
                      1);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
