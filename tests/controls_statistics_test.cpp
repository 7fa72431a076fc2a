// Statistics limits with their packed forms, the post-processing of raw
// frame sums into means, and the results getters.
#include <gtest/gtest.h>

#include <random>

#include "controls/frame_statistics.h"
#include "controls_packed.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

auto diff_low = [](int set) { return [set](const auto& k) -> const auto& { return k.qual_diff[set][0]; }; };
auto diff_high = [](int set) { return [set](const auto& k) -> const auto& { return k.qual_diff[set][1]; }; };
auto qual_rgb = [](int slot) { return [slot](const auto& k) -> const auto& { return k.qual_rgb[slot]; }; };
auto qae = [](int slot) { return [slot](const auto& k) -> const auto& { return k.qae[slot]; }; };

TEST(ControlsStatisticsLimits, DifferenceLimitsPackTheOpenBounds) {
  ScopedContext c;
  expect_packed(c, diff_low(kQualBmGb), {-26}, "default BmGb min - 1");
  expect_packed(c, diff_high(kQualBmGbMGrmR), {31}, "default BmGb_m_GrmR max + 1");

  EXPECT_EQ(ppl_set_qual_GrmR_min_max(c, -32767, 32766), 1);
  expect_packed(c, diff_low(kQualGrmR), {-32768}, "widest min");
  expect_packed(c, diff_high(kQualGrmR), {32767}, "widest max");
  EXPECT_EQ(c->qual_limits[kQualGrmR].count, 65534);

  EXPECT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, 7, 7), 1);
  EXPECT_EQ(ppl_qual_BmGb_p_GrmR_min(c), 7);
  EXPECT_EQ(ppl_qual_BmGb_p_GrmR_max(c), 7);
  EXPECT_EQ(c->qual_limits[kQualBmGbPGrmR].count, 1);
}

TEST(ControlsStatisticsLimits, MinAboveMaxIsRefusedWithNothingStored) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_qual_BmGb_min_max(c, 10, -10), 0);
  EXPECT_EQ(ppl_qual_BmGb_min(c), -25);
  EXPECT_EQ(ppl_qual_BmGb_max(c), 25);
}

TEST(ControlsStatisticsLimits, BoundsBeyondSixteenBitsAreStoredButNotPacked) {
  ScopedContext c;
  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, -32768, 0), 0);
  EXPECT_EQ(ppl_qual_BmGb_m_GrmR_min(c), -32768);
  EXPECT_EQ(ppl_set_qual_BmGb_min_max(c, 0, 32767), 0);
  EXPECT_EQ(ppl_qual_BmGb_max(c), 32767);
  EXPECT_EQ(ppl_set_qual_GrmR_min_max(c, INT32_MIN, INT32_MAX), 0);
  EXPECT_EQ(ppl_qual_GrmR_min(c), INT32_MIN);
  EXPECT_TRUE(before.same_as(c));
  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_qual_GrmR_min_max(c, -3, 3), 1);
  }
  EXPECT_TRUE(before.same_as(c));
  EXPECT_EQ(ppl_qual_GrmR_max(c), 3);
}

TEST(ControlsStatisticsLimits, ChannelLimitsPackMinimumsAndSpansPerRowType) {
  ScopedContext c;
  expect_packed(c, qual_rgb(0), {0, 0}, "default GR mins");
  expect_packed(c, qual_rgb(3), {255, 255}, "default BG spans");

  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, 10, 200, 20, 220, 30, 240), 1);
  expect_packed(c, qual_rgb(0), {20, 10}, "GR mins: g, r");
  expect_packed(c, qual_rgb(1), {200, 190}, "GR spans: g, r");
  expect_packed(c, qual_rgb(2), {30, 20}, "BG mins: b, g");
  expect_packed(c, qual_rgb(3), {210, 200}, "BG spans: b, g");

  // R lives in GR rows, B in BG rows; each setter rebuilds only those.
  ASSERT_EQ(ppl_set_qual_R_min_max(c, 100, 100), 1);
  EXPECT_EQ(c->qual_limits[kQualR].count, 1);
  expect_packed(c, qual_rgb(0), {20, 100}, "GR mins after R");
  expect_packed(c, qual_rgb(1), {200, 0}, "GR spans after R");
  expect_packed(c, qual_rgb(2), {30, 20}, "BG mins keep");
  ASSERT_EQ(ppl_set_qual_B_min_max(c, 0, 255), 1);
  expect_packed(c, qual_rgb(3), {255, 200}, "BG spans after B");
  ASSERT_EQ(ppl_set_qual_G_min_max(c, 50, 60), 1);
  expect_packed(c, qual_rgb(0), {50, 100}, "G in GR rows");
  expect_packed(c, qual_rgb(3), {255, 10}, "G in BG rows");
  EXPECT_EQ(ppl_qual_G_min(c), 50);
  EXPECT_EQ(ppl_qual_G_max(c), 60);
  EXPECT_EQ(ppl_qual_R_min(c), 100);
  EXPECT_EQ(ppl_qual_B_max(c), 255);
}

