// White balance, sensor matrix and the caller-owned extras: what each setter
// stores, which packed constants it rebuilds on which path, and the colour
// matrices against the plain model.
#include <gtest/gtest.h>

#include <random>

#include "controls_packed.h"
#include "model/controls_model.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

auto gain_bg = [](const auto& k) -> const auto& { return k.gain[kRowBG]; };
auto gain_gr = [](const auto& k) -> const auto& { return k.gain[kRowGR]; };
auto delta_bg = [](const auto& k) -> const auto& { return k.delta[kRowBG]; };
auto delta_gr = [](const auto& k) -> const auto& { return k.delta[kRowGR]; };

TEST(ControlsGains, PackEachRowPairInUnitsOfOneThirtySecond) {
  ScopedContext c;
  expect_packed(c, gain_bg, {32, 32}, "default BG gains");
  expect_packed(c, gain_gr, {32, 32}, "default GR gains");

  ASSERT_EQ(ppl_set_rgb_gain(c, 300, 517, 2047), 1);
  expect_packed(c, gain_bg, {2047 >> 3, 517 >> 3}, "BG: b, g");
  expect_packed(c, gain_gr, {517 >> 3, 300 >> 3}, "GR: g, r");
  EXPECT_EQ(ppl_nf88_r_gain(c), 300);
  EXPECT_EQ(ppl_nf88_g_gain(c), 517);
  EXPECT_EQ(ppl_nf88_b_gain(c), 2047);

  ASSERT_EQ(ppl_set_rgb_gain(c, 0, 0, 0), 1);
  expect_packed(c, gain_bg, {0, 0}, "zero gains");
  ppl_reset_rgb_gain(c);
  expect_packed(c, gain_gr, {32, 32}, "reset");
  EXPECT_EQ(ppl_nf88_g_gain(c), 256);
}

TEST(ControlsGains, RefusedValueStaysStoredWhileConstantsKeepTheirContents) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_rgb_gain(c, 400, 480, 560), 1);
  const ConstantsSnapshot before(c);

  EXPECT_EQ(ppl_set_r_gain(c, 2048), 0);
  EXPECT_EQ(ppl_nf88_r_gain(c), 2048);
  EXPECT_EQ(ppl_set_b_gain(c, -1), 0);
  EXPECT_EQ(ppl_nf88_b_gain(c), -1);
  EXPECT_EQ(ppl_set_rgb_gain(c, 100, 5000, 100), 0);
  EXPECT_EQ(ppl_nf88_g_gain(c), 5000);
  EXPECT_EQ(ppl_nf88_r_gain(c), 100);
  EXPECT_TRUE(before.same_as(c)) << "no packed constant may change on a refusal";

  // A later valid three-channel call rebuilds from all stored values.
  ASSERT_EQ(ppl_set_rgb_gain(c, 8, 16, 24), 1);
  expect_packed(c, gain_bg, {3, 2}, "BG after recovery");
  expect_packed(c, gain_gr, {2, 1}, "GR after recovery");
}

TEST(ControlsGains, OneChannelSetterChecksOnlyItsChannelAndRebuildsOnlyItsRows) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_rgb_gain(c, 256, 256, 256), 1);
  EXPECT_EQ(ppl_set_g_gain(c, 3000), 0);   // stored, not packed

  // r lives in GR rows only; its partner g is taken as stored, unchecked.
  ASSERT_EQ(ppl_set_r_gain(c, 400), 1);
  expect_packed(c, gain_gr, {3000 >> 3, 400 >> 3}, "GR takes the stored g");
  expect_packed(c, gain_bg, {32, 32}, "BG untouched by an r change");

  ASSERT_EQ(ppl_set_b_gain(c, 1024), 1);
  expect_packed(c, gain_bg, {128, 3000 >> 3}, "BG takes the stored g");

  ASSERT_EQ(ppl_set_g_gain(c, 64), 1);
  expect_packed(c, gain_bg, {128, 8}, "g rebuilds BG");
  expect_packed(c, gain_gr, {8, 50}, "and GR");
}

