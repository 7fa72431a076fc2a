// The progressive converters' calls that write nothing, each on every path
// (what they write otherwise is checked against the model).
#include <gtest/gtest.h>

#include "core/context.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

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
