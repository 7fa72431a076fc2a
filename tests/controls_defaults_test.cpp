// ppl_init and ppl_reset_all_controls: every control default, reported
// through the getters and built into both paths' constants.
#include <gtest/gtest.h>

#include <cstring>

#include "controls/tone_tables.h"
#include "controls_packed.h"
#include "core/lifecycle.h"
#include "model/controls_model.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

class ControlsDefaults : public ::testing::Test {
 protected:
  void SetUp() override { load_entry(); }
  void TearDown() override { load_entry(); }
};

void expect_default_controls(ppl_context* c) {
  EXPECT_EQ(ppl_quality(c), 3);
  EXPECT_EQ(ppl_mean_collection(c), 1);
  EXPECT_EQ(ppl_P3_only(c), 0);
  EXPECT_EQ(ppl_decimation(c), 0);
  EXPECT_EQ(ppl_nf88_r_gain(c), 256);
  EXPECT_EQ(ppl_nf88_g_gain(c), 256);
  EXPECT_EQ(ppl_nf88_b_gain(c), 256);
  EXPECT_EQ(ppl_r_delta(c), 0);
  EXPECT_EQ(ppl_b_delta(c), 0);
  int32_t m[9];
  ppl_sensor_matrix(c, m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], i % 4 == 0 ? 256 : 0) << i;
  EXPECT_EQ(ppl_nf88_quals_g_gain(c), 256);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(ppl_r_dekneel_table(c)[i], i);
    ASSERT_EQ(ppl_g_dekneel_table(c)[i], i);
    ASSERT_EQ(ppl_b_dekneel_table(c)[i], i);
    ASSERT_EQ(ppl_contrast_table(c)[i], i);
  }
  EXPECT_EQ(ppl_qual_BmGb_min(c), -25);
  EXPECT_EQ(ppl_qual_GrmR_max(c), 25);
  EXPECT_EQ(ppl_qual_BmGb_p_GrmR_min(c), -30);
  EXPECT_EQ(ppl_qual_BmGb_m_GrmR_max(c), 30);
  EXPECT_EQ(ppl_qual_R_min(c), 0);
  EXPECT_EQ(ppl_qual_G_max(c), 255);
  EXPECT_EQ(ppl_qAE_RGB_min(c), 0);
  EXPECT_EQ(ppl_qAE_RGB_max(c), 255);
  EXPECT_EQ(ppl_edge_threshold(c), 100);
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 32);
  EXPECT_EQ(ppl_intl_3T_threshold(c), 50);
  EXPECT_EQ(ppl_nf88_sat(c), 256);
  EXPECT_EQ(ppl_hue_degree(c), 0);
  EXPECT_EQ(c->contrast_c, 0);
  int32_t setting = 99;
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, nullptr, nullptr), 1843);
  EXPECT_EQ(setting, 0);
  EXPECT_EQ(std::memcmp(ppl_rgb_gamma_table(c), kRgbGammaTables[32], 256), 0);
  EXPECT_EQ(std::memcmp(ppl_yuv_gamma_table(c), kYuvGammaTables[32], 256), 0);
  EXPECT_EQ(std::memcmp(ppl_rgb_contrast_gamma_table(c), kRgbGammaTables[32], 256), 0);
  EXPECT_EQ(std::memcmp(ppl_yuv_contrast_gamma_table(c), kYuvGammaTables[32], 256), 0);
  EXPECT_EQ(ppl_h_mirror(c), 0);
  EXPECT_EQ(ppl_v_mirror(c), 0);
}

void expect_default_constants(const ppl_context* c) {
  auto pick_gain = [](const auto& k) -> const auto& { return k.gain[kRowGR]; };
  expect_packed(c, pick_gain, {32}, "gains");
  expect_packed(c, [](const auto& k) -> const auto& { return k.delta[kRowBG]; }, {0}, "deltas");
  expect_packed(c, [](const auto& k) -> const auto& { return k.edge_threshold; }, {100}, "edge threshold");
  expect_packed(c, [](const auto& k) -> const auto& { return k.edge_factor; }, {8}, "edge factor");
  expect_packed(c, [](const auto& k) -> const auto& { return k.intl_3t_threshold; }, {50}, "3T threshold");
  expect_packed(c, [](const auto& k) -> const auto& { return k.qual_diff[kQualGrmR][0]; }, {-26}, "GrmR min - 1");
  expect_packed(c, [](const auto& k) -> const auto& { return k.qual_diff[kQualBmGbPGrmR][1]; }, {31}, "sum max + 1");
  expect_packed(c, [](const auto& k) -> const auto& { return k.qual_rgb[1]; }, {255}, "GR spans");
  expect_packed(c, [](const auto& k) -> const auto& { return k.qae[1]; }, {255}, "qAE min - 1");
  const ColourModel want = model_colour(model_adjustment(256, 0, 0), Matrix9{256, 0, 0, 0, 256, 0, 0, 0, 256});
  for (int i = 0; i < 9; ++i) {
    expect_packed(c, [i](const auto& k) -> const auto& { return k.c_ycc[i]; }, {want.c_ycc[i]}, "C_ycc");
    expect_packed(c, [i](const auto& k) -> const auto& { return k.c_rgb[i]; }, {want.c_rgb[i]}, "C_rgb");
  }
}

