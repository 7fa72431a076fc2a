// Statistics of whole Bayer frames on every path: the raw sums, counts and
// histograms the walk leaves equal the per-cell model of the sampling rule,
// and the public results of simple frames are the ones computed by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "bayer/driver.h"
#include "controls/frame_statistics.h"
#include "model/bayer_model.h"
#include "model/statistics_model.h"
#include "pplcam/pplcam_ext.h"
#include "support/bayer_controls.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"
#include "support/same_bytes.h"

namespace pplcam::test {
namespace {

using model::StatisticsSums;

// Runs one frame of the I420 driver on a path and returns the raw sums the
// kernel left (before post-processing). The source ends at a guard page, or
// starts at one when decimating: the sampling reads blocks ahead of and
// behind the walk, and must stay inside the frame.
StatisticsSums run_driver(ppl_context* c, PathId path, const std::vector<uint8_t>& raw, int width, int height,
                          int decimation = 0) {
  EXPECT_EQ(ppl_new_frame_size(c, width, height), 1);
  EXPECT_EQ(ppl_set_decimation(c, decimation, 0, 0), 1);
  GuardedBuffer src(raw.size(), decimation ? Guard::kBefore : Guard::kAfter);
  std::memcpy(src.data(), raw.data(), raw.size());
  const size_t out = static_cast<size_t>(c->out_width) * c->out_height * 3 / 2 + 64;
  AlignedBuffer dst(out * 4, Align::k16);
  clear_frame_statistics(c);
  run_bayer_driver(BayerOutput::kI420, path, c, src.data(), dst.data());
  return model::statistics_sums_of(c);
}

void expect_same_sums(const StatisticsSums& got, const StatisticsSums& want) {
  EXPECT_TRUE(same_bytes(reinterpret_cast<const uint8_t*>(&got), reinterpret_cast<const uint8_t*>(&want), sizeof got))
      << "raw sums (sub-windows, whole frame, qAE, qual, histograms)";
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

// The limit ranges, {min, max} each: B - Gb, Gr - R, their sum, their
// difference, R, G, B and qAE.
using Limits = std::array<std::array<int, 2>, 8>;

void set_limits(ppl_context* c, const Limits& l) {
  ASSERT_EQ(ppl_set_qual_BmGb_min_max(c, l[0][0], l[0][1]), 1);
  ASSERT_EQ(ppl_set_qual_GrmR_min_max(c, l[1][0], l[1][1]), 1);
  ASSERT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, l[2][0], l[2][1]), 1);
  ASSERT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, l[3][0], l[3][1]), 1);
  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, l[4][0], l[4][1], l[5][0], l[5][1], l[6][0], l[6][1]), 1);
  ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, l[7][0], l[7][1]), 1);
}

// The walks of every path leave the model's sums for `raw` under the
// context's limits and controls `k`.
void expect_walks_match_model(ppl_context* c, const model::BayerControls& k, const std::vector<uint8_t>& raw,
                              int w, int h, int quality) {
  load_bayer_controls(c, k);
  std::vector<uint8_t> cond = raw;
  model::condition(k, cond.data(), w, w, h);
  for (PathId path : machine_paths()) {
    // A path runs only widths its column groups divide.
    if (w % group_bytes(path) != 0) continue;
    SCOPED_TRACE(testing::Message() << w << "x" << h << " quality " << quality << " " << path_name(path));
    StatisticsSums want{};
    model::frame_statistics(raw.data(), cond.data(), w, h, quality, group_bytes(path), model::statistics_limits_of(c),
                            &want);
    expect_same_sums(run_driver(c, path, raw, w, h), want);
    if (w == 128) expect_same_sums(run_driver(c, path, raw, w, h, 1), want);
  }
}

void check_frames(const std::vector<int>& qualities) {
  const int sizes[][2] = {{128, 24}, {192, 40}, {144, 30}, {200, 20}, {720, 36}, {640, 480}, {1920, 1088}};
  uint32_t seed = 60;
  for (const auto& size : sizes) {
    for (int quality : qualities) {
      for (bool narrow : {false, true}) {
        SCOPED_TRACE(narrow ? "narrow limits" : "");
        ScopedContext c;
        if (size[0] > 1280) ASSERT_EQ(c.allow_large_frames(), 1);
        ASSERT_EQ(ppl_set_quality(c, quality), 1);
        if (narrow) set_limits(c, {{{-12, 30}, {-20, 8}, {-25, 35}, {-40, 20}, {20, 230}, {10, 240}, {30, 200}, {60, 190}}});
        const model::BayerControls k = narrow ? random_bayer_controls(++seed) : neutral_bayer_controls();
        expect_walks_match_model(c, k, test_frame(size[0], size[1], ++seed), size[0], size[1], quality);
      }
    }
  }
}

