// The interlaced converters on every kernel path of the machine against the scalar model:
// fields with still, slowly and fast moving regions and fully random
// fields, thresholds 0, 50 and 765, every output, decimation modes -1 to
// 2, with and without black lines. Destinations are pre-filled with noise,
// so every byte the converters must write is checked.
#include <gtest/gtest.h>

#include <vector>

#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_interlaced_support.h"

namespace pplcam::test {
namespace {

const IntlSizes kSizes[] = {
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

class InterlacedModelTest : public ::testing::TestWithParam<IntlSizes> {
 protected:
  ScopedContext ctx_;
};

TEST_P(InterlacedModelTest, EveryConverterMatchesModelOnEveryPath) {
  const IntlSizes s = GetParam();
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
            << c.name << " " << path_name(p) << " " << size_name(s);
        ASSERT_EQ(last_path(ctx_), p);
        std::vector<uint8_t>& want = wanted[group_bytes(p) == 16];
        if (want.empty()) want = model::model_interlaced(model_setup(c, ctx_, group_bytes(p)), fields.view(), c.output);
        ASSERT_EQ(describe_difference(got, want), "")
            << c.name << " " << path_name(p) << " " << size_name(s) << " threshold " << t;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, InterlacedModelTest, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<IntlSizes>& i) { return size_name(i.param); });

}  // namespace
}  // namespace pplcam::test
