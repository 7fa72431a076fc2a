// Statistics limits with their packed forms, the post-processing of raw
// frame sums into means, and the weighted central means.
#include <gtest/gtest.h>

#include <random>

#include "controls/frame_statistics.h"
#include "controls_packed.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

TEST(ControlsStatisticsLimits, DifferenceLimitsPackTheOpenBounds) {
  ScopedContext c;
  expect_packed(c, PPL_PICK(qual_diff[kQualBmGb][0]), {-26}, "default min - 1");
  EXPECT_EQ(ppl_set_qual_GrmR_min_max(c, -32767, 32766), 1);
  expect_packed(c, PPL_PICK(qual_diff[kQualGrmR][0]), {-32768}, "widest min - 1");
  expect_packed(c, PPL_PICK(qual_diff[kQualGrmR][1]), {32767}, "widest max + 1");
  EXPECT_EQ(c->qual_limits[kQualGrmR].count, 65534);

  EXPECT_EQ(ppl_set_qual_BmGb_min_max(c, 10, -10), 0);
  EXPECT_EQ(ppl_qual_BmGb_min(c), -25) << "min > max stores nothing";
  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, -32768, 0), 0);
  EXPECT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, INT32_MIN, INT32_MAX), 0);
  EXPECT_EQ(ppl_qual_BmGb_m_GrmR_min(c), -32768) << "beyond 16 bits: stored, not packed";
  EXPECT_EQ(ppl_qual_BmGb_p_GrmR_max(c), INT32_MAX);
  EXPECT_TRUE(before.same_as(c));
}

TEST(ControlsStatisticsLimits, ChannelLimitsPackMinimumsAndSpansPerRowType) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, 10, 200, 20, 220, 30, 240), 1);
  expect_packed(c, PPL_PICK(qual_rgb[0]), {20, 10}, "GR mins: g, r");
  expect_packed(c, PPL_PICK(qual_rgb[1]), {200, 190}, "GR spans");
  expect_packed(c, PPL_PICK(qual_rgb[2]), {30, 20}, "BG mins: b, g");
  expect_packed(c, PPL_PICK(qual_rgb[3]), {210, 200}, "BG spans");
  // R lives in GR rows, B in BG rows, G in both.
  ASSERT_EQ(ppl_set_qual_R_min_max(c, 100, 100), 1);
  EXPECT_EQ(c->qual_limits[kQualR].count, 1);
  expect_packed(c, PPL_PICK(qual_rgb[1]), {200, 0}, "GR spans after R");
  expect_packed(c, PPL_PICK(qual_rgb[2]), {30, 20}, "BG mins untouched by R");
  ASSERT_EQ(ppl_set_qual_G_min_max(c, 50, 60), 1);
  expect_packed(c, PPL_PICK(qual_rgb[0]), {50, 100}, "G in GR rows");
  expect_packed(c, PPL_PICK(qual_rgb[3]), {210, 10}, "G in BG rows");

  const ConstantsSnapshot before(c);
  EXPECT_EQ(ppl_set_qual_R_min_max(c, 0, 256), 0);
  EXPECT_EQ(ppl_set_qual_B_min_max(c, -1, 10), 0);
  EXPECT_EQ(ppl_set_qual_RGB_min_max(c, 0, 255, 0, 255, 11, 10), 0);
  EXPECT_EQ(ppl_qual_R_max(c), 100);
  EXPECT_TRUE(before.same_as(c));
  EXPECT_EQ(ppl_reset_qual_min_max(c), 1);
  EXPECT_EQ(ppl_qual_B_min(c), 0);
  EXPECT_EQ(ppl_qual_GrmR_max(c), 25);
}

