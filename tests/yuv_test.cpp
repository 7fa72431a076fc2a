// The progressive and interlaced YUV converters on every kernel path of the
// machine against the scalar models: random frames (every byte value, so
// out-of-range YUV too) at the size pairs the table accepts and camera
// sizes beyond it with large frames on; interlaced fields with still,
// slowly and fast moving regions, thresholds 0, 50 and 765, decimations -1
// to 2. Destinations are pre-filled with noise, so that every byte the
// converters must write (black lines too) and every byte they must leave is
// checked. Then libyuv as an outside reference, and the calls that write
// nothing.
#include <gtest/gtest.h>

#ifdef PPLCAM_TEST_LIBYUV
#include <libyuv/convert.h>
#endif

#include "core/context.h"
#include "model/yuv_model.h"
#include "yuv_support.h"

namespace pplcam::test {
namespace {

using model::YuvInput;

// "Any height at least in_height" is sampled with an even and an odd surplus;
// beyond the table, a camera frame and the widest, shortest lines.
const YuvSizes kModeZeroSizes[] = {
    {320, 240, 320, 240}, {480, 480, 480, 480}, {480, 480, 480, 576}, {480, 576, 480, 576},
    {640, 480, 640, 480}, {704, 480, 704, 480}, {704, 480, 704, 577}, {704, 576, 704, 576},
    {704, 576, 704, 640}, {720, 480, 720, 480}, {720, 480, 720, 507}, {720, 576, 720, 576},
    {1280, 1024, 1280, 1024}, {1920, 1080, 1920, 1080}, {4096, 12, 4096, 12},
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
      ASSERT_EQ(ppl_set_h_mirror(ctx, h) & ppl_set_v_mirror(ctx, v), 1);
      for (PathId p : machine_paths()) {
        std::vector<uint8_t> got = before;
        EXPECT_EQ(run_on_path(p, c.convert, ctx, src, got, s), 1);
        EXPECT_EQ(last_path(ctx), p);
        EXPECT_TRUE(same_bytes(got, want))
            << c.name << " on " << path_name(p) << ", h mirror " << h << ", v mirror " << v;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AcceptedSizes, ProgressiveModelTest, ::testing::ValuesIn(kModeZeroSizes),
                         [](const auto& info) { return info.param.name(); });

const YuvSizes kSizes[] = {
    // decimation 0, without and with black lines (odd surplus: extra line below)
    {704, 480, 704, 480}, {704, 480, 704, 577}, {704, 576, 704, 576}, {704, 576, 704, 640},
    {720, 480, 720, 480}, {720, 480, 720, 507}, {720, 576, 720, 576}, {720, 576, 720, 600},
    {480, 480, 480, 480}, {480, 480, 480, 576}, {480, 576, 480, 576}, {640, 480, 640, 480},
    // decimation 1 and 2 (176 x 150: three black lines above, three below)
    {704, 480, 352, 240}, {704, 576, 352, 300}, {320, 240, 160, 120},
    {704, 480, 176, 120}, {704, 576, 176, 150}, {640, 480, 160, 120},
    // decimation -1
    {640, 480, 1280, 960},
    // beyond the table, with large frames on
    {1920, 1088, 1920, 1088},
};

class InterlacedModelTest : public ::testing::TestWithParam<YuvSizes> {
 protected:
  ScopedContext ctx_;
};

TEST_P(InterlacedModelTest, EveryConverterMatchesModelOnEveryPath) {
  const YuvSizes s = GetParam();
  if (s.in_width > 1280) ASSERT_EQ(ctx_.allow_large_frames(), 1);
  uint32_t seed = static_cast<uint32_t>(s.in_width * 31 + s.out_height);
  for (const IntlCase& c : kIntlCases) {
    ++seed;
    const FieldSet fields = seed % 3 == 0 ? random_fields(s, seed) : moving_and_still_fields(s, seed);
    const std::vector<uint8_t> before = random_bytes(s.dst_bytes(c.output), seed + 7);
    const std::vector<int> thresholds = c.motion ? std::vector<int>{0, 50, 765} : std::vector<int>{50};
    for (int t : thresholds) {
      ASSERT_EQ(ppl_set_intl_3T_threshold(ctx_, t), 1);
      std::vector<uint8_t> wanted[2];   // 8- and 16-byte groups (differ only at decimation 2)
      for (PathId p : machine_paths()) {
        std::vector<uint8_t> got = before;
        ASSERT_EQ(run_intl_on_path(p, c.convert, ctx_, fields, got, s), 1)
            << c.name << " " << path_name(p) << " " << s.name();
        ASSERT_EQ(last_path(ctx_), p);
        std::vector<uint8_t>& want = wanted[group_bytes(p) == 16];
        if (want.empty()) want = model::model_interlaced(model_setup(c, ctx_, group_bytes(p)), fields.view(), c.output);
        ASSERT_TRUE(same_bytes(got, want))
            << c.name << " " << path_name(p) << " " << s.name() << " threshold " << t;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, InterlacedModelTest, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<YuvSizes>& i) { return i.param.name(); });

#ifdef PPLCAM_TEST_LIBYUV
// Both take the vertical chroma mean of a line pair, rounded half up.
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
        EXPECT_TRUE(same_bytes(got, want)) << s.name() << " " << path_name(p);
      }
    }
  }
}
#endif  // PPLCAM_TEST_LIBYUV

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
      EXPECT_TRUE(same_bytes(dst, before)) << c.sizes.name() << " " << path_name(p);
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
    YuvSizes frame_size, call;
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
          << c.name << " " << row.call.name();
      if (row.result == 0) EXPECT_EQ(dst, before) << c.name << " " << row.call.name();
      EXPECT_EQ(ppl_n_frame(ctx), frames + row.frames) << c.name << " " << row.call.name();
    }
  }
}

}  // namespace
}  // namespace pplcam::test
