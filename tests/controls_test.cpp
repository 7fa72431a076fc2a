// The picture and statistics controls: the context pool and its defaults,
// which packed constants each setter rebuilds (in every column-group width),
// the accepted ranges and refusals, and the derived curves and matrices
// against the plain models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "controls/frame_statistics.h"
#include "controls/tone_tables.h"
#include "core/context.h"
#include "core/lifecycle.h"
#include "model/controls_model.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

template <int Bytes>
std::vector<int> lanes(const Packed16<Bytes>& p) {
  return std::vector<int>(std::begin(p.lane), std::end(p.lane));
}
template <int Bytes>
std::vector<int> lanes(const Packed8<Bytes>& p) {
  return std::vector<int>(std::begin(p.byte), std::end(p.byte));
}

// `pattern` repeated over `n` lanes.
inline std::vector<int> repeated(const std::vector<int>& pattern, size_t n) {
  std::vector<int> out;
  while (out.size() < n) out.insert(out.end(), pattern.begin(), pattern.end());
  out.resize(n);
  return out;
}

// The constant `pick` selects holds `pattern` repeated, in every width.
template <class Pick>
void expect_packed(const ppl_context* c, Pick pick, const std::vector<int>& pattern, const std::string& what) {
  for_each_group([&](auto tag) {
    const auto got = lanes(pick(group_constants<decltype(tag)::kGroup>(c)));
    EXPECT_EQ(got, repeated(pattern, got.size())) << what << " (" << decltype(tag)::kGroup << "-byte groups)";
  });
}

#define PPL_PICK(field) [&](const auto& k) -> const auto& { return k.field; }

// The bytes of every width's constant block, to show that a refused or
// skipped build left them alone.
inline std::vector<uint8_t> constants_bytes(const ppl_context* c) {
  std::vector<uint8_t> bytes;
  for_each_group([&](auto tag) {
    const auto& k = group_constants<decltype(tag)::kGroup>(c);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&k);
    bytes.insert(bytes.end(), p, p + sizeof k);
  });
  return bytes;
}

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
  for (auto table : {ppl_contrast_table, ppl_r_dekneel_table, ppl_g_dekneel_table, ppl_b_dekneel_table})
    for (int i = 0; i < 256; ++i) ASSERT_EQ(table(c)[i], i);
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

// ppl_reset_all_controls and a slot handed out again give the controls of a
// fresh context; the sensor type, frame size, frame counter and statistics
// are not controls and stay.
TEST_F(ControlsDefaults, ResetAndReusedSlotGiveTheDefaultsOfAFreshContext) {
  ScopedContext fresh;
  ppl_context* c = ppl_init();
  expect_default_controls(fresh);
  ASSERT_EQ(ppl_new_frame_size(fresh, 640, 480), 1);
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  ASSERT_EQ(ppl_set_sensor_type(c, 0x5948), 1);
  c->n_frame = 41;
  c->whole_frame.g = 1234;
  for (bool reuse : {false, true}) {
    SCOPED_TRACE(reuse ? "reused slot" : "reset");
    change_everything(c);
    if (reuse) {
      ppl_free(c);
      ASSERT_EQ(ppl_init(), c);
    } else {
      ASSERT_EQ(ppl_reset_all_controls(c), 1);
    }
    expect_default_controls(c);
    EXPECT_EQ(constants_bytes(fresh), constants_bytes(c));
    EXPECT_EQ(std::memcmp(&c->steps, &fresh->steps, sizeof c->steps), 0);
    EXPECT_EQ(std::memcmp(c->adjust, fresh->adjust, sizeof c->adjust), 0);
    EXPECT_EQ((std::vector<int>{ppl_sensor_type(c), c->in_width, c->in_height}), (std::vector<int>{0x5948, 640, 480}));
    EXPECT_EQ(ppl_n_frame(c), 41u);
    if (!reuse) EXPECT_EQ(c->whole_frame.g, 1234u);
  }
  ppl_free(c);
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

TEST(ControlsGains, PackPerRowPairAndRefuseOutOfRangeKeepingTheStoredValue) {
  ScopedContext c;
  expect_packed(c, PPL_PICK(gain[kRowBG]), {32}, "default gains");
  ASSERT_EQ(ppl_set_rgb_gain(c, 300, 517, 2047), 1);
  expect_packed(c, PPL_PICK(gain[kRowBG]), {2047 >> 3, 517 >> 3}, "BG: b, g");
  expect_packed(c, PPL_PICK(gain[kRowGR]), {517 >> 3, 300 >> 3}, "GR: g, r");

  const auto before = constants_bytes(c);
  EXPECT_EQ(ppl_set_r_gain(c, 2048), 0);
  EXPECT_EQ(ppl_set_rgb_gain(c, 100, -1, 100), 0);
  EXPECT_EQ((std::vector<int>{ppl_nf88_r_gain(c), ppl_nf88_g_gain(c)}), (std::vector<int>{100, -1}));
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
  EXPECT_EQ((std::vector<int>{ppl_b_delta(c), ppl_g_delta(c)}), (std::vector<int>{0, -32769}));
  EXPECT_EQ(constants_bytes(c), before);
  ASSERT_EQ(ppl_set_r_delta(c, 5), 1);
  expect_packed(c, PPL_PICK(delta[kRowGR]), {int16_t(-32769 & 0xFFFF), 5}, "GR with the stored g");
}

TEST(ControlsExtras, QualsGainsAndDekneelCopiesStoreButReturnZero) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_quals_rgb_gain(c, 512, 513, 514), 0);
  EXPECT_EQ(ppl_set_quals_b_gain(c, -5), 0);
  EXPECT_EQ((std::vector<int>{ppl_nf88_quals_r_gain(c), ppl_nf88_quals_b_gain(c)}), (std::vector<int>{512, -5}));
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

