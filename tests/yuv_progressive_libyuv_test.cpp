// Interoperability: on random frames the I420 output of the YUYV and UYVY
// converters equals libyuv's YUY2ToI420 and UYVYToI420 byte for byte (both
// take the vertical chroma mean of a line pair with rounding half up).
#include <gtest/gtest.h>

#ifdef PPLCAM_TEST_LIBYUV

#include <libyuv/convert.h>

#include <vector>

#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

using LibyuvToI420 = int (*)(const uint8_t*, int, uint8_t*, int, uint8_t*, int, uint8_t*, int, int,
                             int);

std::vector<uint8_t> libyuv_i420(LibyuvToI420 conv, const std::vector<uint8_t>& src, int w, int h) {
  std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3 / 2);
  uint8_t* y = out.data();
  uint8_t* u = y + w * h;
  uint8_t* v = u + w * h / 4;
  EXPECT_EQ(conv(src.data(), 2 * w, y, w, u, w / 2, v, w / 2, w, h), 0);
  return out;
}

TEST(ProgressiveLibyuv, I420EqualsYuy2ToI420AndUyvyToI420) {
  ScopedContext ctx;
  const YuvSizes sizes[] = {{320, 240, 320, 240}, {720, 576, 720, 576}, {1280, 1024, 1280, 1024}};
  uint32_t seed = 40;
  for (const YuvSizes& s : sizes) {
    const std::vector<uint8_t> src = random_bytes(s.packed422_bytes(), ++seed);
    const std::vector<uint8_t> yuy2 = libyuv_i420(libyuv::YUY2ToI420, src, s.in_width, s.in_height);
    const std::vector<uint8_t> uyvy = libyuv_i420(libyuv::UYVYToI420, src, s.in_width, s.in_height);
    for (YuvPath p : kAllYuvPaths) {
      std::vector<uint8_t> got(s.i420_bytes());
      ASSERT_EQ(run_on_path(p, YUYVToI420MMX, ctx, src, got, s), 1);
      EXPECT_EQ(first_difference(got, yuy2), "") << "YUYV " << size_name(s) << " " << path_name(p);
      ASSERT_EQ(run_on_path(p, UYVYToI420MMX, ctx, src, got, s), 1);
      EXPECT_EQ(first_difference(got, uyvy), "") << "UYVY " << size_name(s) << " " << path_name(p);
    }
  }
}

}  // namespace
}  // namespace pplcam::test

#endif  // PPLCAM_TEST_LIBYUV