TEST(StatisticsFrame, BilinearAndCellWalksMatchTheModel) { check_frames({2, 3}); }

TEST(StatisticsFrame, EdgeDirectedWalksMatchTheModel) { check_frames({0, 1}); }

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
      for (PathId path : machine_paths()) expect_same_sums(run_driver(c, path, raw, 128, 24), zero);
    }
  }
}

using Triple = std::array<uint32_t, 3>;
struct PublicResults {
  uint32_t windows[48][3], histogram[3][256], n_qae, n_qual;
  Triple outside, all, whole, qae, qual;
};

PublicResults read_results(ppl_context* c) {
  PublicResults r{};
  auto triple = [](const uint32_t* p) { return Triple{p[0], p[1], p[2]}; };
  std::memcpy(r.windows, ppl_rgb_means_sub_windows(c), sizeof r.windows);
  for (int ch = 0; ch < 3; ++ch)
    std::memcpy(r.histogram[ch], (ch == 0 ? ppl_r_histogram : ch == 1 ? ppl_g_histogram : ppl_b_histogram)(c),
                sizeof r.histogram[ch]);
  r.n_qae = ppl_n_qAE_2x2_whole_frame(c);
  r.n_qual = ppl_n_qual_2x2_whole_frame(c);
  r.outside = triple(ppl_rgb_means_outside_all_sub_windows(c));
  r.all = triple(ppl_rgb_means_all_sub_windows(c));
  r.whole = triple(ppl_rgb_means_whole_frame(c));
  r.qae = triple(ppl_qAE_rgb_means_whole_frame(c));
  r.qual = triple(ppl_qual_rgb_means_whole_frame(c));
  return r;
}

// One frame through the public converter with neutral conditioning, the
// context limited to `path` (a width its groups do not divide runs on a
// narrower one).
PublicResults convert(ppl_context* c, const std::vector<uint8_t>& raw, int w, int h, PathId path) {
  load_bayer_controls(c, neutral_bayer_controls());
  ScopedPathLimit limit(c, path);
  AlignedBuffer src(raw.size(), Align::k16), dst(raw.size() * 3 / 2, Align::k16);
  std::memcpy(src.data(), raw.data(), raw.size());
  EXPECT_EQ(BaylorToI420MMX(c, src.data(), dst.data(), w, h), 1);
  if (w % group_bytes(path) == 0) EXPECT_EQ(last_path(c), path);
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
  for (PathId path : machine_paths()) {
    SCOPED_TRACE(path_name(path));
    ScopedContext c;
    ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, 150, 255), 1);
    const PublicResults r = convert(c, raw, w, h, path);
    const uint32_t cells = w * h / 4;
    EXPECT_EQ(r.whole, (Triple{100 * 256, 100 * 256, 150 * 256}));
    EXPECT_EQ(r.n_qual, cells / 2);
    EXPECT_EQ(r.qual, (Triple{100 * 256, 100 * 256, 100 * 256}));
    EXPECT_EQ(r.n_qae, cells / 2);   // the grey cells are all below 150
    EXPECT_EQ(r.qae, (Triple{100 * 256, 100 * 256, 200 * 256}));
    // Samples never straddle the middle: half of them have four (eight)
    // grey cells, half none that qualifies. Weight = cells per sample.
    const uint32_t sampled = cells / 4;
    for (int ch = 0; ch < 3; ++ch)
      for (int bin : {0, 100}) EXPECT_EQ(r.histogram[ch][bin], ch == 1 ? sampled : sampled / 2) << ch << " " << bin;
    for (const auto& window : r.windows)
      for (uint32_t v : window) ASSERT_EQ(v, 0u);   // no sub-windows at quality 3
    EXPECT_EQ(r.outside, Triple{});
  }
}