TEST(ControlsSatHue, RangesAndHueNormalisation) {
  ScopedContext c;
  for (auto [hue, degree] : {std::pair{-90, 270}, {450, 90}}) {
    EXPECT_EQ(ppl_set_hue(c, hue), 1);
    EXPECT_EQ(ppl_hue_degree(c), degree);
  }
  const auto before = constants_bytes(c);
  EXPECT_EQ(ppl_set_sat_hue(c, 513, 10), 0);
  EXPECT_EQ(ppl_set_sat(c, -1), 0);
  EXPECT_EQ((std::vector<int>{ppl_nf88_sat(c), ppl_hue_degree(c)}), (std::vector<int>{256, 90}));
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
    EXPECT_EQ(std::make_pair(x, y), level > 0 ? std::make_pair(64u, 0u) : std::make_pair(0u, 64u));
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
  EXPECT_EQ((std::vector<int>{setting, lo, hi}), (std::vector<int>{-32, -32, 32}));
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

const uint8_t* rgb(int s) { return kRgbGammaTables[s + 32]; }
const uint8_t* yuv(int s) { return kYuvGammaTables[s + 32]; }

double bt709(double l) { return l < 0.018 ? 4.5 * l : 1.099 * std::pow(l, 0.45) - 0.099; }

TEST(ControlsGammaTables, TellingEntriesAreExact) {
  const int rgb_at[7] = {0, 16, 32, 64, 128, 192, 255}, yuv_at[7] = {16, 17, 32, 64, 128, 192, 235};
  const struct { int setting, rgb[7], yuv[7]; } rows[] = {
      {-32, {0, 1, 4, 15, 63, 143, 253}, {16, 16, 17, 26, 72, 156, 233}},
      {-16, {0, 17, 35, 68, 132, 194, 255}, {16, 17, 33, 67, 131, 193, 235}},
      {0, {0, 55, 84, 125, 180, 221, 255}, {16, 20, 68, 116, 172, 212, 235}},
      {16, {0, 88, 121, 159, 204, 233, 255}, {16, 24, 97, 146, 192, 221, 235}},
      {32, {0, 108, 141, 176, 215, 238, 255}, {16, 27, 114, 161, 201, 224, 235}}};
  for (const auto& t : rows)
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(rgb(t.setting)[rgb_at[i]], t.rgb[i]) << "rgb, setting " << t.setting << " at " << rgb_at[i];
      EXPECT_EQ(yuv(t.setting)[yuv_at[i]], t.yuv[i]) << "yuv, setting " << t.setting << " at " << yuv_at[i];
    }
}

