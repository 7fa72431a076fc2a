// The progressive converters on both kernel paths against the scalar model:
// random frames (every byte value, so out-of-range YUV too) at every size
// pair the table accepts with decimation 0 and every mirror combination, and
// camera sizes beyond the table with large frames on,
// into destinations pre-filled so that black lines are checked as well.
#include <gtest/gtest.h>

#include "model/yuv_model.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

using model::YuvInput;

// "Any height at least in_height" is sampled with an even and an odd surplus.
const YuvSizes kModeZeroSizes[] = {
    {320, 240, 320, 240}, {480, 480, 480, 480}, {480, 480, 480, 576}, {480, 576, 480, 576},
    {640, 480, 640, 480}, {704, 480, 704, 480}, {704, 480, 704, 577}, {704, 576, 704, 576},
    {704, 576, 704, 640}, {720, 480, 720, 480}, {720, 480, 720, 507}, {720, 576, 720, 576},
    {1280, 1024, 1280, 1024}, {1920, 1080, 1920, 1080}, {3840, 2160, 3840, 2160},
};

struct Case {
  const char* name;
  YuvConverter convert;
  YuvInput input;
  bool rgb24;
};
const Case kCases[] = {
    {"YUYVToI420MMX", YUYVToI420MMX, YuvInput::kYuyv, false},
    {"UYVYToI420MMX", UYVYToI420MMX, YuvInput::kUyvy, false},
    {"YUYVYYYYToI420MMX", YUYVYYYYToI420MMX, YuvInput::kYyyy, false},
    {"UYVYYYYYToI420MMX", UYVYYYYYToI420MMX, YuvInput::kYyyy, false},
    {"YUYVToRGB24MMX", YUYVToRGB24MMX, YuvInput::kYuyv, true},
    {"UYVYToRGB24MMX", UYVYToRGB24MMX, YuvInput::kUyvy, true},
};

class ProgressiveModelTest : public ::testing::TestWithParam<YuvSizes> {};

TEST_P(ProgressiveModelTest, EveryPathAndMirrorMatchesTheModel) {
  ScopedContext ctx;
  const YuvSizes s = GetParam();
  if (s.in_width > 1280 || s.in_height > 1024) ASSERT_EQ(ctx.allow_large_frames(), 1);
  uint32_t seed = static_cast<uint32_t>(s.in_width * 7 + s.out_height);
  for (const Case& c : kCases) {
    const size_t src_bytes = s.pixels_in() * (c.input == YuvInput::kYyyy ? 3 : 4) / 2;
    const std::vector<uint8_t> src = random_bytes(src_bytes, ++seed);
    const std::vector<uint8_t> before = random_bytes(s.pixels_out() * (c.rgb24 ? 6 : 3) / 2, ++seed);
    for (int mirrors = 0; mirrors < 4; ++mirrors) {
      const bool h = mirrors & 1, v = mirrors & 2;
      std::vector<uint8_t> want = before;
      const model::YuvGeometry g{s.in_width, s.in_height, s.out_width, s.out_height, h, v};
      c.rgb24 ? model::model_to_rgb24(c.input, src.data(), g, want.data())
              : model::model_to_i420(c.input, src.data(), g, want.data());
      set_mirrors(ctx, h, v);
      for (PathId p : machine_paths()) {
        std::vector<uint8_t> got = before;
        EXPECT_EQ(run_on_path(p, c.convert, ctx, src, got, s), 1);
        EXPECT_EQ(last_path(ctx), p);
        EXPECT_EQ(first_difference(got, want), -1)
            << c.name << " on " << path_name(p) << ", h mirror " << h << ", v mirror " << v;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AcceptedSizes, ProgressiveModelTest, ::testing::ValuesIn(kModeZeroSizes),
                         [](const auto& info) { return info.param.name(); });

}  // namespace
}  // namespace pplcam::test