// A flat 640 x 480 frame: the count of qualifying cells is the sampled
// cells scaled by the coverage, 1024 x (all cells) / (cells of the sampled
// region), which leaves out 2 rows at top and bottom and, at qualities 0
// and 1, 32 and 16 columns per side with 8-byte groups (64 and 32 with 16).
// At quality 2 every window with the full number of samples reports the
// same mean: its samples scaled, times 2^20 / (the window's 40 x 40 cells;
// G has two samples a cell), >> 12.
TEST(StatisticsFrame, FlatFrameGivesCountsAndWindowMeansComputedByHand) {
  const int w = 640, h = 480, v = 90;
  const uint32_t scales[2][3] = {{1086, 1059, 1032}, {1147, 1086, 1032}};   // 8- and 16-byte groups
  const uint32_t norm_rb = (1 << 20) / 1600, norm_g = (1 << 20) / 3200;
  const std::vector<uint8_t> raw(static_cast<size_t>(w) * h, v);
  for (int quality = 0; quality <= 2; ++quality)
    for (PathId path : machine_paths()) {
      SCOPED_TRACE(testing::Message() << path_name(path) << " quality " << quality);
      ScopedContext c;
      ASSERT_EQ(ppl_set_quality(c, quality), 1);
      const PublicResults r = convert(c, raw, w, h, path);
      const uint32_t scale = scales[group_bytes(path) == 16][quality];
      // Every sampled cell is grey and qualifies: one mean and one bin, whose
      // weight is the number of sampled cells.
      EXPECT_EQ(r.n_qual, (scale * r.histogram[0][v]) >> 8);
      EXPECT_EQ(r.n_qae, r.n_qual);
      EXPECT_EQ(r.qual[0], v * 256u);
      EXPECT_EQ(r.qae[1], v * 256u);
      EXPECT_EQ(r.histogram[1][v], 2 * r.histogram[0][v]);
      EXPECT_EQ(r.histogram[0][0], 0u);
      if (quality < 2) continue;
      // Windows of 10 8-byte groups and 40 row pairs: 20 odd row pairs and 5
      // odd groups, 100 samples of 4 cells. Windows of 5 16-byte groups hold
      // 2 or 3 odd groups in turn: windows 0, 2, 4, 6 of a row have 2 (40
      // samples of 8 cells), windows 1, 3, 5 have 3 (60 samples).
      for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 7; ++col) {
          const uint32_t cells = group_bytes(path) == 8 ? 400 : col % 2 ? 480 : 320;
          const uint32_t t = (cells * v * scale) >> 8;
          const uint32_t mean_rb = (norm_rb * t) >> 12, mean_g = (norm_g * 2 * t) >> 12;
          const uint32_t* window = r.windows[8 * row + col];
          EXPECT_EQ((Triple{window[0], window[1], window[2]}), (Triple{mean_rb, mean_g, mean_rb})) << row << "," << col;
        }
      }
      // The mean of all 48 windows (x 341 >> 14 is / 48 to within 0.1%).
      for (int ch = 0; ch < 3; ++ch) {
        double mean = 0;
        for (const auto& window : r.windows) mean += window[ch] / 48.0;
        EXPECT_NEAR(r.all[ch], mean, mean / 1000 + 1) << "all sub-windows, channel " << ch;
      }
    }
}

