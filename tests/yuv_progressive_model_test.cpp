// The progressive converters on both kernel paths against the scalar model:
// random frames at every size pair the table accepts with decimation 0,
// every mirror combination, destinations pre-filled so that bytes the
// converters must leave (black lines) are checked too.
#include <gtest/gtest.h>

#include <vector>

#include "model/yuv_model.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_progressive_support.h"

namespace pplcam::test {
namespace {

using model::YuvInput;

// Every accepted pair with mode 0; "any height at least in_height" is
// sampled with an even and an odd surplus.
const YuvSizes kModeZeroSizes[] = {
    {320, 240, 320, 240},  {480, 480, 480, 480},  {480, 480, 480, 576},
    {480, 576, 480, 576},  {640, 480, 640, 480},  {704, 480, 704, 480},
    {704, 480, 704, 577},  {704, 576, 704, 576},  {704, 576, 704, 640},
    {720, 480, 720, 480},  {720, 480, 720, 507},  {720, 576, 720, 576},
    {1280, 1024, 1280, 1024},
};

struct I420Case {
  const char* name;
  YuvConverter convert;
  YuvInput input;
};
const I420Case kI420Cases[] = {
    {"YUYVToI420MMX", YUYVToI420MMX, YuvInput::kYuyv},
    {"UYVYToI420MMX", UYVYToI420MMX, YuvInput::kUyvy},
    {"YUYVYYYYToI420MMX", YUYVYYYYToI420MMX, YuvInput::kYyyy},
    {"UYVYYYYYToI420MMX", UYVYYYYYToI420MMX, YuvInput::kYyyy},
};

class ProgressiveModelTest : public ::testing::TestWithParam<YuvSizes> {
 protected:
  ScopedContext ctx_;
};

TEST_P(ProgressiveModelTest, I420MatchesModelOnEveryPathAndMirror) {
  const YuvSizes s = GetParam();
  const std::vector<uint8_t> before = random_bytes(s.i420_bytes(), 99);
  uint32_t seed = static_cast<uint32_t>(s.in_width * 7 + s.out_height);
  for (const I420Case& c : kI420Cases) {
    const size_t src_bytes = c.input == YuvInput::kYyyy ? s.yyyy_bytes() : s.packed422_bytes();
    const std::vector<uint8_t> src = random_bytes(src_bytes, ++seed);
    for (int mirrors = 0; mirrors < 4; ++mirrors) {
      const bool h = mirrors & 1, v = mirrors & 2;
      std::vector<uint8_t> want = before;
      model::model_to_i420(c.input, src.data(),
                           {s.in_width, s.in_height, s.out_width, s.out_height, h, v}, want.data());
      set_mirrors(ctx_, h, v);
      for (YuvPath p : kAllYuvPaths) {
        std::vector<uint8_t> got = before;
        EXPECT_EQ(run_on_path(p, c.convert, ctx_, src, got, s), 1);
        EXPECT_EQ(first_difference(got, want), "")
            << c.name << " on " << path_name(p) << ", h mirror " << h << ", v mirror " << v;
      }
    }
  }
}

TEST_P(ProgressiveModelTest, Rgb24MatchesModelOnEveryPathWhateverTheMirrors) {
  const YuvSizes s = GetParam();
  const std::vector<uint8_t> before = random_bytes(s.rgb24_bytes(), 98);
  struct Rgb24Case {
    const char* name;
    YuvConverter convert;
    YuvInput input;
  };
  const Rgb24Case cases[] = {{"YUYVToRGB24MMX", YUYVToRGB24MMX, YuvInput::kYuyv},
                             {"UYVYToRGB24MMX", UYVYToRGB24MMX, YuvInput::kUyvy}};
  uint32_t seed = static_cast<uint32_t>(s.in_width * 11 + s.out_height);
  for (const Rgb24Case& c : cases) {
    const std::vector<uint8_t> src = random_bytes(s.packed422_bytes(), ++seed);
    std::vector<uint8_t> want = before;
    model::model_to_rgb24(c.input, src.data(),
                          {s.in_width, s.in_height, s.out_width, s.out_height, false, false},
                          want.data());
    for (int mirrors : {0, 1, 3}) {
      set_mirrors(ctx_, mirrors & 1, mirrors & 2);
      for (YuvPath p : kAllYuvPaths) {
        std::vector<uint8_t> got = before;
        EXPECT_EQ(run_on_path(p, c.convert, ctx_, src, got, s), 1);
        EXPECT_EQ(first_difference(got, want), "")
            << c.name << " on " << path_name(p) << ", mirrors " << mirrors;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AcceptedSizes, ProgressiveModelTest, ::testing::ValuesIn(kModeZeroSizes),
                         [](const ::testing::TestParamInfo<YuvSizes>& info) {
                           return size_name(info.param);
                         });

// Frames built only from the values where the arithmetic changes course
// (luma clamp at 16, blue saturation near 255, chroma extremes), so every
// combination of boundaries meets in some pixel pair.
TEST(ProgressiveRgb24, BoundaryValuesMatchModelOnEveryPath) {
  ScopedContext ctx;
  const YuvSizes s{640, 480, 640, 480};
  const uint8_t values[] = {0, 1, 15, 16, 17, 127, 128, 129, 235, 236, 237, 240, 254, 255};
  std::vector<uint8_t> src = random_bytes(s.packed422_bytes(), 5);
  for (uint8_t& b : src) b = values[b % sizeof(values)];
  for (YuvInput in : {YuvInput::kYuyv, YuvInput::kUyvy}) {
    std::vector<uint8_t> want(s.rgb24_bytes(), 0);
    model::model_to_rgb24(in, src.data(), {640, 480, 640, 480, false, false}, want.data());
    for (YuvPath p : kAllYuvPaths) {
      std::vector<uint8_t> got(s.rgb24_bytes(), 0);
      run_on_path(p, in == YuvInput::kYuyv ? YUYVToRGB24MMX : UYVYToRGB24MMX, ctx, src, got, s);
      EXPECT_EQ(first_difference(got, want), "") << path_name(p);
    }
  }
}

}  // namespace
}  // namespace pplcam::test
