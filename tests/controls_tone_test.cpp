// Saturation, hue, contrast and gamma: accepted ranges, the stored values,
// the contrast curve against the model, and the composites.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "controls/tone_tables.h"
#include "controls_packed.h"
#include "model/controls_model.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

TEST(ControlsSatHue, HueIsStoredModulo360AndSatIsBounded) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_hue(c, -90), 1);
  EXPECT_EQ(ppl_hue_degree(c), 270);
  EXPECT_EQ(ppl_set_hue(c, 450), 1);
  EXPECT_EQ(ppl_hue_degree(c), 90);
  EXPECT_EQ(ppl_set_hue(c, -720), 1);
  EXPECT_EQ(ppl_hue_degree(c), 0);
  EXPECT_EQ(ppl_set_hue(c, INT32_MIN), 1);
  EXPECT_EQ(ppl_hue_degree(c), ((INT32_MIN % 360) + 360) % 360);

  ASSERT_EQ(ppl_set_sat(c, 300), 1);
  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_sat_hue(c, 513, 10), 0);
  EXPECT_EQ(ppl_set_sat(c, -1), 0);
  EXPECT_EQ(ppl_nf88_sat(c), 300);
  EXPECT_EQ(ppl_hue_degree(c), ((INT32_MIN % 360) + 360) % 360) << "a refused call stores nothing";
  EXPECT_TRUE(before.same_as(c));

  EXPECT_EQ(ppl_set_sat_hue(c, 512, 0), 1);
  EXPECT_EQ(ppl_set_sat(c, 0), 1);
  EXPECT_EQ(ppl_reset_sat_hue(c), 1);
  EXPECT_EQ(ppl_nf88_sat(c), 256);
  EXPECT_EQ(ppl_hue_degree(c), 0);
}

TEST(ControlsSatHue, QuarterTurnSwapsTheChromaComponents) {
  // Hue 90 rotates (U, V) to (-V, U): in the full-range yuv matrix the U
  // row becomes minus the neutral V row and the V row the neutral U row.
  ScopedContext c;
  ASSERT_EQ(ppl_set_sat_hue(c, 256, 90), 1);
  EXPECT_EQ(model_sin(90), 4096);
  EXPECT_EQ(model_cos(90), 0);
  const Adjustment neutral = model_adjustment(256, 0, 0);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(c->adjust[1][3 + j], -neutral.p[1][6 + j]);
    EXPECT_EQ(c->adjust[1][6 + j], neutral.p[1][3 + j]);
    EXPECT_EQ(c->adjust[1][j], neutral.p[1][j]) << "luma row unchanged";
  }
}

TEST(ControlsSatHue, DoubleSaturationDoublesTheChromaRows) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_sat_hue(c, 512, 0), 1);
  const Adjustment neutral = model_adjustment(256, 0, 0);
  for (int j = 3; j < 9; ++j) EXPECT_NEAR(c->adjust[2][j], 2 * neutral.p[2][j], 1) << j;
}

TEST(ControlsSatHue, WithoutTheFloatingPointStateMatricesAreComputedButNotPacked) {
  ScopedContext c;
  const ConstantsSnapshot before(c);
  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_sat_hue(c, 128, 45), 1);
  }
  EXPECT_EQ(ppl_nf88_sat(c), 128);
  EXPECT_EQ(ppl_hue_degree(c), 45);
  EXPECT_EQ(c->adjust[0][4], model_adjustment(128, 45, 0).p[0][4]);
  EXPECT_TRUE(before.same_as(c));
}

TEST(ControlsSatHue, ContrastLevelOutsideItsRangeIsRefusedAfterStoring) {
  ScopedContext c;
  c->contrast_c = 129;   // only reachable by writing the field directly
  EXPECT_EQ(ppl_set_sat_hue(c, 200, 20), 0);
  EXPECT_EQ(ppl_nf88_sat(c), 200);
  EXPECT_EQ(ppl_hue_degree(c), 20);
}