TEST(ControlsDeltas, SixteenBitRangeAndRowPairs) {
  ScopedContext c;
  expect_packed(c, delta_bg, {0, 0}, "default deltas");
  ASSERT_EQ(ppl_set_rgb_delta(c, -7, 12, 300), 1);
  expect_packed(c, delta_bg, {300, 12}, "BG: b, g");
  expect_packed(c, delta_gr, {12, -7}, "GR: g, r");

  EXPECT_EQ(ppl_set_b_delta(c, -32768), 1);
  EXPECT_EQ(ppl_set_r_delta(c, 32767), 1);
  expect_packed(c, delta_bg, {-32768, 12}, "b at the low end");
  expect_packed(c, delta_gr, {12, 32767}, "r at the high end");

  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_b_delta(c, 32768), 0);
  EXPECT_EQ(ppl_b_delta(c), 32768);
  EXPECT_EQ(ppl_set_rgb_delta(c, 0, -32769, 0), 0);
  EXPECT_EQ(ppl_g_delta(c), -32769);
  EXPECT_TRUE(before.same_as(c));

  // The unchecked partner is stored as a 16-bit lane holds it.
  ASSERT_EQ(ppl_set_r_delta(c, 5), 1);
  expect_packed(c, delta_gr, {static_cast<int16_t>(-32769 & 0xFFFF), 5}, "GR with the stored g");

  ppl_reset_rgb_delta(c);
  expect_packed(c, delta_bg, {0, 0}, "reset");
  EXPECT_EQ(ppl_r_delta(c), 0);
}

TEST(ControlsGains, WithoutTheFloatingPointStateValuesAreStoredAndNothingIsBuilt) {
  ScopedContext c;
  const ConstantsSnapshot before(c);
  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_rgb_gain(c, 100, 200, 300), 1);
    EXPECT_EQ(ppl_set_g_delta(c, 99), 1);
    const int32_t m[9] = {300, 0, 0, 0, 300, 0, 0, 0, 300};
    EXPECT_EQ(ppl_copy_sensor_matrix(c, m), 1);
  }
  EXPECT_TRUE(before.same_as(c));
  EXPECT_EQ(ppl_nf88_b_gain(c), 300);
  EXPECT_EQ(ppl_g_delta(c), 99);
  int32_t m[9];
  EXPECT_EQ(ppl_sensor_matrix(c, m), 300);
  EXPECT_EQ(m[4], 300);
}

TEST(ControlsGains, ProcessorWithoutSse2BuildsOnlyTheMmxConstants) {
  ScopedContext c;
  const PathConstants<16> sse2 = c->sse2;
  ScopedCpuFeatures mmx_only(kCpuSse2);
  ASSERT_EQ(ppl_set_rgb_gain(c, 800, 800, 800), 1);
  EXPECT_EQ(lanes(c->mmx.gain[kRowBG]), repeated({100, 100}, 4));
  EXPECT_EQ(std::memcmp(&sse2, &c->sse2, sizeof sse2), 0);
}

TEST(ControlsExtras, QualsGainsAndDekneelTablesStoreButReportZero) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_quals_rgb_gain(c, 512, 513, 514), 0);
  EXPECT_EQ(ppl_nf88_quals_r_gain(c), 512);
  EXPECT_EQ(ppl_nf88_quals_g_gain(c), 513);
  EXPECT_EQ(ppl_nf88_quals_b_gain(c), 514);
  EXPECT_EQ(ppl_set_quals_r_gain(c, -5), 0);
  EXPECT_EQ(ppl_set_quals_g_gain(c, 1 << 20), 0);
  EXPECT_EQ(ppl_set_quals_b_gain(c, 7), 0);
  EXPECT_EQ(ppl_nf88_quals_r_gain(c), -5);
  EXPECT_EQ(ppl_nf88_quals_g_gain(c), 1 << 20);
  EXPECT_EQ(ppl_nf88_quals_b_gain(c), 7);
  ppl_reset_quals_rgb_gain(c);
  EXPECT_EQ(ppl_nf88_quals_g_gain(c), 256);

  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
  EXPECT_EQ(ppl_copy_r_dekneel_table(c, table), 0);
  EXPECT_EQ(ppl_copy_b_dekneel_table(c, table), 0);
  EXPECT_EQ(std::memcmp(ppl_r_dekneel_table(c), table, 256), 0);
  EXPECT_EQ(std::memcmp(ppl_b_dekneel_table(c), table, 256), 0);
  EXPECT_EQ(ppl_g_dekneel_table(c)[10], 10);
  EXPECT_EQ(ppl_copy_g_dekneel_table(c, nullptr), 0);
  EXPECT_EQ(ppl_g_dekneel_table(c)[10], 10);
  EXPECT_EQ(ppl_r_dekneel_table(c), c->dekneel[0]) << "the getter points into the context";
  ppl_reset_rgb_dekneel_table(c);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(ppl_r_dekneel_table(c)[i], i);
}

