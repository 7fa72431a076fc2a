// Statistics of whole Bayer frames on both paths: the raw sums, counts and
// histograms the walk leaves equal the per-cell model of the sampling rule,
// and the public results of simple frames are the ones computed by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "bayer/driver.h"
#include "controls/frame_statistics.h"
#include "core/cpu_features.h"
#include "model/statistics_model.h"
#include "pplcam/pplcam_ext.h"
#include "support/bayer_controls.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

using model::StatisticsSums;

// The conditioning formula per photosite, for the model's conditioned frame.
std::vector<uint8_t> conditioned_frame(const model::BayerControls& k, const std::vector<uint8_t>& raw, int width,
                                       int height) {
  std::vector<uint8_t> out(raw.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int colour = 2 * (y & 1) + (x & 1);
      const size_t i = static_cast<size_t>(y) * width + x;
      const uint32_t scaled = ((raw[i] * static_cast<uint32_t>(k.gain[colour])) & 0xFFFFu) >> 5;
      const int16_t sum = static_cast<int16_t>(scaled + static_cast<uint16_t>(k.delta[colour]));
      out[i] = k.gamma[sum < 0 ? 0 : sum > 255 ? 255 : sum];
    }
  }
  return out;
}

bool sse2_available() { return (cpu_features_detected() & kCpuSse2) != 0; }

// Runs one frame of the I420 driver on a path and returns the raw sums the
// kernel left (before post-processing).
StatisticsSums run_driver(ppl_context* c, bool sse2, const std::vector<uint8_t>& raw, int width, int height,
                          int decimation = 0) {
  EXPECT_EQ(ppl_new_frame_size(c, width, height), 1);
  EXPECT_EQ(ppl_set_decimation(c, decimation, 0, 0), 1);
  AlignedBuffer src(raw.size(), Align::k16);
  std::memcpy(src.data(), raw.data(), raw.size());
  const size_t out = static_cast<size_t>(c->out_width) * c->out_height * 3 / 2 + 64;
  AlignedBuffer dst(out * 4, Align::k16);
  clear_frame_statistics(c);
  run_bayer_driver(BayerOutput::kI420, sse2, c, src.data(), dst.data());
  return model::statistics_sums_of(c);
}

void expect_same_sums(const StatisticsSums& got, const StatisticsSums& want) {
  EXPECT_EQ(got.qual_count, want.qual_count);
  EXPECT_EQ(got.qae_count, want.qae_count);
  EXPECT_EQ(0, std::memcmp(&got.qual, &want.qual, sizeof got.qual)) << "qual sums";
  EXPECT_EQ(0, std::memcmp(&got.qae, &want.qae, sizeof got.qae)) << "qAE sums";
  EXPECT_EQ(0, std::memcmp(&got.whole_frame, &want.whole_frame, sizeof got.whole_frame)) << "whole frame";
  for (int w = 0; w < 49; ++w) {
    EXPECT_EQ(got.sub_windows[w].r, want.sub_windows[w].r) << "window " << w;
    EXPECT_EQ(got.sub_windows[w].g, want.sub_windows[w].g) << "window " << w;
    EXPECT_EQ(got.sub_windows[w].b, want.sub_windows[w].b) << "window " << w;
  }
  for (int ch = 0; ch < 3; ++ch)
    EXPECT_EQ(0, std::memcmp(got.histogram[ch], want.histogram[ch], sizeof got.histogram[ch])) << "histogram " << ch;
}

// Random frames with stretches of near-grey cells, so that both tests see
// passing and failing cells.
std::vector<uint8_t> test_frame(int width, int height, uint32_t seed) {
  std::vector<uint8_t> f = random_bytes(static_cast<size_t>(width) * height, seed);
  std::mt19937 rng(seed);
  for (int y = 0; y + 1 < height; y += 2) {
    for (int x = 0; x + 1 < width; x += 2) {
      if ((x / 24 + y / 6) % 2) continue;
      const int base = static_cast<int>(rng() % 256);
      for (int i = 0; i < 4; ++i) {
        const int v = base + static_cast<int>(rng() % 41) - 20;
        f[static_cast<size_t>(y + i / 2) * width + x + i % 2] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
  return f;
}

void narrow_limits(ppl_context* c) {
  ASSERT_EQ(ppl_set_qual_BmGb_min_max(c, -12, 30), 1);
  ASSERT_EQ(ppl_set_qual_GrmR_min_max(c, -20, 8), 1);
  ASSERT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, -25, 35), 1);
  ASSERT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, -40, 20), 1);
  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, 20, 230, 10, 240, 30, 200), 1);
  ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, 60, 190), 1);
}