TEST(ControlsStatisticsLimits, ChannelLimitsOutsideTheByteRangeAreRefused) {
  ScopedContext c;
  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_qual_R_min_max(c, 0, 256), 0);
  EXPECT_EQ(ppl_set_qual_G_min_max(c, -1, 10), 0);
  EXPECT_EQ(ppl_set_qual_B_min_max(c, 11, 10), 0);
  EXPECT_EQ(ppl_set_qual_RGB_min_max(c, 0, 255, 0, 255, 0, 256), 0);
  EXPECT_EQ(ppl_set_qAE_RGB_min_max(c, 5, 4), 0);
  EXPECT_EQ(ppl_qual_R_max(c), 255);
  EXPECT_EQ(ppl_qual_B_max(c), 255);
  EXPECT_EQ(ppl_qAE_RGB_min(c), 0);
  EXPECT_TRUE(before.same_as(c));
}

TEST(ControlsStatisticsLimits, QaeLimitsPackFourBytes) {
  ScopedContext c;
  for (int slot = 0; slot < 4; ++slot) expect_packed(c, qae(slot), {std::vector<int>{0, 255, 255, 0}[slot]}, "default");
  ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, 10, 200), 1);
  expect_packed(c, qae(0), {10}, "min");
  expect_packed(c, qae(1), {9}, "min - 1");
  expect_packed(c, qae(2), {200}, "max");
  expect_packed(c, qae(3), {201}, "max + 1");
  EXPECT_EQ(c->qae_limits.count, 191);
  ppl_reset_qAE_min_max(c);
  EXPECT_EQ(ppl_qAE_RGB_min(c), 0);
  EXPECT_EQ(ppl_qAE_RGB_max(c), 255);
  EXPECT_EQ(c->qae_limits.count, 256);
}