TEST(ControlsSensorMatrix, CopyInAndOut) {
  ScopedContext c;
  const int32_t m[9] = {1, -2, 3, -4, 5, -6, 7, -8, 9000};
  EXPECT_EQ(ppl_copy_sensor_matrix(c, m), 1);
  int32_t out[9] = {};
  EXPECT_EQ(ppl_sensor_matrix(c, out), 9000);
  EXPECT_EQ(std::memcmp(out, m, sizeof m), 0);
  EXPECT_EQ(ppl_sensor_matrix(c, nullptr), 9000);
  EXPECT_EQ(ppl_copy_sensor_matrix(c, nullptr), 0);
  EXPECT_EQ(ppl_reset_sensor_matrix(c), 1);
  EXPECT_EQ(ppl_sensor_matrix(c, out), 256);
  EXPECT_EQ(out[0], 256);
  EXPECT_EQ(out[1], 0);
}

void expect_colour_constants(const ppl_context* c, const ColourModel& want, const std::string& what) {
  for (int i = 0; i < 9; ++i) {
    expect_packed(c, [i](const auto& k) -> const auto& { return k.c_rgb[i]; }, {want.c_rgb[i]}, ("C_rgb " + what).c_str());
    expect_packed(c, [i](const auto& k) -> const auto& { return k.c_yuv[i]; }, {want.c_yuv[i]}, ("C_yuv " + what).c_str());
    expect_packed(c, [i](const auto& k) -> const auto& { return k.c_ycc[i]; }, {want.c_ycc[i]}, ("C_ycc " + what).c_str());
  }
  for (int i = 0; i < 3; ++i)
    expect_packed(c, [i](const auto& k) -> const auto& { return k.matrix_offset[i]; }, {want.offset[i]},
                  ("offset " + what).c_str());
}

TEST(ControlsColourMatrix, NeutralControlsGiveTheIdentityInTheRgbRoute) {
  ScopedContext c;
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(lanes(c->mmx.c_rgb[i]), repeated({i % 4 == 0 ? 64 : 0}, 4)) << "coefficient " << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lanes(c->sse2.matrix_offset[i]), repeated({32}, 8));
}

TEST(ControlsColourMatrix, MatchesTheModelForRandomControls) {
  ScopedContext c;
  std::mt19937 rng(1234);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 200; ++round) {
    Matrix9 m;
    // Every fourth matrix is large enough for products beyond the packed
    // range, which must clamp to -256..255.
    const int span = round % 4 == 0 ? 4000 : 400;
    for (auto& v : m) v = pick(-span, span);
    const int sat = pick(0, 512), hue = pick(-1000, 1000), contrast = pick(-127, 127);
    ASSERT_EQ(ppl_copy_sensor_matrix(c, m.data()), 1);
    ASSERT_EQ(ppl_set_contrast_c(c, contrast, nullptr, nullptr), 1);
    ASSERT_EQ(ppl_set_sat_hue(c, sat, hue), 1);

    const Adjustment a = model_adjustment(sat, hue, contrast);
    for (int x = 0; x < 3; ++x)
      for (int i = 0; i < 9; ++i) ASSERT_EQ(c->adjust[x][i], a.p[x][i]) << "P" << x << " element " << i;
    for (int x = 0; x < 3; ++x) ASSERT_EQ(c->adjust_offset[x], a.offset[x]);
    const std::string what = "sat " + std::to_string(sat) + " hue " + std::to_string(hue) + " contrast " +
                             std::to_string(contrast);
    expect_colour_constants(c, model_colour(a, m), what);
    if (::testing::Test::HasFailure()) break;
  }
}

TEST(ControlsColourMatrix, OutOfRangeProductsClampAtBothEnds) {
  ScopedContext c;
  const int32_t big[9] = {100000, -100000, 0, 0, 100000, 0, 0, 0, -100000};
  ASSERT_EQ(ppl_copy_sensor_matrix(c, big), 1);
  EXPECT_EQ(lanes(c->mmx.c_rgb[0]), repeated({255}, 4));
  EXPECT_EQ(lanes(c->mmx.c_rgb[1]), repeated({-256}, 4));
  EXPECT_EQ(lanes(c->sse2.c_rgb[8]), repeated({-256}, 8));
  expect_colour_constants(c, model_colour(model_adjustment(256, 0, 0), Matrix9{100000, -100000, 0, 0, 100000, 0, 0, 0, -100000}),
                          "huge matrix");
}

}  // namespace
}  // namespace pplcam::test