void check_frames(const std::vector<int>& qualities) {
  const int sizes[][2] = {{128, 24}, {192, 40}, {144, 30}, {200, 20}, {640, 480}};
  uint32_t seed = 60;
  for (const auto& size : sizes) {
    for (int quality : qualities) {
      for (bool narrow : {false, true}) {
        ScopedContext c;
        ASSERT_EQ(ppl_set_quality(c, quality), 1);
        if (narrow) narrow_limits(c);
        const model::BayerControls k = narrow ? random_bayer_controls(++seed) : neutral_bayer_controls();
        load_bayer_controls(c, k);
        const int w = size[0], h = size[1];
        const std::vector<uint8_t> raw = test_frame(w, h, ++seed);
        const std::vector<uint8_t> cond = conditioned_frame(k, raw, w, h);
        for (bool sse2 : {false, true}) {
          // The driver takes a width that is not a multiple of 16 on the MMX path.
          if (sse2 && (!sse2_available() || w % 16 != 0)) continue;
          SCOPED_TRACE(testing::Message() << w << "x" << h << " quality " << quality << (sse2 ? " SSE2" : " MMX")
                                          << (narrow ? " narrow limits" : ""));
          StatisticsSums want{};
          model::frame_statistics(raw.data(), cond.data(), w, h, quality, sse2 ? 16 : 8,
                                  model::statistics_limits_of(c), &want);
          expect_same_sums(run_driver(c, sse2, raw, w, h), want);
          // The scale of the quality's coverage on this path.
          EXPECT_EQ(c->stats_scale, (sse2 ? c->sse2_geometry : c->mmx_geometry).stats_scale[quality]);
          if (w == 128) expect_same_sums(run_driver(c, sse2, raw, w, h, 1), want);
        }
      }
    }
  }
}

TEST(StatisticsFrame, BilinearAndCellWalksMatchTheModel) { check_frames({2, 3}); }

TEST(StatisticsFrame, EdgeDirectedWalksMatchTheModel) { check_frames({0, 1}); }

// Quality 3 samples the same cells on both paths (columns 2-3 and 6-7 of
// every 8, all odd row pairs): the sums and counts agree; the histograms
// hold the same total weight, grouped by 4 or by 8 cells.
TEST(StatisticsFrame, CellWalkSumsAgreeAcrossPathsAndHistogramsDifferInGrouping) {
  if (!sse2_available()) GTEST_SKIP() << "no SSE2 path";
  const int w = 640, h = 480;
  const std::vector<uint8_t> raw = test_frame(w, h, 3);
  ScopedContext c;
  load_bayer_controls(c, random_bayer_controls(3));
  const StatisticsSums mmx = run_driver(c, false, raw, w, h);
  const StatisticsSums sse2 = run_driver(c, true, raw, w, h);
  EXPECT_EQ(mmx.qual_count, sse2.qual_count);
  EXPECT_EQ(mmx.qae_count, sse2.qae_count);
  EXPECT_EQ(0, std::memcmp(&mmx.qual, &sse2.qual, sizeof mmx.qual));
  EXPECT_EQ(0, std::memcmp(&mmx.qae, &sse2.qae, sizeof mmx.qae));
  EXPECT_EQ(0, std::memcmp(&mmx.whole_frame, &sse2.whole_frame, sizeof mmx.whole_frame));
  for (int ch = 0; ch < 3; ++ch) {
    uint32_t total_mmx = 0, total_sse2 = 0;
    for (int bin = 0; bin < 256; ++bin) total_mmx += mmx.histogram[ch][bin], total_sse2 += sse2.histogram[ch][bin];
    EXPECT_EQ(total_mmx, total_sse2);
    EXPECT_NE(0, std::memcmp(mmx.histogram[ch], sse2.histogram[ch], sizeof mmx.histogram[ch]));
  }
}