TEST(ControlsContrast, PositiveLevelStretches) {
  ScopedContext c;
  uint32_t x = 99, y = 99;
  ASSERT_EQ(ppl_set_contrast_c(c, 64, &x, &y), 1);
  EXPECT_EQ(x, 64u);
  EXPECT_EQ(y, 0u);
  const uint8_t* t = ppl_contrast_table(c);
  for (int i = 0; i <= 64; ++i) ASSERT_EQ(t[i], 0) << i;
  EXPECT_EQ(t[191], 254);
  for (int i = 192; i < 256; ++i) ASSERT_EQ(t[i], 255) << i;
  for (int i = 1; i < 256; ++i) ASSERT_GE(t[i], t[i - 1]);
  // Luma gain 1 + 2 x 64 / 256 in the matrices, pivoting at 128.
  EXPECT_EQ(c->adjust_offset[0], 32768 - 128 * 384);
}

TEST(ControlsContrast, NegativeLevelCompresses) {
  ScopedContext c;
  uint32_t x = 99, y = 99;
  ASSERT_EQ(ppl_set_contrast_c(c, -64, &x, &y), 1);
  EXPECT_EQ(x, 0u);
  EXPECT_EQ(y, 64u);
  EXPECT_EQ(ppl_contrast_table(c)[0], 64);
  EXPECT_EQ(ppl_contrast_table(c)[255], 190);
  EXPECT_EQ(c->adjust_offset[1], 32768 - 128 * 192);
  EXPECT_EQ(ppl_set_contrast_c(c, -127, nullptr, nullptr), 1);
  EXPECT_EQ(c->contrast_c, -127);
}

TEST(ControlsContrast, RefusalsStoreNothing) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_contrast_c(c, 10, nullptr, nullptr), 1);
  uint8_t before[256];
  std::memcpy(before, ppl_contrast_table(c), 256);
  uint32_t x = 7, y = 7;
  EXPECT_EQ(ppl_set_contrast_c(c, 128, &x, &y), 0);
  EXPECT_EQ(ppl_set_contrast_c(c, -128, &x, &y), 0);
  EXPECT_EQ(x, 7u) << "a refused level reports nothing";
  EXPECT_EQ(ppl_set_contrast_xy(c, 128, 0), 0);
  EXPECT_EQ(ppl_set_contrast_xy(c, -1, 0), 0);
  EXPECT_EQ(c->contrast_c, 10);
  EXPECT_EQ(c->contrast_x, 10);
  EXPECT_EQ(std::memcmp(before, ppl_contrast_table(c), 256), 0);
}

TEST(ControlsContrast, CurveMatchesTheModelForEveryPoint) {
  ScopedContext c;
  for (int x = 0; x <= 127; ++x) {
    for (int y : {0, 1, 17, 64, 100, 127, 128, 200, 255}) {
      ASSERT_EQ(ppl_set_contrast_xy(c, x, y), 1);
      const auto want = model_contrast(x, y);
      ASSERT_EQ(std::memcmp(ppl_contrast_table(c), want.data(), 256), 0) << "x " << x << " y " << y;
    }
  }
  ASSERT_EQ(ppl_set_contrast_xy(c, 0, 0), 1);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(ppl_contrast_table(c)[i], i) << "x = y = 0 is the identity";
  // A far-out y gives some curve, without faults.
  EXPECT_EQ(ppl_set_contrast_xy(c, 5, INT32_MAX), 1);
  EXPECT_EQ(ppl_set_contrast_xy(c, 0, INT32_MIN), 1);
}

TEST(ControlsContrast, ResetAndCopy) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_contrast_c(c, 50, nullptr, nullptr), 1);
  EXPECT_EQ(ppl_reset_contrast(c), 1);
  EXPECT_EQ(c->contrast_c, 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(ppl_contrast_table(c)[i], i);

  ASSERT_EQ(ppl_set_contrast_c(c, -20, nullptr, nullptr), 1);
  const ConstantsSnapshot before(c);
  uint8_t curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = static_cast<uint8_t>(i / 2);
  EXPECT_EQ(ppl_copy_contrast_table(c, curve), 1);
  EXPECT_EQ(std::memcmp(ppl_contrast_table(c), curve, 256), 0);
  EXPECT_EQ(c->contrast_c, -20) << "a copied curve leaves the level";
  EXPECT_TRUE(before.same_as(c)) << "and the matrices";
  EXPECT_EQ(ppl_copy_contrast_table(c, nullptr), 0);
}