TEST(ControlsStatisticsLimits, ResetRestoresEveryQualLimit) {
  ScopedContext c;
  const ConstantsSnapshot fresh(c);
  ppl_set_qual_BmGb_min_max(c, -1, 1);
  ppl_set_qual_GrmR_min_max(c, -2, 2);
  ppl_set_qual_BmGb_p_GrmR_min_max(c, -3, 3);
  ppl_set_qual_BmGb_m_GrmR_min_max(c, -4, 4);
  ppl_set_qual_RGB_min_max(c, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(ppl_reset_qual_min_max(c), 1);
  EXPECT_TRUE(fresh.same_as(c));
  EXPECT_EQ(ppl_qual_BmGb_p_GrmR_min(c), -30);
  EXPECT_EQ(ppl_qual_GrmR_max(c), 25);
}

// ------------------------------------------------------ post-processing

// The formulas written out step by step, on a copy of the raw fields.
struct Expected {
  RgbSum windows[49];
  RgbSum all, whole, qae, qual;
  uint32_t qae_count, qual_count;
};

Expected expected_means(const ppl_context* c) {
  Expected e{};
  const uint32_t s = c->stats_scale;
  uint32_t whole[3] = {c->whole_frame.r, c->whole_frame.g, c->whole_frame.b};
  uint32_t all[3] = {0, 0, 0};
  for (int w = 0; w < 49; ++w) {
    const uint32_t raw[3] = {c->sub_windows[w].r, c->sub_windows[w].g, c->sub_windows[w].b};
    uint32_t mean[3];
    for (int ch = 0; ch < 3; ++ch) {
      const uint32_t t = static_cast<uint32_t>(raw[ch] * s) >> 8;
      whole[ch] += t;
      mean[ch] = static_cast<uint32_t>(c->window_norm[ch] * t) >> 12;
      if (w < 48) all[ch] += mean[ch];
    }
    e.windows[w] = RgbSum{mean[0], mean[1], mean[2]};
  }
  e.all = RgbSum{(all[0] * 341) >> 14, (all[1] * 341) >> 14, (all[2] * 341) >> 14};
  const uint64_t wh = uint64_t(c->in_width) * uint64_t(c->in_height);
  e.whole = RgbSum{uint32_t(((uint64_t(whole[0]) << 8) + wh / 8) / (wh / 4)),
                   uint32_t(((uint64_t(whole[1]) << 8) + wh / 4) / (wh / 2)),
                   uint32_t(((uint64_t(whole[2]) << 8) + wh / 8) / (wh / 4))};
  auto cells = [s](RgbSum sums, uint32_t n, RgbSum* means, uint32_t* count) {
    if (n == 0) {
      *means = sums;
      *count = 0;
      return;
    }
    const uint64_t n64 = n;
    *means = RgbSum{uint32_t(((uint64_t(sums.r) << 8) + n64 / 2) / n64), uint32_t(((uint64_t(sums.g) << 8) + n64) / (2 * n64)),
                    uint32_t(((uint64_t(sums.b) << 8) + n64 / 2) / n64)};
    *count = static_cast<uint32_t>(s * n) >> 8;
  };
  cells(c->qae_means, c->qae_count, &e.qae, &e.qae_count);
  cells(c->qual_means, c->qual_count, &e.qual, &e.qual_count);
  return e;
}

void expect_triple(const uint32_t* got, const RgbSum& want, const char* what) {
  EXPECT_EQ(got[0], want.r) << what << " r";
  EXPECT_EQ(got[1], want.g) << what << " g";
  EXPECT_EQ(got[2], want.b) << what << " b";
}

class ControlsFrameStatistics : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(c.get(), nullptr); }
  // Raw sums as a kernel might leave them for a frame of the given size.
  void fill_raw(int w, int h, uint32_t seed, uint32_t max_sum) {
    ASSERT_EQ(ppl_new_frame_size(c, w, h), 1);
    clear_frame_statistics(c);
    std::mt19937 rng(seed);
    c->stats_scale = c->sse2_geometry.stats_scale[rng() % 4];
    for (auto& t : c->sub_windows) t = RgbSum{rng() % max_sum, rng() % (2 * max_sum), rng() % max_sum};
    c->qae_count = rng() % 5000;
    c->qae_means = RgbSum{rng() % (c->qae_count * 255 + 1), rng() % (c->qae_count * 510 + 1), rng() % (c->qae_count * 255 + 1)};
    c->qual_count = rng() % 5000;
    c->qual_means = RgbSum{rng() % (c->qual_count * 255 + 1), rng() % (c->qual_count * 510 + 1), rng() % (c->qual_count * 255 + 1)};
  }
  ScopedContext c;
};

TEST_F(ControlsFrameStatistics, MeansFollowTheFormulasForRandomSums) {
  const int sizes[][2] = {{640, 480}, {704, 576}, {1280, 1024}, {320, 240}, {720, 480}};
  uint32_t seed = 1;
  for (const auto& size : sizes) {
    for (int round = 0; round < 20; ++round) {
      fill_raw(size[0], size[1], seed++, round % 2 ? 40000 : 2000000);
      const Expected e = expected_means(c);
      postprocess_frame_statistics(c);
      for (int w = 0; w < 48; ++w) expect_triple(ppl_rgb_means_sub_windows(c) + 3 * w, e.windows[w], "window");
      expect_triple(ppl_rgb_means_outside_all_sub_windows(c), e.windows[48], "outside");
      expect_triple(ppl_rgb_means_all_sub_windows(c), e.all, "all windows");
      expect_triple(ppl_rgb_means_whole_frame(c), e.whole, "whole frame");
      expect_triple(ppl_qAE_rgb_means_whole_frame(c), e.qae, "qAE");
      expect_triple(ppl_qual_rgb_means_whole_frame(c), e.qual, "qual");
      EXPECT_EQ(ppl_n_qAE_2x2_whole_frame(c), e.qae_count);
      EXPECT_EQ(ppl_n_qual_2x2_whole_frame(c), e.qual_count);
      if (HasFailure()) return;
    }
  }
}