TEST(StatisticsFrame, NothingIsGatheredWithMeanCollectionOffOrInRawPassthrough) {
  const std::vector<uint8_t> raw = test_frame(128, 24, 7);
  for (int quality = 0; quality <= 5; ++quality) {
    for (uint8_t on : {0, 1}) {
      if (on && quality <= 3) continue;
      ScopedContext c;
      ASSERT_EQ(ppl_set_quality(c, quality), 1);
      ppl_set_mean_collection(c, on);
      SCOPED_TRACE(testing::Message() << "quality " << quality << " collection " << int(on));
      const StatisticsSums zero{};
      expect_same_sums(run_driver(c, false, raw, 128, 24), zero);
      if (sse2_available()) expect_same_sums(run_driver(c, true, raw, 128, 24), zero);
    }
  }
}

struct PublicResults {
  uint32_t windows[48][3], outside[3], all[3], whole[3], qae[3], qual[3], n_qae, n_qual;
  uint32_t histogram[3][256];
};

PublicResults read_results(ppl_context* c) {
  PublicResults r{};
  std::memcpy(r.windows, ppl_rgb_means_sub_windows(c), sizeof r.windows);
  std::memcpy(r.outside, ppl_rgb_means_outside_all_sub_windows(c), sizeof r.outside);
  std::memcpy(r.all, ppl_rgb_means_all_sub_windows(c), sizeof r.all);
  std::memcpy(r.whole, ppl_rgb_means_whole_frame(c), sizeof r.whole);
  std::memcpy(r.qae, ppl_qAE_rgb_means_whole_frame(c), sizeof r.qae);
  std::memcpy(r.qual, ppl_qual_rgb_means_whole_frame(c), sizeof r.qual);
  r.n_qae = ppl_n_qAE_2x2_whole_frame(c);
  r.n_qual = ppl_n_qual_2x2_whole_frame(c);
  std::memcpy(r.histogram[0], ppl_r_histogram(c), sizeof r.histogram[0]);
  std::memcpy(r.histogram[1], ppl_g_histogram(c), sizeof r.histogram[1]);
  std::memcpy(r.histogram[2], ppl_b_histogram(c), sizeof r.histogram[2]);
  return r;
}

// One frame through the public converter on the path the buffers and the
// processor choose (MMX when `mmx_only`, through the P3_only switch).
PublicResults convert(ppl_context* c, const std::vector<uint8_t>& raw, int w, int h, bool mmx_only) {
  ppl_set_P3_only(c, mmx_only ? 1 : 0);
  AlignedBuffer src(raw.size(), Align::k16), dst(raw.size() * 3 / 2, Align::k16);
  std::memcpy(src.data(), raw.data(), raw.size());
  EXPECT_EQ(BaylorToI420MMX(c, src.data(), dst.data(), w, h), 1);
  return read_results(c);
}

// A 640 x 480 frame of grey cells (100) on the left half and cells with
// B = 200 (B - Gb = 100, failing the qual test) on the right half, at
// quality 3 with neutral conditioning and qAE limits 150..255. Quality 3
// samples one cell in four evenly, 19200 cells, half of them on each side.
TEST(StatisticsFrame, TwoColourFrameGivesTheMeansCountsAndBinsComputedByHand) {
  const int w = 640, h = 480;
  std::vector<uint8_t> raw(static_cast<size_t>(w) * h, 100);
  for (int y = 0; y < h; y += 2)
    for (int x = w / 2; x < w; x += 2) raw[static_cast<size_t>(y) * w + x] = 200;
  for (bool mmx_only : {true, false}) {
    if (!mmx_only && !sse2_available()) continue;
    SCOPED_TRACE(mmx_only ? "MMX" : "SSE2");
    ScopedContext c;
    load_bayer_controls(c, neutral_bayer_controls());
    ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, 150, 255), 1);
    const PublicResults r = convert(c, raw, w, h, mmx_only);
    const uint32_t cells = w * h / 4;
    EXPECT_EQ(r.whole[0], 100u * 256);
    EXPECT_EQ(r.whole[1], 100u * 256);
    EXPECT_EQ(r.whole[2], 150u * 256);
    EXPECT_EQ(r.n_qual, cells / 2);
    EXPECT_EQ(r.qual[0], 100u * 256);
    EXPECT_EQ(r.qual[1], 100u * 256);
    EXPECT_EQ(r.qual[2], 100u * 256);
    EXPECT_EQ(r.n_qae, cells / 2);   // the grey cells are all below 150
    EXPECT_EQ(r.qae[0], 100u * 256);
    EXPECT_EQ(r.qae[2], 200u * 256);
    // Samples never straddle the middle: half of them have four (eight)
    // grey cells, half none that qualifies. Weight = cells per sample.
    const uint32_t sampled = cells / 4;
    EXPECT_EQ(r.histogram[0][100], sampled / 2);
    EXPECT_EQ(r.histogram[0][0], sampled / 2);
    EXPECT_EQ(r.histogram[1][100], sampled);
    EXPECT_EQ(r.histogram[1][0], sampled);
    EXPECT_EQ(r.histogram[2][100], sampled / 2);
    EXPECT_EQ(r.histogram[2][0], sampled / 2);
    for (const auto& window : r.windows)
      for (uint32_t v : window) ASSERT_EQ(v, 0u);   // no sub-windows at quality 3
    EXPECT_EQ(r.outside[0], 0u);
  }
}