// Per setting: both curves non-decreasing, never darker than the setting
// below (a smaller exponent), RGB from 0 to 253..255, YUV held to 16..235
// (235 from 235 up where the exponent is below about 1.1), and the first four
// steps above black within a level of one line.
TEST(ControlsGammaTables, EveryCurveKeepsItsShape) {
  for (int s = -32; s <= 32; ++s) {
    SCOPED_TRACE("setting " + std::to_string(s));
    for (auto curve : {rgb, yuv})
      for (int x = 1; x < 256; ++x) {
        ASSERT_GE(curve(s)[x], curve(s)[x - 1]) << (curve == rgb ? "rgb" : "yuv") << " at " << x;
        if (s > -32) ASSERT_GE(curve(s)[x], curve(s - 1)[x]) << (curve == rgb ? "rgb" : "yuv") << " at " << x;
      }
    EXPECT_EQ(rgb(s)[0], 0);
    EXPECT_GE(rgb(s)[255], 253);
    EXPECT_EQ(yuv(s)[0], 16);
    EXPECT_EQ(yuv(s)[16], 16);
    EXPECT_EQ(yuv(s)[255], 235);
    EXPECT_EQ(yuv(s)[235], s >= -17 ? 235 : s == -32 ? 233 : 234);
    for (int x = 0; x <= 4; ++x) {
      EXPECT_NEAR(rgb(s)[x], x * rgb(s)[4] / 4.0, 1.0) << "rgb at " << x;
      EXPECT_NEAR(yuv(s)[16 + x], 16 + x * (yuv(s)[20] - 16) / 4.0, 1.0) << "yuv at " << 16 + x;
    }
  }
}

// Mid-grey brightens by at least a level every two settings; the darkest
// settings (exponents near or above 1) are the plain power law there, and
// setting 0 is BT.709 within one level everywhere.
TEST(ControlsGammaTables, StrengthFollowsTheExponent) {
  for (int s = -30; s <= 32; s += 2) EXPECT_GT(rgb(s)[128], rgb(s - 2)[128]) << s;
  for (int s = -32; s <= -14; ++s)
    EXPECT_NEAR(rgb(s)[128], 255.0 * std::pow(128 / 255.0, kGammaExponents[s + 32] / 4096.0), 1.0) << s;
  for (int x = 0; x < 256; ++x) EXPECT_LE(std::fabs(rgb(0)[x] - 255.0 * bt709(x / 255.0)), 1.0) << x;
  for (int x = 16; x <= 235; ++x)
    EXPECT_LE(std::fabs(yuv(0)[x] - (16.0 + 219.0 * bt709((x - 16) / 219.0))), 1.0) << x;
}

TEST(ControlsThresholds, AcceptExactlyTheirRangeAndPack) {
  const struct {
    uint8_t(PPLCALL* set)(ppl_context*, int32_t);
    int32_t(PPLCALL* get)(ppl_context*);
    int32_t max;
  } rows[] = {{ppl_set_edge_threshold, ppl_edge_threshold, 1530},
              {ppl_set_nf88_edge_enhance_factor, ppl_nf88_edge_enhance_factor, 256},
              {ppl_set_intl_3T_threshold, ppl_intl_3T_threshold, 765}};
  ScopedContext c;
  for (const auto& r : rows) EXPECT_EQ(r.set(c, r.max), 1);
  expect_packed(c, PPL_PICK(edge_threshold), {1530}, "edge threshold");
  expect_packed(c, PPL_PICK(edge_factor), {64}, "edge factor in 1/64");
  expect_packed(c, PPL_PICK(intl_3t_threshold), {765}, "3T threshold");
  const auto before = constants_bytes(c);
  for (const auto& r : rows) {
    for (int32_t bad : {-1, INT32_MIN, r.max + 1}) EXPECT_EQ(r.set(c, bad), 0) << bad;
    EXPECT_EQ(r.get(c), r.max);
  }
  EXPECT_EQ(constants_bytes(c), before);

  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 7), 1);
  }
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 7);
  EXPECT_EQ(constants_bytes(c), before) << "stored, not packed";
  ppl_reset_nf88_edge_enhance_factor(c);
  expect_packed(c, PPL_PICK(edge_factor), {8}, "default 32");
}

TEST(ControlsFlags, QualityAndSensorType) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_quality(c, 5), 1);
  for (int32_t bad : {6, -1}) EXPECT_EQ(ppl_set_quality(c, bad), 0) << bad;
  EXPECT_EQ(ppl_quality(c), 5);
  for (int32_t code : {0x5754, 0x5948, 0x07544F4D, 0x42564F}) EXPECT_EQ(ppl_set_sensor_type(c, code), 1);
  for (int32_t bad : {0x4F56, 0}) EXPECT_EQ(ppl_set_sensor_type(c, bad), 0) << bad;
  EXPECT_EQ(ppl_sensor_type(c), 0x42564F);
}