TEST_F(ControlsFrameStatistics, KnownSumsGiveKnownMeans) {
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  clear_frame_statistics(c);
  // Quality 3: only whole-frame sums (already x4 by the kernel), 76800 cells.
  c->stats_scale = 1024;
  c->whole_frame = RgbSum{76800 * 100, 2 * 76800 * 50 + 1, 76800 * 3 / 2};
  c->qae_means = RgbSum{3, 4, 5};
  c->qae_count = 2;
  postprocess_frame_statistics(c);
  expect_triple(ppl_rgb_means_whole_frame(c), RgbSum{100 << 8, 50 << 8, 384}, "whole frame");
  // ((3 << 8) + 1) / 2 = 384, ((4 << 8) + 2) / 4 = 256, ((5 << 8) + 1) / 2 = 640.
  expect_triple(ppl_qAE_rgb_means_whole_frame(c), RgbSum{384, 256, 640}, "qAE");
  EXPECT_EQ(ppl_n_qAE_2x2_whole_frame(c), 8u) << "one sampled cell in four";
  for (int w = 0; w < 49; ++w) expect_triple(ppl_rgb_means_sub_windows(c) + 3 * w, RgbSum{0, 0, 0}, "untouched window");
}

TEST_F(ControlsFrameStatistics, NoQualifyingCellGivesZeroMeansAndCount) {
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  clear_frame_statistics(c);
  c->stats_scale = 1200;
  postprocess_frame_statistics(c);
  expect_triple(ppl_qAE_rgb_means_whole_frame(c), RgbSum{0, 0, 0}, "qAE");
  expect_triple(ppl_qual_rgb_means_whole_frame(c), RgbSum{0, 0, 0}, "qual");
  EXPECT_EQ(ppl_n_qAE_2x2_whole_frame(c), 0u);
  EXPECT_EQ(ppl_n_qual_2x2_whole_frame(c), 0u);
}

TEST_F(ControlsFrameStatistics, AFrameWithoutSizeGivesZeroInsteadOfAFault) {
  ASSERT_EQ(ppl_new_frame_size(c, 0, 0), 1);
  clear_frame_statistics(c);
  c->whole_frame = RgbSum{5, 5, 5};
  postprocess_frame_statistics(c);
  expect_triple(ppl_rgb_means_whole_frame(c), RgbSum{0, 0, 0}, "empty frame");
}

// Every window mean set directly, as the post-processing leaves them.
void set_window_means(ppl_context* c, uint32_t (*mean)(int row, int col, int ch)) {
  uint32_t all[3] = {0, 0, 0};
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 8; ++col) {
      RgbSum& t = c->sub_windows[row * 8 + col];
      t = RgbSum{mean(row, col, 0), mean(row, col, 1), mean(row, col, 2)};
      all[0] += t.r, all[1] += t.g, all[2] += t.b;
    }
  c->all_sub_windows = RgbSum{(all[0] * 341) >> 14, (all[1] * 341) >> 14, (all[2] * 341) >> 14};
}

TEST_F(ControlsFrameStatistics, CentralMeansOfAFlatFrameStayWithinOneOfTheMean) {
  // The all-windows mean divides by 48 as x 341 / 16384, which loses one
  // part in 1024: below 1024 that is under one unit.
  ASSERT_EQ(ppl_set_quality(c, 1), 1);
  set_window_means(c, [](int, int, int ch) { return uint32_t(1000 - 300 * ch); });
  for (auto getter : {ppl_rgb_means_whole_frame_central4, ppl_rgb_means_whole_frame_central8,
                      ppl_rgb_means_whole_frame_central16, ppl_rgb_means_whole_frame_4pts}) {
    const uint32_t* m = getter(c);
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(double(m[ch]), 1000.0 - 300 * ch, 1.0);
  }
}

