// The context pool (eight slots, lowest free first) and the control defaults
// every hand-out and ppl_reset_all_controls give, through the getters and in
// every width's constants.
#include <gtest/gtest.h>

#include "controls/tone_tables.h"
#include "controls_packed.h"
#include "core/lifecycle.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

class ControlsDefaults : public ::testing::Test {
 protected:
  void SetUp() override { load_entry(); }
  void TearDown() override { load_entry(); }
};

TEST_F(ControlsDefaults, PoolHandsOutEightSlotsLowestFreeFirst) {
  std::vector<ppl_context*> taken;
  for (int i = 0; i < 8; ++i) taken.push_back(ppl_init());
  for (int i = 0; i < 8; ++i) EXPECT_EQ(taken[i], pool_slot(i)) << "slot " << i;
  EXPECT_EQ(ppl_init(), nullptr) << "a ninth context is refused";
  EXPECT_EQ(ppl_free(taken[5]), 1);
  EXPECT_EQ(ppl_free(taken[2]), 1);
  EXPECT_EQ(ppl_init(), taken[2]);
  EXPECT_EQ(ppl_init(), taken[5]);
  EXPECT_EQ(ppl_free(nullptr), 0);
  EXPECT_EQ(DllUnload(), 0u);
}

void expect_default_controls(ppl_context* c) {
  int32_t m[9];
  ppl_sensor_matrix(c, m);
  EXPECT_EQ(std::vector<int32_t>(m, m + 9), (std::vector<int32_t>{256, 0, 0, 0, 256, 0, 0, 0, 256}));
  EXPECT_EQ((std::vector<int>{ppl_quality(c), ppl_mean_collection(c), ppl_P3_only(c), ppl_decimation(c),
                              ppl_decimation_top_black_lines(c), ppl_decimation_bottom_black_lines(c)}),
            (std::vector<int>{3, 1, 0, 0, 0, 0}));
  EXPECT_EQ((std::vector<int>{ppl_nf88_r_gain(c), ppl_nf88_g_gain(c), ppl_nf88_b_gain(c), ppl_g_delta(c),
                              ppl_nf88_quals_b_gain(c)}),
            (std::vector<int>{256, 256, 256, 0, 256}));
  EXPECT_EQ((std::vector<int>{ppl_qual_BmGb_min(c), ppl_qual_GrmR_max(c), ppl_qual_BmGb_p_GrmR_min(c),
                              ppl_qual_BmGb_m_GrmR_max(c), ppl_qual_R_min(c), ppl_qual_G_max(c), ppl_qAE_RGB_min(c),
                              ppl_qAE_RGB_max(c)}),
            (std::vector<int>{-25, 25, -30, 30, 0, 255, 0, 255}));
  EXPECT_EQ((std::vector<int>{ppl_edge_threshold(c), ppl_nf88_edge_enhance_factor(c), ppl_intl_3T_threshold(c),
                              ppl_nf88_sat(c), ppl_hue_degree(c), ppl_h_mirror(c), ppl_v_mirror(c)}),
            (std::vector<int>{100, 32, 50, 256, 0, 0, 0}));
  int32_t setting = 99;
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, nullptr, nullptr), 1843);
  EXPECT_EQ(setting, 0);
  EXPECT_EQ(std::memcmp(ppl_rgb_contrast_gamma_table(c), kRgbGammaTables[32], 256), 0);
  EXPECT_EQ(std::memcmp(ppl_yuv_contrast_gamma_table(c), kYuvGammaTables[32], 256), 0);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(ppl_contrast_table(c)[i], i);
    for (auto table : {ppl_r_dekneel_table, ppl_g_dekneel_table, ppl_b_dekneel_table}) ASSERT_EQ(table(c)[i], i);
  }
}