TEST(ControlsStatisticsLimits, QaeLimitsPackFourBytes) {
  ScopedContext c;
  for (int slot = 0; slot < 4; ++slot) expect_packed(c, PPL_PICK(qae[slot]), {(int[]){0, 255, 255, 0}[slot]}, "default");
  ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, 10, 200), 1);
  for (int slot = 0; slot < 4; ++slot) expect_packed(c, PPL_PICK(qae[slot]), {(int[]){10, 9, 200, 201}[slot]}, "10..200");
  EXPECT_EQ(ppl_set_qAE_RGB_min_max(c, 5, 4), 0);
  EXPECT_EQ(ppl_qAE_RGB_min(c), 10);
}

// ------------------------------------------------------ post-processing

// The formulas, step by step, from the raw fields of a context.
struct Expected {
  RgbSum windows[49], all, whole, qae, qual;
  uint32_t qae_count, qual_count;
};

Expected expected_means(const ppl_context* c) {
  Expected e{};
  const uint32_t s = c->stats_scale;
  uint32_t whole[3] = {c->whole_frame.r, c->whole_frame.g, c->whole_frame.b}, all[3] = {};
  for (int w = 0; w < 49; ++w) {
    uint32_t* mean = &e.windows[w].r;
    for (int ch = 0; ch < 3; ++ch) {
      const uint32_t t = uint32_t((&c->sub_windows[w].r)[ch] * s) >> 8;
      whole[ch] += t;
      mean[ch] = uint32_t(c->window_norm[ch] * t) >> 12;
      if (w < 48) all[ch] += mean[ch];
    }
  }
  e.all = RgbSum{(all[0] * 341) >> 14, (all[1] * 341) >> 14, (all[2] * 341) >> 14};
  const uint64_t cells = uint64_t(c->in_width) * uint64_t(c->in_height) / 4;
  e.whole = RgbSum{uint32_t(((uint64_t(whole[0]) << 8) + cells / 2) / cells),
                   uint32_t(((uint64_t(whole[1]) << 8) + cells) / (2 * cells)),
                   uint32_t(((uint64_t(whole[2]) << 8) + cells / 2) / cells)};
  auto qualified = [s](RgbSum sums, uint64_t n, RgbSum* means, uint32_t* count) {
    *means = n ? RgbSum{uint32_t(((uint64_t(sums.r) << 8) + n / 2) / n), uint32_t(((uint64_t(sums.g) << 8) + n) / (2 * n)),
                        uint32_t(((uint64_t(sums.b) << 8) + n / 2) / n)}
               : sums;
    *count = uint32_t(s * uint32_t(n)) >> 8;
  };
  qualified(c->qae_means, c->qae_count, &e.qae, &e.qae_count);
  qualified(c->qual_means, c->qual_count, &e.qual, &e.qual_count);
  return e;
}

void expect_triple(const uint32_t* got, const RgbSum& want, const std::string& what) {
  EXPECT_EQ(std::vector<uint32_t>(got, got + 3), (std::vector<uint32_t>{want.r, want.g, want.b})) << what;
}

TEST(ControlsFrameStatistics, MeansFollowTheFormulasForRandomSums) {
  ScopedContext c;
  std::mt19937 engine(7);
  auto below = [&engine](uint32_t n) { return static_cast<uint32_t>(engine() % n); };
  const int sizes[][2] = {{640, 480}, {704, 576}, {1280, 1024}, {320, 240}, {720, 480}};
  for (int round = 0; round < 100 && !::testing::Test::HasFailure(); ++round) {
    ASSERT_EQ(ppl_new_frame_size(c, sizes[round % 5][0], sizes[round % 5][1]), 1);
    clear_frame_statistics(c);
    const uint32_t top = round % 2 ? 40000 : 4000000;
    c->stats_scale = c->group16.geometry.stats_scale[below(4)];
    for (auto& t : c->sub_windows) t = RgbSum{below(top), below(2 * top), below(top)};
    c->qae_count = below(5000);
    c->qae_means = RgbSum{below(255 * c->qae_count + 1), below(510 * c->qae_count + 1), below(255 * c->qae_count + 1)};
    c->qual_count = below(3) ? below(5000) : 0;
    c->qual_means = RgbSum{below(255 * c->qual_count + 1), below(510 * c->qual_count + 1), 0};

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
  }
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
