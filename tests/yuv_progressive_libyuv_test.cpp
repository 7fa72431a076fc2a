// Interoperability: on random frames the I420 output of the YUYV and UYVY
// converters equals libyuv's YUY2ToI420 and UYVYToI420 byte for byte (both
// take the vertical chroma mean of a line pair, rounded half up).
#include <gtest/gtest.h>

#ifdef PPLCAM_TEST_LIBYUV

#include <libyuv/convert.h>

#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

TEST(ProgressiveLibyuv, I420EqualsYuy2ToI420AndUyvyToI420) {
  ScopedContext ctx;
  for (const YuvSizes& s : {YuvSizes{320, 240, 320, 240}, YuvSizes{720, 576, 720, 576}}) {
    const std::vector<uint8_t> src = random_bytes(s.pixels_in() * 2, 40);
    const int w = s.in_width, h = s.in_height;
    for (auto conv : {std::make_pair(YUYVToI420MMX, libyuv::YUY2ToI420),
                      std::make_pair(UYVYToI420MMX, libyuv::UYVYToI420)}) {
      std::vector<uint8_t> want(s.pixels_out() * 3 / 2);
      uint8_t* u = want.data() + w * h;
      ASSERT_EQ(conv.second(src.data(), 2 * w, want.data(), w, u, w / 2, u + w * h / 4, w / 2, w, h), 0);
      for (PathId p : machine_paths()) {
        std::vector<uint8_t> got(want.size());
        ASSERT_EQ(run_on_path(p, conv.first, ctx, src, got, s), 1);
        EXPECT_EQ(first_difference(got, want), -1) << s.name() << " " << path_name(p);
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test

#endif  // PPLCAM_TEST_LIBYUV