// The mirror setters move the picture at once (any non-zero byte is on, and
// stored as given): the first luma sample of a YUYV frame lands in the
// corner of the I420 picture they select, also for a processing operation,
// which converts with the stored geometry.
TEST(ControlsFlags, MirrorSettersMoveThePicture) {
  ScopedContext c;
  const int w = 320, h = 240;
  ASSERT_EQ(ppl_new_frame_sizes(c, w, h, w, h), 1);
  AlignedBuffer src(w * h * 2, Align::k16), dst(w * h * 3 / 2, Align::k16);
  std::fill(src.data(), src.data() + w * h * 2, 0);
  src[0] = 200;
  auto corner = [&](int index) {
    EXPECT_EQ(ppl_process_yuyvtoi420(c, src.data(), dst.data(), w, h, w, h), 1);
    return dst[index];
  };
  ASSERT_EQ(ppl_set_h_mirror(c, 1), 1);
  EXPECT_EQ(corner(w - 1), 200);
  ASSERT_EQ(ppl_set_v_mirror(c, 0x80), 1);
  EXPECT_EQ(ppl_v_mirror(c), 0x80);
  EXPECT_EQ(corner(w * h - 1), 200);
  ppl_reset_mirrors(c);
  EXPECT_EQ(ppl_h_mirror(c) | ppl_v_mirror(c), 0);
  EXPECT_EQ(corner(0), 200);
}

// What the packed limits select is checked on frames against the model,
// with the limits set through ppl_set_qual_RGB_min_max and the difference
// and qAE setters; here the one-channel setters, the refusals and reset.
TEST(ControlsStatisticsLimits, OneChannelSettersRefusalsAndReset) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, 10, 200, 20, 220, 30, 240), 1);
  // R lives in GR rows, B in BG rows, G in both: minimums, then spans.
  ASSERT_EQ(ppl_set_qual_R_min_max(c, 100, 100), 1);
  expect_packed(c, PPL_PICK(qual_rgb[1]), {200, 0}, "GR spans after R");
  expect_packed(c, PPL_PICK(qual_rgb[2]), {30, 20}, "BG mins untouched by R");
  ASSERT_EQ(ppl_set_qual_G_min_max(c, 50, 60), 1);
  expect_packed(c, PPL_PICK(qual_rgb[0]), {50, 100}, "G in GR rows");
  expect_packed(c, PPL_PICK(qual_rgb[3]), {210, 10}, "G in BG rows");
  EXPECT_EQ(ppl_set_qual_GrmR_min_max(c, -32767, 32766), 1) << "the widest packable range";

  const auto before = constants_bytes(c);
  EXPECT_EQ(ppl_set_qual_BmGb_min_max(c, 10, -10), 0);
  EXPECT_EQ(ppl_qual_BmGb_min(c), -25) << "min > max stores nothing";
  EXPECT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, -32768, 0), 0);
  EXPECT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, INT32_MIN, INT32_MAX), 0);
  EXPECT_EQ((std::vector<int>{ppl_qual_BmGb_m_GrmR_min(c), ppl_qual_BmGb_p_GrmR_max(c)}),
            (std::vector<int>{-32768, INT32_MAX}))
      << "beyond 16 bits: stored, not packed";
  EXPECT_EQ(ppl_set_qual_R_min_max(c, 0, 256), 0);
  EXPECT_EQ(ppl_set_qual_B_min_max(c, -1, 10), 0);
  EXPECT_EQ(ppl_set_qual_RGB_min_max(c, 0, 255, 0, 255, 11, 10), 0);
  EXPECT_EQ(ppl_set_qAE_RGB_min_max(c, 5, 4), 0);
  EXPECT_EQ((std::vector<int>{ppl_qual_R_max(c), ppl_qAE_RGB_min(c)}), (std::vector<int>{100, 0}));
  EXPECT_EQ(constants_bytes(c), before);
  EXPECT_EQ(ppl_reset_qual_min_max(c), 1);
  EXPECT_EQ((std::vector<int>{ppl_qual_B_min(c), ppl_qual_GrmR_max(c)}), (std::vector<int>{0, 25}));
}

// ------------------------------------------------------ post-processing

void expect_triple(const uint32_t* got, const RgbSum& want, const std::string& what) {
  EXPECT_EQ(std::vector<uint32_t>(got, got + 3), (std::vector<uint32_t>{want.r, want.g, want.b})) << what;
}