// A flat frame at quality 2: every window with the full number of samples
// reports the same mean, computed from its sample count, the coverage scale
// and the window normaliser.
TEST(StatisticsFrame, FlatFrameGivesEqualWindowMeansComputedByHand) {
  const int w = 640, h = 480, v = 90;
  const std::vector<uint8_t> raw(static_cast<size_t>(w) * h, v);
  for (bool mmx_only : {true, false}) {
    if (!mmx_only && !sse2_available()) continue;
    SCOPED_TRACE(mmx_only ? "MMX" : "SSE2");
    ScopedContext c;
    ASSERT_EQ(ppl_set_quality(c, 2), 1);
    load_bayer_controls(c, neutral_bayer_controls());
    const PublicResults r = convert(c, raw, w, h, mmx_only);
    // Windows of 10 groups (MMX) and 40 row pairs: 20 odd row pairs and 5
    // odd groups, 100 samples of 4 cells. SSE2 windows of 5 groups hold 2
    // or 3 odd groups in turn: windows 0, 2, 4, 6 of a row have 2 (40
    // samples of 8 cells), windows 1, 3, 5 have 3 (60 samples).
    const uint32_t scale = (mmx_only ? c->mmx_geometry : c->sse2_geometry).stats_scale[2];
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < 7; ++col) {
        const uint32_t cells = mmx_only ? 400 : col % 2 ? 480 : 320;
        const uint32_t t = (cells * v * scale) >> 8;
        const uint32_t mean_rb = (c->window_norm[0] * t) >> 12, mean_g = (c->window_norm[1] * 2 * t) >> 12;
        EXPECT_EQ(r.windows[8 * row + col][0], mean_rb) << row << "," << col;
        EXPECT_EQ(r.windows[8 * row + col][1], mean_g) << row << "," << col;
        EXPECT_EQ(r.windows[8 * row + col][2], mean_rb) << row << "," << col;
      }
    }
    // Every sampled cell is grey and qualifies: one mean and one bin, whose
    // weight is the number of sampled cells.
    EXPECT_EQ(r.n_qual, (scale * r.histogram[0][v]) >> 8);
    EXPECT_EQ(r.n_qae, r.n_qual);
    EXPECT_EQ(r.qual[0], v * 256u);
    EXPECT_EQ(r.qae[1], v * 256u);
    EXPECT_EQ(r.histogram[1][v], 2 * r.histogram[0][v]);
    EXPECT_EQ(r.histogram[0][0], 0u);
  }
}