TEST_F(ControlsFrameStatistics, CentralMeansWeighTheCentreRingAndAllWindows) {
  ASSERT_EQ(ppl_set_quality(c, 0), 1);
  set_window_means(c, [](int row, int col, int ch) { return uint32_t((row * 8 + col) * 97 + ch * 5 + 1000); });
  struct Case {
    const uint32_t*(PPLCALL* getter)(ppl_context*);
    int k;
  };
  for (const Case& g : {Case{ppl_rgb_means_whole_frame_central4, 3}, Case{ppl_rgb_means_whole_frame_central8, 7},
                        Case{ppl_rgb_means_whole_frame_central16, 15}}) {
    const uint32_t* m = g.getter(c);
    for (int ch = 0; ch < 3; ++ch) {
      int64_t centre = 0, ring = 0;
      for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 6; ++col) {
          const int64_t v = (&c->sub_windows[row * 8 + col].r)[ch];
          ((row == 2 || row == 3) && (col == 3 || col == 4) ? centre : ring) += v;
        }
      const int64_t all = (&c->all_sub_windows.r)[ch];
      EXPECT_EQ(m[ch], uint32_t((g.k * centre + ring + 48 * all) / (4 * g.k + 68))) << "weight " << g.k << " ch " << ch;
    }
  }
  // Windows 19, 20, 27 and 28: rows 2-3, columns 3-4.
  const uint32_t* four = ppl_rgb_means_whole_frame_4pts(c);
  for (int ch = 0; ch < 3; ++ch) {
    uint32_t sum = 0;
    for (int w : {19, 20, 27, 28}) sum += (&c->sub_windows[w].r)[ch];
    EXPECT_EQ(four[ch], sum >> 2) << ch;
  }
}

TEST_F(ControlsFrameStatistics, WeightedMeansShareOneTripleAcrossContexts) {
  ScopedContext other;
  ASSERT_EQ(ppl_set_quality(c, 2), 1);
  ASSERT_EQ(ppl_set_quality(other, 2), 1);
  set_window_means(c, [](int, int, int) { return 100u; });
  set_window_means(other, [](int, int, int) { return 900u; });
  const uint32_t* first = ppl_rgb_means_whole_frame_central8(c);
  EXPECT_NEAR(first[0], 100u, 1);
  const uint32_t* second = ppl_rgb_means_whole_frame_central8(other);
  EXPECT_EQ(first, second) << "one process-wide triple per getter";
  EXPECT_NEAR(first[0], 900u, 1) << "overwritten by the call on the other context";
  EXPECT_NE(ppl_rgb_means_whole_frame_central4(c), second);
}

TEST_F(ControlsFrameStatistics, FromQualityThreeTheWeightedMeansAreTheWholeFrameMeans) {
  for (int q : {3, 4, 5}) {
    ASSERT_EQ(ppl_set_quality(c, q), 1);
    EXPECT_EQ(ppl_rgb_means_whole_frame_central8(c), ppl_rgb_means_whole_frame(c));
    EXPECT_EQ(ppl_rgb_means_whole_frame_central4(c), ppl_rgb_means_whole_frame(c));
    EXPECT_EQ(ppl_rgb_means_whole_frame_central16(c), ppl_rgb_means_whole_frame(c));
    EXPECT_EQ(ppl_rgb_means_whole_frame_4pts(c), ppl_rgb_means_whole_frame(c));
  }
}

TEST_F(ControlsFrameStatistics, CountsAndTablesPointIntoTheContext) {
  uint32_t columns = 0, rows = 0;
  EXPECT_EQ(ppl_n_sub_windows(c, &columns, &rows), 48u);
  EXPECT_EQ(columns, 8u);
  EXPECT_EQ(rows, 6u);
  EXPECT_EQ(ppl_n_sub_windows(c, nullptr, nullptr), 48u);
  EXPECT_EQ(ppl_r_histogram(c), c->histogram[0]);
  EXPECT_EQ(ppl_g_histogram(c), c->histogram[1]);
  EXPECT_EQ(ppl_b_histogram(c), c->histogram[2]);
  c->n_frame = 77;
  EXPECT_EQ(ppl_n_frame(c), 77u);
}

}  // namespace
}  // namespace pplcam::test