TEST(ControlsFrameStatistics, KnownSumsGiveKnownMeans) {
  ScopedContext c;
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);   // 76800 cells
  clear_frame_statistics(c);
  c->stats_scale = 1024;
  c->whole_frame = RgbSum{76800 * 100, 2 * 76800 * 50 + 1, 76800 * 3 / 2};
  c->qae_means = RgbSum{3, 4, 5};
  c->qae_count = 2;
  postprocess_frame_statistics(c);
  expect_triple(ppl_rgb_means_whole_frame(c), RgbSum{100 << 8, 50 << 8, 384}, "whole frame");
  expect_triple(ppl_qAE_rgb_means_whole_frame(c), RgbSum{384, 256, 640}, "qAE, halves rounded up");
  EXPECT_EQ(ppl_n_qAE_2x2_whole_frame(c), 8u) << "one sampled cell in four";
  expect_triple(ppl_qual_rgb_means_whole_frame(c), RgbSum{0, 0, 0}, "no qualifying cell");
  EXPECT_EQ(ppl_n_qual_2x2_whole_frame(c), 0u);

  ASSERT_EQ(ppl_new_frame_size(c, 0, 0), 1);
  c->whole_frame = RgbSum{5, 5, 5};
  postprocess_frame_statistics(c);
  expect_triple(ppl_rgb_means_whole_frame(c), RgbSum{0, 0, 0}, "a frame without cells is no fault");
}

// Window means set directly, as the post-processing leaves them.
template <class Mean>
void set_window_means(ppl_context* c, Mean mean) {
  uint32_t all[3] = {};
  for (int w = 0; w < 48; ++w)
    for (int ch = 0; ch < 3; ++ch) all[ch] += (&c->sub_windows[w].r)[ch] = mean(w / 8, w % 8, ch);
  c->all_sub_windows = RgbSum{(all[0] * 341) >> 14, (all[1] * 341) >> 14, (all[2] * 341) >> 14};
}

TEST(ControlsFrameStatistics, CentralMeansWeighTheCentreTheRingAndAllWindows) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_quality(c, 0), 1);
  set_window_means(c, [](int row, int col, int ch) { return uint32_t((row * 8 + col) * 97 + ch * 5 + 1000); });
  struct Case {
    const uint32_t*(PPLCALL* getter)(ppl_context*);
    int k;
  };
  for (const Case& g : {Case{ppl_rgb_means_whole_frame_central4, 3}, Case{ppl_rgb_means_whole_frame_central8, 7},
                        Case{ppl_rgb_means_whole_frame_central16, 15}})
    for (int ch = 0; ch < 3; ++ch) {
      int64_t centre = 0, ring = 0;
      for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 6; ++col)
          ((row == 2 || row == 3) && (col == 3 || col == 4) ? centre : ring) += (&c->sub_windows[row * 8 + col].r)[ch];
      const int64_t all = (&c->all_sub_windows.r)[ch];
      EXPECT_EQ(g.getter(c)[ch], uint32_t((g.k * centre + ring + 48 * all) / (4 * g.k + 68))) << "k " << g.k;
    }
  for (int ch = 0; ch < 3; ++ch) {
    uint32_t sum = 0;
    for (int w : {19, 20, 27, 28}) sum += (&c->sub_windows[w].r)[ch];
    EXPECT_EQ(ppl_rgb_means_whole_frame_4pts(c)[ch], sum >> 2);
  }

  // A flat frame (below 1024, where x 341 >> 14 loses less than one unit).
  set_window_means(c, [](int, int, int ch) { return uint32_t(1000 - 300 * ch); });
  for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(ppl_rgb_means_whole_frame_central8(c)[ch], 1000.0 - 300 * ch, 1.0);

  // One triple per getter for the whole process.
  ScopedContext other;
  ASSERT_EQ(ppl_set_quality(other, 2), 1);
  const uint32_t* first = ppl_rgb_means_whole_frame_central8(c);
  EXPECT_EQ(ppl_rgb_means_whole_frame_central8(other), first);

  ASSERT_EQ(ppl_set_quality(c, 3), 1);
  EXPECT_EQ(ppl_rgb_means_whole_frame_central16(c), ppl_rgb_means_whole_frame(c));
  EXPECT_EQ(ppl_rgb_means_whole_frame_4pts(c), ppl_rgb_means_whole_frame(c));
}

}  // namespace
}  // namespace pplcam::test
