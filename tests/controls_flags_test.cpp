// Thresholds, mirrors, quality and flags: accepted ranges, packed forms and
// the stepping tables the mirrors rebuild.
#include <gtest/gtest.h>

#include <cstring>

#include "controls_packed.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

auto edge_threshold = [](const auto& k) -> const auto& { return k.edge_threshold; };
auto edge_factor = [](const auto& k) -> const auto& { return k.edge_factor; };
auto intl_3t = [](const auto& k) -> const auto& { return k.intl_3t_threshold; };

TEST(ControlsThresholds, EdgeThresholdRange) {
  ScopedContext c;
  expect_packed(c, edge_threshold, {100}, "default");
  EXPECT_EQ(ppl_set_edge_threshold(c, 1530), 1);
  expect_packed(c, edge_threshold, {1530}, "upper limit");
  EXPECT_EQ(ppl_set_edge_threshold(c, 0), 1);
  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_edge_threshold(c, 1531), 0);
  EXPECT_EQ(ppl_set_edge_threshold(c, -1), 0);
  EXPECT_EQ(ppl_edge_threshold(c), 0) << "a refusal stores nothing";
  EXPECT_TRUE(before.same_as(c));
  ppl_reset_edge_threshold(c);
  EXPECT_EQ(ppl_edge_threshold(c), 100);
  expect_packed(c, edge_threshold, {100}, "reset");
}

TEST(ControlsThresholds, EdgeEnhanceFactorPacksInUnitsOfOneSixtyFourth) {
  ScopedContext c;
  expect_packed(c, edge_factor, {8}, "default 32");
  EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 256), 1);
  expect_packed(c, edge_factor, {64}, "1.0");
  EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 7), 1);
  expect_packed(c, edge_factor, {1}, "truncated");
  EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 257), 0);
  EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, -4), 0);
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 7);
  ppl_reset_nf88_edge_enhance_factor(c);
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 32);
  expect_packed(c, edge_factor, {8}, "reset");
}

TEST(ControlsThresholds, Intl3TThresholdRange) {
  ScopedContext c;
  expect_packed(c, intl_3t, {50}, "default");
  EXPECT_EQ(ppl_set_intl_3T_threshold(c, 765), 1);
  expect_packed(c, intl_3t, {765}, "upper limit");
  EXPECT_EQ(ppl_set_intl_3T_threshold(c, 766), 0);
  EXPECT_EQ(ppl_set_intl_3T_threshold(c, INT32_MIN), 0);
  EXPECT_EQ(ppl_intl_3T_threshold(c), 765);
  ppl_reset_intl_3T_threshold(c);
  EXPECT_EQ(ppl_intl_3T_threshold(c), 50);
}

TEST(ControlsThresholds, WithoutTheFloatingPointStateOnlyThePlainValueChanges) {
  ScopedContext c;
  const ConstantsSnapshot before(c);
  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_edge_threshold(c, 200), 1);
    EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 64), 1);
    EXPECT_EQ(ppl_set_intl_3T_threshold(c, 70), 1);
  }
  EXPECT_EQ(ppl_edge_threshold(c), 200);
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 64);
  EXPECT_EQ(ppl_intl_3T_threshold(c), 70);
  EXPECT_TRUE(before.same_as(c));
}

bool same_steps(const PathGeometry& a, const PathGeometry& b) {
  return std::memcmp(&a.steps, &b.steps, sizeof a.steps) == 0;
}