void expect_composites(ppl_context* c) {
  const uint8_t* k = ppl_contrast_table(c);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(ppl_yuv_contrast_gamma_table(c)[i], ppl_yuv_gamma_table(c)[k[i]]) << i;
    ASSERT_EQ(ppl_rgb_contrast_gamma_table(c)[i], ppl_rgb_gamma_table(c)[k[i]]) << i;
  }
}

TEST(ControlsContrast, CompositesFollowEveryCurveChange) {
  ScopedContext c;
  expect_composites(c);
  ASSERT_EQ(ppl_set_contrast_c(c, 30, nullptr, nullptr), 1);
  expect_composites(c);
  ASSERT_EQ(ppl_set_gamma(c, 12), 1);
  expect_composites(c);
  uint8_t curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = static_cast<uint8_t>(255 - i);
  ASSERT_EQ(ppl_copy_rgb_gamma_table(c, curve), 1);
  expect_composites(c);
  ASSERT_EQ(ppl_copy_yuv_gamma_table(c, curve), 1);
  expect_composites(c);
  ASSERT_EQ(ppl_copy_contrast_table(c, curve), 1);
  expect_composites(c);
}

TEST(ControlsGamma, SettingsLoadTheirCurvesAndExponent) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_gamma(c, 33), 0);
  EXPECT_EQ(ppl_set_gamma(c, -33), 0);
  int32_t setting = 99, lo = 99, hi = 99;
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, &lo, &hi), 1843);
  EXPECT_EQ(setting, 0);

  ASSERT_EQ(ppl_set_gamma(c, -32), 1);
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, &lo, &hi), 8260);
  EXPECT_EQ(setting, -32);
  EXPECT_EQ(lo, -32);
  EXPECT_EQ(hi, 32);
  EXPECT_EQ(std::memcmp(ppl_rgb_gamma_table(c), kRgbGammaTables[0], 256), 0);
  EXPECT_EQ(std::memcmp(ppl_yuv_gamma_table(c), kYuvGammaTables[0], 256), 0);
  EXPECT_EQ(ppl_rgb_gamma_table(c), c->rgb_gamma) << "the conditioning reads this table";

  ASSERT_EQ(ppl_set_gamma(c, 32), 1);
  EXPECT_EQ(ppl_nf20_12_gamma(c, nullptr, nullptr, nullptr), 411);
  ppl_reset_gamma(c);
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, nullptr, nullptr), 1843);
  EXPECT_EQ(setting, 0);
}

TEST(ControlsGamma, CopiedCurvesHaveNoExponentAndKeepTheSetting) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_gamma(c, 7), 1);
  uint8_t curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = static_cast<uint8_t>(i ^ 0x55);
  EXPECT_EQ(ppl_copy_rgb_gamma_table(c, curve), 1);
  int32_t setting = 0;
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, nullptr, nullptr), 0);
  EXPECT_EQ(setting, 7);
  EXPECT_EQ(std::memcmp(ppl_rgb_gamma_table(c), curve, 256), 0);
  EXPECT_EQ(std::memcmp(ppl_yuv_gamma_table(c), kYuvGammaTables[7 + 32], 256), 0);

  ASSERT_EQ(ppl_set_gamma(c, 7), 1);
  EXPECT_EQ(ppl_copy_yuv_gamma_table(c, curve), 1);
  EXPECT_EQ(ppl_nf20_12_gamma(c, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(ppl_copy_yuv_gamma_table(c, nullptr), 0);
  EXPECT_EQ(ppl_copy_rgb_gamma_table(c, nullptr), 0);
}

}  // namespace
}  // namespace pplcam::test