// Moves controls away from their defaults.
void change_everything(ppl_context* c) {
  const uint8_t zeros[256] = {};
  const int32_t m[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  ppl_set_decimation(c, 1, 2, 2);
  ppl_set_quality(c, 0);
  ppl_set_P3_only(c, 1);
  ppl_copy_g_dekneel_table(c, zeros);
  ppl_set_rgb_gain(c, 1, 2, 3);
  ppl_set_rgb_delta(c, 4, 5, 6);
  ppl_copy_sensor_matrix(c, m);
  ppl_set_quals_rgb_gain(c, 7, 7, 7);
  ppl_set_qual_BmGb_min_max(c, -1, 1);
  ppl_set_qual_RGB_min_max(c, 1, 2, 3, 4, 5, 6);
  ppl_set_qAE_RGB_min_max(c, 7, 8);
  ppl_set_edge_threshold(c, 1000);
  ppl_set_intl_3T_threshold(c, 10);
  ppl_set_contrast_c(c, 90, nullptr, nullptr);
  ppl_set_sat_hue(c, 33, 123);
  ppl_set_gamma(c, -20);
  ppl_set_h_mirror(c, 1);
  ppl_set_v_mirror(c, 1);
}

TEST_F(ControlsDefaults, ResetAllControlsGivesTheStateOfAFreshContext) {
  ScopedContext fresh, c;
  expect_default_controls(fresh);
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  ASSERT_EQ(ppl_new_frame_size(fresh, 640, 480), 1);
  change_everything(c);
  c->n_frame = 5;
  c->whole_frame.g = 1234;
  EXPECT_EQ(ppl_reset_all_controls(c), 1);
  expect_default_controls(c);
  EXPECT_EQ(constants_bytes(fresh), constants_bytes(c));
  EXPECT_EQ(std::memcmp(&c->steps, &fresh->steps, sizeof c->steps), 0);
  EXPECT_EQ(std::memcmp(c->adjust, fresh->adjust, sizeof c->adjust), 0);
  EXPECT_EQ(c->in_width, 640) << "frame size and statistics are not controls";
  EXPECT_EQ(ppl_n_frame(c), 5u);
  EXPECT_EQ(c->whole_frame.g, 1234u);
}

// A slot handed out again gets the control defaults but keeps the sensor
// type, the frame size and the frame counter.
TEST_F(ControlsDefaults, ReusedSlotGetsDefaultsButKeepsSensorTypeFrameSizeAndCounter) {
  ppl_context* c = ppl_init();
  change_everything(c);
  ASSERT_EQ(ppl_set_sensor_type(c, 0x5948), 1);
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  c->n_frame = 41;
  ppl_free(c);
  ScopedContext fresh_slot, again;   // slot 0 again: a reused one
  ASSERT_EQ(fresh_slot.get(), c);
  expect_default_controls(fresh_slot);
  EXPECT_EQ(constants_bytes(again), constants_bytes(fresh_slot));
  EXPECT_EQ(ppl_sensor_type(fresh_slot), 0x5948);
  EXPECT_EQ(fresh_slot->in_width, 640);
  EXPECT_EQ(fresh_slot->in_height, 480);
  EXPECT_EQ(ppl_n_frame(fresh_slot), 41u);
}

TEST_F(ControlsDefaults, InitWithoutTheFloatingPointStateStoresValuesAndBuildsNothing) {
  ppl_context* slot = pool_slot(0);
  for_each_group([&](auto tag) {
    auto& k = group_constants<decltype(tag)::kGroup>(slot);
    std::memset(static_cast<void*>(&k), 0xA5, sizeof k);
  });
  const auto poisoned = constants_bytes(slot);
  ppl_context* c;
  {
    ScopedFpSaveFailure no_fp;
    c = ppl_init();
  }
  ASSERT_EQ(c, slot) << "ppl_init still succeeds";
  expect_default_controls(c);
  EXPECT_EQ(poisoned, constants_bytes(c));
  ppl_free(c);
}

}  // namespace
}  // namespace pplcam::test
