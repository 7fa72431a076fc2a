// The YUV converters' calls that write nothing (what they write otherwise
// is checked against the models).
#include <gtest/gtest.h>

#include "core/context.h"
#include "yuv_interlaced_support.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

// Progressive, on every path: decimated I420, an RGB24 output smaller than
// its input, RGB24 to RGB32 and a refused size pair leave the destination
// alone; all but the refused size count the frame.
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

// Interlaced: a size pair outside the table is refused before the kernel
// and does not count the frame; a geometry the walk cannot cover (set
// through ppl_new_frame_size) reaches the kernel, which writes nothing but
// counts the frame.
TEST(InterlacedExamples, EveryCallCountsOneFrameAndRefusedSizesWriteNothing) {
  const struct {
    IntlSizes frame_size, call;
    uint8_t result;
    uint32_t frames;
  } rows[] = {{{720, 480, 720, 480}, {720, 480, 720, 480}, 1, 1},
              {{720, 480, 720, 480}, {720, 480, 360, 240}, 0, 0},
              {{136, 50, 136, 50}, {136, 50, 136, 50}, 0, 1}};
  for (const auto& row : rows) {
    ScopedContext ctx;
    ASSERT_EQ(ppl_new_frame_size(ctx, row.frame_size.in_width, row.frame_size.in_height), 1);
    const FieldSet f = random_fields(row.call, 9);
    for (const IntlCase& c : kIntlCases) {
      const std::vector<uint8_t> before(row.call.dst_bytes(c.output), 0xA5);
      std::vector<uint8_t> dst = before;
      const uint32_t frames = ppl_n_frame(ctx);
      EXPECT_EQ(run_intl_on_path(machine_paths().back(), c.convert, ctx, f, dst, row.call), row.result)
          << c.name << " " << size_name(row.call);
      if (row.result == 0) EXPECT_EQ(dst, before) << c.name << " " << size_name(row.call);
      EXPECT_EQ(ppl_n_frame(ctx), frames + row.frames) << c.name << " " << size_name(row.call);
    }
  }
}

}  // namespace
}  // namespace pplcam::test
