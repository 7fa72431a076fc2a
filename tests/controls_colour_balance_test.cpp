// White balance and the colour matrices: which packed constants each setter
// rebuilds, and the matrices against the plain model.
#include <gtest/gtest.h>

#include <random>

#include "controls_packed.h"
#include "model/controls_model.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

TEST(ControlsGains, PackPerRowPairAndRefuseOutOfRangeKeepingTheStoredValue) {
  ScopedContext c;
  expect_packed(c, PPL_PICK(gain[kRowBG]), {32}, "default gains");
  ASSERT_EQ(ppl_set_rgb_gain(c, 300, 517, 2047), 1);
  expect_packed(c, PPL_PICK(gain[kRowBG]), {2047 >> 3, 517 >> 3}, "BG: b, g");
  expect_packed(c, PPL_PICK(gain[kRowGR]), {517 >> 3, 300 >> 3}, "GR: g, r");

  const auto before = constants_bytes(c);
  EXPECT_EQ(ppl_set_r_gain(c, 2048), 0);
  EXPECT_EQ(ppl_set_rgb_gain(c, 100, -1, 100), 0);
  EXPECT_EQ(ppl_nf88_r_gain(c), 100);
  EXPECT_EQ(ppl_nf88_g_gain(c), -1);
  EXPECT_EQ(constants_bytes(c), before);

  // A one-channel setter checks only its channel and rebuilds only the
  // rows holding it, taking the partner channel as stored.
  ASSERT_EQ(ppl_set_g_gain(c, 3000), 0);
  ASSERT_EQ(ppl_set_r_gain(c, 400), 1);
  expect_packed(c, PPL_PICK(gain[kRowGR]), {3000 >> 3, 50}, "GR with the stored g");
  expect_packed(c, PPL_PICK(gain[kRowBG]), {2047 >> 3, 517 >> 3}, "BG untouched by r");
  ASSERT_EQ(ppl_set_b_gain(c, 0), 1);
  expect_packed(c, PPL_PICK(gain[kRowBG]), {0, 3000 >> 3}, "BG with the stored g");
  ppl_reset_rgb_gain(c);
  expect_packed(c, PPL_PICK(gain[kRowGR]), {32}, "reset");
}

TEST(ControlsDeltas, SixteenBitRangeAndRowPairs) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_rgb_delta(c, -7, 12, 300), 1);
  EXPECT_EQ(ppl_set_b_delta(c, -32768), 1);
  expect_packed(c, PPL_PICK(delta[kRowBG]), {-32768, 12}, "BG: b, g");
  expect_packed(c, PPL_PICK(delta[kRowGR]), {12, -7}, "GR: g, r");
  const auto before = constants_bytes(c);
  EXPECT_EQ(ppl_set_b_delta(c, 32768), 0);
  EXPECT_EQ(ppl_set_rgb_delta(c, 0, -32769, 0), 0);
  EXPECT_EQ(ppl_b_delta(c), 0);
  EXPECT_EQ(ppl_g_delta(c), -32769);
  EXPECT_EQ(constants_bytes(c), before);
  ASSERT_EQ(ppl_set_r_delta(c, 5), 1);
  expect_packed(c, PPL_PICK(delta[kRowGR]), {int16_t(-32769 & 0xFFFF), 5}, "GR with the stored g");
}

TEST(ControlsExtras, QualsGainsAndDekneelCopiesStoreButReturnZero) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_quals_rgb_gain(c, 512, 513, 514), 0);
  EXPECT_EQ(ppl_set_quals_b_gain(c, -5), 0);
  EXPECT_EQ(ppl_nf88_quals_r_gain(c), 512);
  EXPECT_EQ(ppl_nf88_quals_b_gain(c), -5);
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  EXPECT_EQ(ppl_copy_r_dekneel_table(c, table), 0);
  EXPECT_EQ(std::memcmp(ppl_r_dekneel_table(c), table, 256), 0);
  ppl_reset_rgb_dekneel_table(c);
  EXPECT_EQ(ppl_r_dekneel_table(c)[3], 3);
}

void expect_colour_constants(const ppl_context* c, const ColourModel& want, const std::string& what) {
  for (int i = 0; i < 9; ++i) {
    expect_packed(c, PPL_PICK(c_rgb[i]), {want.c_rgb[i]}, "C_rgb " + what);
    expect_packed(c, PPL_PICK(c_yuv[i]), {want.c_yuv[i]}, "C_yuv " + what);
    expect_packed(c, PPL_PICK(c_ycc[i]), {want.c_ycc[i]}, "C_ycc " + what);
  }
  for (int i = 0; i < 3; ++i) expect_packed(c, PPL_PICK(matrix_offset[i]), {want.offset[i]}, "offset " + what);
}

TEST(ControlsColourMatrix, MatchesTheModelForRandomControlsWithClamping) {
  ScopedContext c;
  std::mt19937 rng(1234);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  expect_colour_constants(c, model_colour(model_adjustment(256, 0, 0), {256, 0, 0, 0, 256, 0, 0, 0, 256}), "defaults");
  for (int round = 0; round < 200 && !::testing::Test::HasFailure(); ++round) {
    Matrix9 m;
    const int span = round % 4 == 0 ? 100000 : 400;   // every fourth clamps
    for (auto& v : m) v = pick(-span, span);
    const int sat = pick(0, 512), hue = pick(-1000, 1000), contrast = pick(-127, 127);
    ASSERT_EQ(ppl_copy_sensor_matrix(c, m.data()), 1);
    ASSERT_EQ(ppl_set_contrast_c(c, contrast, nullptr, nullptr), 1);
    ASSERT_EQ(ppl_set_sat_hue(c, sat, hue), 1);
    expect_colour_constants(c, model_colour(model_adjustment(sat, hue, contrast), m),
                            "sat " + std::to_string(sat) + " hue " + std::to_string(hue) + " contrast " + std::to_string(contrast));
  }
}

TEST(ControlsColourBalance, WithoutTheFloatingPointStateValuesAreStoredAndNothingIsBuilt) {
  ScopedContext c;
  const auto before = constants_bytes(c);
  const int32_t m[9] = {300, 0, 0, 0, 300, 0, 0, 0, 300};
  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_rgb_gain(c, 100, 200, 300), 1);
    EXPECT_EQ(ppl_set_g_delta(c, 99), 1);
    EXPECT_EQ(ppl_copy_sensor_matrix(c, m), 1);
    EXPECT_EQ(ppl_set_sat_hue(c, 128, 45), 1);
  }
  EXPECT_EQ(constants_bytes(c), before);
  EXPECT_EQ(ppl_nf88_b_gain(c), 300);
  EXPECT_EQ(ppl_g_delta(c), 99);
  EXPECT_EQ(ppl_sensor_matrix(c, nullptr), 300);
  EXPECT_EQ(c->adjust[0][4], model_adjustment(128, 45, 0).p[0][4]) << "adjustment computed, not packed";
}

}  // namespace
}  // namespace pplcam::test
