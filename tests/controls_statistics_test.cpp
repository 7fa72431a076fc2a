// Statistics limits with their packed forms, the post-processing of raw
// frame sums into means, and the weighted central means.
#include <gtest/gtest.h>

#include "controls/frame_statistics.h"
#include "controls_packed.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

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
  EXPECT_EQ(ppl_qual_BmGb_m_GrmR_min(c), -32768) << "beyond 16 bits: stored, not packed";
  EXPECT_EQ(ppl_qual_BmGb_p_GrmR_max(c), INT32_MAX);
  EXPECT_EQ(ppl_set_qual_R_min_max(c, 0, 256), 0);
  EXPECT_EQ(ppl_set_qual_B_min_max(c, -1, 10), 0);
  EXPECT_EQ(ppl_set_qual_RGB_min_max(c, 0, 255, 0, 255, 11, 10), 0);
  EXPECT_EQ(ppl_set_qAE_RGB_min_max(c, 5, 4), 0);
  EXPECT_EQ(ppl_qual_R_max(c), 100);
  EXPECT_EQ(ppl_qAE_RGB_min(c), 0);
  EXPECT_EQ(constants_bytes(c), before);
  EXPECT_EQ(ppl_reset_qual_min_max(c), 1);
  EXPECT_EQ(ppl_qual_B_min(c), 0);
  EXPECT_EQ(ppl_qual_GrmR_max(c), 25);
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