TEST_F(ControlsDefaults, FreshContextReportsEveryDefault) {
  ScopedContext c;
  expect_default_controls(c);
  expect_default_constants(c);
}

// Moves every control away from its default.
void change_everything(ppl_context* c) {
  ppl_set_decimation(c, 1, 2, 2);
  ppl_set_quality(c, 0);
  ppl_set_mean_collection(c, 0);
  ppl_set_P3_only(c, 1);
  const uint8_t zeros[256] = {};
  ppl_copy_g_dekneel_table(c, zeros);
  ppl_set_rgb_gain(c, 1, 2, 3);
  ppl_set_rgb_delta(c, 4, 5, 6);
  const int32_t m[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  ppl_copy_sensor_matrix(c, m);
  ppl_set_quals_rgb_gain(c, 7, 7, 7);
  ppl_set_qual_BmGb_min_max(c, -1, 1);
  ppl_set_qual_RGB_min_max(c, 1, 2, 3, 4, 5, 6);
  ppl_set_qAE_RGB_min_max(c, 7, 8);
  ppl_set_edge_threshold(c, 1000);
  ppl_set_nf88_edge_enhance_factor(c, 200);
  ppl_set_intl_3T_threshold(c, 10);
  ppl_set_contrast_c(c, 90, nullptr, nullptr);
  ppl_set_sat_hue(c, 33, 123);
  ppl_set_gamma(c, -20);
  ppl_set_h_mirror(c, 1);
  ppl_set_v_mirror(c, 1);
}

TEST_F(ControlsDefaults, ResetAllControlsGivesTheStateOfAFreshContext) {
  ScopedContext fresh;
  ScopedContext c;
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  ASSERT_EQ(ppl_new_frame_size(fresh, 640, 480), 1);
  change_everything(c);
  c->n_frame = 5;
  c->histogram[1][7] = 3;
  c->whole_frame.g = 1234;
  EXPECT_EQ(ppl_reset_all_controls(c), 1);

  expect_default_controls(c);
  EXPECT_EQ(std::memcmp(&c->mmx, &fresh->mmx, sizeof c->mmx), 0);
  EXPECT_EQ(std::memcmp(&c->sse2, &fresh->sse2, sizeof c->sse2), 0);
  EXPECT_EQ(std::memcmp(&c->mmx_geometry, &fresh->mmx_geometry, sizeof c->mmx_geometry), 0);
  EXPECT_EQ(std::memcmp(c->adjust, fresh->adjust, sizeof c->adjust), 0);
  EXPECT_EQ(std::memcmp(c->adjust_offset, fresh->adjust_offset, sizeof c->adjust_offset), 0);

  // Frame size and statistics are not controls.
  EXPECT_EQ(c->in_width, 640);
  EXPECT_EQ(c->n_frame, 5u);
  EXPECT_EQ(c->histogram[1][7], 3u);
  EXPECT_EQ(c->whole_frame.g, 1234u);
}

TEST_F(ControlsDefaults, ReusedSlotGetsDefaultsButKeepsTheSensorType) {
  ppl_context* c = ppl_init();
  ASSERT_NE(c, nullptr);
  change_everything(c);
  ASSERT_EQ(ppl_set_sensor_type(c, 0x5948), 1);
  ppl_free(c);
  ScopedContext again;
  ASSERT_EQ(again.get(), c);
  expect_default_controls(again);
  expect_default_constants(again);
  EXPECT_EQ(ppl_sensor_type(again), 0x5948);
}

TEST_F(ControlsDefaults, InitWithoutTheFloatingPointStateStoresValuesAndBuildsNothing) {
  ppl_context* slot = pool_slot(0);
  std::memset(static_cast<void*>(&slot->mmx), 0xA5, sizeof slot->mmx);
  std::memset(static_cast<void*>(&slot->sse2), 0x5A, sizeof slot->sse2);
  const ConstantsSnapshot poisoned(slot);
  ppl_context* c;
  {
    ScopedFpSaveFailure no_fp;
    c = ppl_init();
  }
  ASSERT_EQ(c, slot) << "ppl_init still succeeds";
  expect_default_controls(c);
  EXPECT_TRUE(poisoned.same_as(c)) << "no packed constant may be built";
  ppl_free(c);
}

}  // namespace
}  // namespace pplcam::test