TEST(ControlsMirrors, RebuildTheSteppingTablesAndRestoreThemExactly) {
  ScopedContext c;
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  const PathGeometry mmx = c->mmx_geometry, sse2 = c->sse2_geometry;

  EXPECT_EQ(ppl_set_h_mirror(c, 1), 1);
  EXPECT_EQ(ppl_h_mirror(c), 1);
  EXPECT_LT(c->mmx_geometry.steps.yuv422.pixel_step, 0);
  EXPECT_LT(c->sse2_geometry.steps.rgb24.pixel_step, 0);
  EXPECT_EQ(ppl_set_h_mirror(c, 0), 1);
  EXPECT_TRUE(same_steps(mmx, c->mmx_geometry));
  EXPECT_TRUE(same_steps(sse2, c->sse2_geometry));

  EXPECT_EQ(ppl_set_v_mirror(c, 0x80), 1);
  EXPECT_EQ(ppl_v_mirror(c), 0x80) << "the byte is stored as given";
  EXPECT_LT(c->mmx_geometry.steps.i420_y.row_stride, 0);
  EXPECT_GT(c->sse2_geometry.steps.rgb32.row_stride, 0) << "v mirror turns RGB top-down";
  EXPECT_EQ(ppl_set_h_mirror(c, 3), 1);
  ppl_reset_mirrors(c);
  EXPECT_EQ(ppl_h_mirror(c), 0);
  EXPECT_EQ(ppl_v_mirror(c), 0);
  EXPECT_TRUE(same_steps(mmx, c->mmx_geometry));
  EXPECT_TRUE(same_steps(sse2, c->sse2_geometry));
}

TEST(ControlsMirrors, WithoutTheFloatingPointStateTheFlagIsStoredAndTablesKept) {
  ScopedContext c;
  ASSERT_EQ(ppl_new_frame_size(c, 320, 240), 1);
  const PathGeometry mmx = c->mmx_geometry;
  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_h_mirror(c, 1), 1);
  }
  EXPECT_EQ(ppl_h_mirror(c), 1);
  EXPECT_TRUE(same_steps(mmx, c->mmx_geometry));
}

TEST(ControlsFlags, QualityRange) {
  ScopedContext c;
  EXPECT_EQ(ppl_quality(c), 3);
  EXPECT_EQ(ppl_set_quality(c, 5), 1);
  EXPECT_EQ(ppl_set_quality(c, 0), 1);
  EXPECT_EQ(ppl_set_quality(c, 6), 0);
  EXPECT_EQ(ppl_set_quality(c, -1), 0);
  EXPECT_EQ(ppl_quality(c), 0);
  ppl_reset_quality(c);
  EXPECT_EQ(ppl_quality(c), 3);
}

TEST(ControlsFlags, ByteFlagsAreStoredAsGiven) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_mean_collection(c, 0), 1);
  EXPECT_EQ(ppl_mean_collection(c), 0);
  EXPECT_EQ(ppl_set_mean_collection(c, 200), 1);
  EXPECT_EQ(ppl_mean_collection(c), 200);
  ppl_reset_mean_collection(c);
  EXPECT_EQ(ppl_mean_collection(c), 1);

  EXPECT_EQ(ppl_P3_only(c), 0);
  EXPECT_EQ(ppl_set_P3_only(c, 9), 1);
  EXPECT_EQ(ppl_P3_only(c), 9);
  ppl_reset_P3_only(c);
  EXPECT_EQ(ppl_P3_only(c), 0);
}

TEST(ControlsFlags, SensorTypeAcceptsTheFourKnownTags) {
  ScopedContext c;
  for (int32_t code : {0x5754, 0x5948, 0x42564F, 0x07544F4D}) {
    EXPECT_EQ(ppl_set_sensor_type(c, code), 1) << std::hex << code;
    EXPECT_EQ(ppl_sensor_type(c), code);
  }
  EXPECT_EQ(ppl_set_sensor_type(c, 0x42564F), 1);
  EXPECT_EQ(ppl_set_sensor_type(c, 0x4F56), 0);
  EXPECT_EQ(ppl_set_sensor_type(c, 0), 0);
  EXPECT_EQ(ppl_set_sensor_type(c, 0x544F4D), 0);
  EXPECT_EQ(ppl_sensor_type(c), 0x42564F);
}

}  // namespace
}  // namespace pplcam::test