// Level means (pplcam_ext.h): a flat frame reads its level in every region
// with samples and over the whole frame, on both paths (a width that is
// not a multiple of 16 walks 8-wide groups on either), with the counts of
// the cells the model samples: a frame of ones sums to them.
TEST(StatisticsFrame, LevelMeansOfAFlatFrameAreItsLevelOverTheSampledCells) {
  const int frames[][3] = {{128, 24, 1}, {144, 30, 255}, {200, 20, 100}, {640, 480, 100}, {1280, 1024, 37}};
  for (const auto& f : frames) {
    const int w = f[0], h = f[1], v = f[2];
    const std::vector<uint8_t> raw(static_cast<size_t>(w) * h, static_cast<uint8_t>(v));
    const std::vector<uint8_t> ones(raw.size(), 1);
    // Qualities 0 to 3, then quality 2 with mean collection off.
    for (int run = 0; run <= 4; ++run) {
      const int quality = run == 4 ? 2 : run;
      for (bool mmx_only : {true, false}) {
        if (!mmx_only && !sse2_available()) continue;
        SCOPED_TRACE(testing::Message() << w << "x" << h << " run " << run << (mmx_only ? " MMX" : ""));
        ScopedContext c;
        ASSERT_EQ(ppl_set_quality(c, quality), 1);
        ppl_set_mean_collection(c, run < 4);
        load_bayer_controls(c, neutral_bayer_controls());
        convert(c, raw, w, h, mmx_only);
        StatisticsSums want{};
        if (run < 4)
          model::frame_statistics(ones.data(), ones.data(), w, h, quality, mmx_only || w % 16 ? 8 : 16,
                                  model::statistics_limits_of(c), &want);
        uint32_t means[49][3], cells[49], whole[3], sampled = 0;
        const uint32_t in_regions = ppl_ext_level_means_sub_windows(c, &means[0][0], cells);
        for (int i = 0; i < 49; ++i) {
          ASSERT_EQ(cells[i], want.sub_windows[i].r) << "region " << i;
          for (uint32_t m : means[i]) ASSERT_EQ(m, cells[i] ? v * 256u : 0u) << "region " << i;
          sampled += cells[i];
        }
        EXPECT_EQ(in_regions, sampled);
        if (quality == 3) sampled = want.whole_frame.r / 4;
        EXPECT_EQ(ppl_ext_level_means_whole_frame(c, whole), sampled);
        for (uint32_t m : whole) EXPECT_EQ(m, sampled ? v * 256u : 0u);
        EXPECT_EQ(sampled > 0, run < 4);
      }
    }
  }
}

// Weighted and four-point means below quality 3 come from the windows: a
// frame brighter in the four central windows lifts them in the order of
// their central weight. From quality 3 they are the whole-frame means.
TEST(StatisticsFrame, WeightedMeansFollowTheQualityRule) {
  const int w = 640, h = 480;
  std::vector<uint8_t> raw(static_cast<size_t>(w) * h, 60);
  // Windows are 80 columns by 80 rows; rows 2-3 and columns 3-4 of the grid.
  for (int y = 160; y < 320; ++y)
    for (int x = 240; x < 400; ++x) raw[static_cast<size_t>(y) * w + x] = 180;
  ScopedContext c;
  load_bayer_controls(c, neutral_bayer_controls());
  ASSERT_EQ(ppl_set_quality(c, 2), 1);
  const PublicResults r = convert(c, raw, w, h, true);
  const uint32_t* four = ppl_rgb_means_whole_frame_4pts(c);
  const uint32_t centre = (r.windows[19][0] + r.windows[20][0] + r.windows[27][0] + r.windows[28][0]) >> 2;
  EXPECT_EQ(four[0], centre);
  const uint32_t c4 = ppl_rgb_means_whole_frame_central4(c)[0];
  const uint32_t c8 = ppl_rgb_means_whole_frame_central8(c)[0];
  const uint32_t c16 = ppl_rgb_means_whole_frame_central16(c)[0];
  EXPECT_LT(r.all[0], c4);
  EXPECT_LT(c4, c8);
  EXPECT_LT(c8, c16);
  EXPECT_LT(c16, centre);

  ASSERT_EQ(ppl_set_quality(c, 3), 1);
  convert(c, raw, w, h, true);
  EXPECT_EQ(ppl_rgb_means_whole_frame_4pts(c), ppl_rgb_means_whole_frame(c));
  EXPECT_EQ(ppl_rgb_means_whole_frame_central16(c), ppl_rgb_means_whole_frame(c));
}

// Sampling reads the block left of the current one and the kept copy:
// nothing outside the frame, at either end of the source buffer.
TEST(StatisticsFrame, SamplingStaysInsideTheFrame) {
  const int w = 160, h = 20;
  const std::vector<uint8_t> raw = test_frame(w, h, 11);
  for (int quality = 0; quality <= 3; ++quality) {
    for (Guard guard : {Guard::kBefore, Guard::kAfter}) {
      ScopedContext c;
      ASSERT_EQ(ppl_set_quality(c, quality), 1);
      ASSERT_EQ(ppl_new_frame_size(c, w, h), 1);
      GuardedBuffer src(raw.size(), guard);
      AlignedBuffer dst(raw.size() * 2, Align::k16);
      for (bool sse2 : {false, true}) {
        if (sse2 && !sse2_available()) continue;
        std::memcpy(src.data(), raw.data(), raw.size());
        clear_frame_statistics(c);
        run_bayer_driver(BayerOutput::kI420, sse2, c, src.data(), dst.data());
        EXPECT_GT(c->qae_count, 0u);
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
