// Saturation, hue, contrast and gamma: ranges, the contrast curve against
// the model, the composites, and the stored gamma settings.
#include <gtest/gtest.h>

#include <cstring>

#include "controls/tone_tables.h"
#include "controls_packed.h"
#include "model/controls_model.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

TEST(ControlsSatHue, RangesAndHueNormalisation) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_hue(c, -90), 1);
  EXPECT_EQ(ppl_hue_degree(c), 270);
  EXPECT_EQ(ppl_set_hue(c, 450), 1);
  EXPECT_EQ(ppl_hue_degree(c), 90);
  const auto before = constants_bytes(c);
  EXPECT_EQ(ppl_set_sat_hue(c, 513, 10), 0);
  EXPECT_EQ(ppl_set_sat(c, -1), 0);
  EXPECT_EQ(ppl_nf88_sat(c), 256);
  EXPECT_EQ(ppl_hue_degree(c), 90);
  EXPECT_EQ(constants_bytes(c), before);
  EXPECT_EQ(ppl_set_sat_hue(c, 512, 0), 1);
}

// A level c stretches (c > 0) or compresses the curve through the point it
// reports; the curve itself is checked against the model below.
TEST(ControlsContrast, LevelsGiveTheirPointAndOutOfRangeIsRefused) {
  ScopedContext c;
  const uint8_t* t = ppl_contrast_table(c);
  uint32_t x = 99, y = 99;
  for (int level : {64, -64}) {
    ASSERT_EQ(ppl_set_contrast_c(c, level, &x, &y), 1);
    EXPECT_EQ(x, level > 0 ? 64u : 0u);
    EXPECT_EQ(y, level > 0 ? 0u : 64u);
    EXPECT_EQ(std::memcmp(t, model_contrast(x, y).data(), 256), 0) << level;
  }
  EXPECT_EQ(ppl_set_contrast_c(c, 128, &x, &y), 0);
  EXPECT_EQ(ppl_set_contrast_xy(c, 128, 0), 0);
  EXPECT_EQ(ppl_set_contrast_xy(c, -1, 0), 0);
  EXPECT_EQ(c->contrast_c, -64);
  EXPECT_EQ(y, 64u);
  EXPECT_EQ(ppl_reset_contrast(c), 1);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], i);
}

TEST(ControlsContrast, CurveMatchesTheModelForEveryPoint) {
  ScopedContext c;
  for (int x = 0; x <= 127; ++x)
    for (int y : {0, 1, 17, 64, 127, 128, 200, 255}) {
      ASSERT_EQ(ppl_set_contrast_xy(c, x, y), 1);
      const auto want = model_contrast(x, y);
      ASSERT_EQ(std::memcmp(ppl_contrast_table(c), want.data(), 256), 0) << "x " << x << " y " << y;
    }
  EXPECT_EQ(ppl_set_contrast_xy(c, 5, INT32_MAX), 1) << "a far-out y is no fault";
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
  uint8_t curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = static_cast<uint8_t>(255 - i);
  ASSERT_EQ(ppl_set_contrast_c(c, 30, nullptr, nullptr), 1);
  expect_composites(c);
  ASSERT_EQ(ppl_set_gamma(c, 12), 1);
  expect_composites(c);
  ASSERT_EQ(ppl_copy_rgb_gamma_table(c, curve), 1);
  expect_composites(c);
  ASSERT_EQ(ppl_copy_yuv_gamma_table(c, curve), 1);
  expect_composites(c);
  const auto before = constants_bytes(c);
  ASSERT_EQ(ppl_copy_contrast_table(c, curve), 1);
  expect_composites(c);
  EXPECT_EQ(c->contrast_c, 30) << "a copied curve keeps the level";
  EXPECT_EQ(constants_bytes(c), before) << "and the matrices";
}

TEST(ControlsGamma, SettingsAndCopiedCurves) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_gamma(c, 33), 0);
  ASSERT_EQ(ppl_set_gamma(c, -32), 1);
  int32_t setting = 0, lo = 0, hi = 0;
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, &lo, &hi), 8260);
  EXPECT_EQ(setting, -32);
  EXPECT_EQ(lo, -32);
  EXPECT_EQ(hi, 32);
  EXPECT_EQ(std::memcmp(ppl_rgb_gamma_table(c), kRgbGammaTables[0], 256), 0);
  EXPECT_EQ(std::memcmp(ppl_yuv_gamma_table(c), kYuvGammaTables[0], 256), 0);
  EXPECT_EQ(ppl_rgb_gamma_table(c), c->rgb_gamma) << "the table the conditioning reads";

  ASSERT_EQ(ppl_set_gamma(c, 7), 1);
  EXPECT_EQ(ppl_copy_rgb_gamma_table(c, kRgbGammaTables[3]), 1);
  EXPECT_EQ(ppl_nf20_12_gamma(c, &setting, nullptr, nullptr), 0) << "a copied curve has no exponent";
  EXPECT_EQ(setting, 7);
  ppl_reset_gamma(c);
  EXPECT_EQ(ppl_nf20_12_gamma(c, nullptr, nullptr, nullptr), 1843);
}

}  // namespace
}  // namespace pplcam::test