// Level means (pplcam_ext.h): a flat frame reads its level in every region
// with samples and over the whole frame, on every path (a width that is
// not a multiple of 16 walks 8-wide groups on any), with the counts of the
// cells the model samples: a frame of ones sums to them. At 3840 x 2160,
// where the green sums times the coverage scale pass 32 bits at level 250,
// the original whole-frame means read the level too (to within the scale's
// rounding; smaller frames' windows sample too unevenly for that).
TEST(StatisticsFrame, LevelMeansOfAFlatFrameAreItsLevelOverTheSampledCells) {
  const int frames[][3] = {{128, 24, 1},     {144, 30, 255},    {200, 20, 100},
                           {640, 480, 100},  {1280, 1024, 37},  {3840, 2160, 250}};
  for (const auto& f : frames) {
    const int w = f[0], h = f[1], v = f[2];
    const std::vector<uint8_t> raw(static_cast<size_t>(w) * h, static_cast<uint8_t>(v));
    const std::vector<uint8_t> ones(raw.size(), 1);
    // Qualities 0 to 3, then quality 2 with mean collection off.
    for (int run = 0; run <= 4; ++run) {
      const int quality = run == 4 ? 2 : run;
      for (PathId path : machine_paths()) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " run " << run << " " << path_name(path));
        ScopedContext c;
        if (w > 1280) ASSERT_EQ(c.allow_large_frames(), 1);
        ASSERT_EQ(ppl_set_quality(c, quality), 1);
        ppl_set_mean_collection(c, run < 4);
        const PublicResults r = convert(c, raw, w, h, path);
        if (run < 4 && w > 1280)
          for (uint32_t m : r.whole) EXPECT_NEAR(m, v * 256.0, v * 256.0 / 64) << "original whole-frame mean";
        StatisticsSums want{};
        if (run < 4)
          model::frame_statistics(ones.data(), ones.data(), w, h, quality, group_bytes(last_path(c)),
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

// Differences within -80..80, their sum and difference within -120..120,
// channel ranges within 0..255: each range holds the middle of its span
// (grey) and ends at random on either side, so that some of the test
// frame's near-grey cells pass all eight tests and the others fail at
// different ones.
Limits random_limits(std::mt19937& rng) {
  Limits l;
  for (int i = 0; i < 8; ++i) {
    const int lo = i < 2 ? -80 : i < 4 ? -120 : 0, hi = i < 4 ? -lo : 255, mid = (lo + hi) / 2;
    l[i][0] = std::uniform_int_distribution<int>(lo, mid - 4)(rng);
    l[i][1] = std::uniform_int_distribution<int>(mid + 4, hi)(rng);
  }
  return l;
}

TEST(StatisticsFrame, RandomLimitsMatchTheModel) {
  std::mt19937 rng(6);
  for (int round = 0; round < 12; ++round) {
    ScopedContext c;
    ASSERT_EQ(ppl_set_quality(c, round % 4), 1);
    set_limits(c, random_limits(rng));
    expect_walks_match_model(c, random_bayer_controls(round), test_frame(128, 24, round), 128, 24, round % 4);
  }
}

// Cells at the edges of the qual and qAE tests, tiled so that the cell walk
// samples each of them, under the limits they sit at.
TEST(StatisticsFrame, LimitEdgesOfTheQualAndQaeTestsMatchTheModel) {
  using model::Cell;
  // {B, Gb, Gr, R}: grey (qualifies); B - Gb 26, then 25 (sum and difference
  // 25); sum 30, then 31; Gr - R -30 (fails); all below the qAE minimum, one
  // at it; all above the qAE maximum, one at it; then the extremes.
  const Cell differences[] = {
      {100, 100, 100, 100}, {126, 100, 100, 100}, {125, 100, 100, 100}, {120, 100, 110, 100},
      {120, 100, 111, 100}, {100, 100, 100, 130}, {9, 9, 9, 9},         {9, 9, 9, 10},
      {201, 201, 201, 201}, {201, 200, 201, 201}, {0, 0, 0, 0},         {255, 255, 255, 255},
      {0, 25, 0, 0},        {25, 0, 0, 25},       {255, 230, 255, 255}, {30, 0, 0, 0}};
  // For narrow channel ranges: the wrapped-span test at both ends.
  const Cell channels[] = {
      {250, 9, 9, 100}, {249, 9, 9, 100}, {255, 0, 0, 100}, {250, 10, 9, 100}, {250, 9, 10, 100},
      {250, 9, 9, 99},  {250, 9, 9, 101}, {0, 0, 0, 0},     {255, 255, 255, 255}, {250, 0, 0, 100},
      {251, 5, 4, 100}, {252, 3, 2, 100}, {253, 1, 1, 100}, {254, 9, 0, 100},  {250, 250, 9, 100},
      {250, 9, 250, 100}};
  const int w = 128, h = 24;
  const struct {
    const Cell* cells;
    Limits limits;
  } runs[] = {{differences, {{{-25, 25}, {-25, 25}, {-30, 30}, {-30, 30}, {0, 255}, {0, 255}, {0, 255}, {10, 200}}}},
              {channels, {{{-300, 300}, {-300, 300}, {-600, 600}, {-600, 600}, {100, 100}, {0, 9}, {250, 255}, {10, 200}}}}};
  for (const auto& run : runs) {
    ScopedContext c;
    set_limits(c, run.limits);
    std::vector<uint8_t> raw(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Cell& cell = run.cells[(x / 4 + y / 2) % 16];   // cells in pairs: the walk samples the odd ones
        const int value = y % 2 ? (x % 2 ? cell.r : cell.gr) : (x % 2 ? cell.gb : cell.b);
        raw[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(value);
      }
    expect_walks_match_model(c, neutral_bayer_controls(), raw, w, h, 3);
  }
}

}  // namespace
}  // namespace pplcam::test
