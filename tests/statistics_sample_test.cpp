// The statistics sampling of one run-ahead block pair and the accumulator
// selection, on both paths, against the per-cell model.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "bayer/statistics_sample_entry.h"
#include "bayer/sub_window_cursor.h"
#include "core/cpu_features.h"
#include "model/statistics_model.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

using model::Cell;
using model::StatisticsSums;

struct Path {
  const char* name;
  int bytes;
  void (*sample)(ppl_context*, RgbSum*, int, bool, uint8_t*, uint8_t*, const uint8_t (*)[256]);
};
const Path kPaths[] = {{"MMX", 8, sample_run_ahead_mmx}, {"SSE2", 16, sample_run_ahead_sse2}};

// Two blocks side by side (the previous group's run-ahead block, then the
// current one) of one row pair, with the conditioning tables.
struct BlockPair {
  uint8_t bg[32], gr[32];
  uint8_t table[4][256];

  void set_cell(int i, Cell x) {
    bg[2 * i] = static_cast<uint8_t>(x.b);
    bg[2 * i + 1] = static_cast<uint8_t>(x.gb);
    gr[2 * i] = static_cast<uint8_t>(x.gr);
    gr[2 * i + 1] = static_cast<uint8_t>(x.r);
  }
  Cell cell(int i) const { return Cell{bg[2 * i], bg[2 * i + 1], gr[2 * i], gr[2 * i + 1]}; }
  Cell conditioned(int i) const {
    const Cell x = cell(i);
    return Cell{table[0][x.b], table[1][x.gb], table[2][x.gr], table[3][x.r]};
  }
};

void identity_tables(BlockPair* p) {
  for (int t = 0; t < 4; ++t)
    for (int v = 0; v < 256; ++v) p->table[t][v] = static_cast<uint8_t>(v);
}

// Runs the pair through a path (even group, then odd group) and the model;
// expects the same sums, counts and histograms, and the conditioned bytes.
void expect_sample_matches(ppl_context* c, const Path& path, const BlockPair& pair, int acc_shift) {
  SCOPED_TRACE(path.name);
  const int cells = path.bytes / 2;
  Cell raw[8], cond[8];
  int m = 0;
  for (int i = 1; i < 2 * cells; i += 2, ++m) {
    raw[m] = pair.cell(i);
    cond[m] = pair.conditioned(i);
  }
  std::memset(c->sub_windows, 0, sizeof c->sub_windows);
  c->whole_frame = c->qae_means = c->qual_means = RgbSum{};
  c->qae_count = c->qual_count = 0;
  std::memset(c->histogram, 0, sizeof c->histogram);
  StatisticsSums want{};
  model::add_sample(model::statistics_limits_of(c), raw, cond, m, &want.sub_windows[5], 1u << acc_shift, &want);

  BlockPair run = pair;
  path.sample(c, &c->sub_windows[5], acc_shift, false, run.bg, run.gr, pair.table);
  path.sample(c, &c->sub_windows[5], acc_shift, true, run.bg + path.bytes, run.gr + path.bytes, pair.table);

  const StatisticsSums got = model::statistics_sums_of(c);
  EXPECT_EQ(got.qual_count, want.qual_count);
  EXPECT_EQ(got.qae_count, want.qae_count);
  EXPECT_EQ(0, std::memcmp(&got.qual, &want.qual, sizeof got.qual)) << "qual sums";
  EXPECT_EQ(0, std::memcmp(&got.qae, &want.qae, sizeof got.qae)) << "qAE sums";
  EXPECT_EQ(0, std::memcmp(got.sub_windows, want.sub_windows, sizeof got.sub_windows)) << "accumulator";
  EXPECT_EQ(0, std::memcmp(got.histogram, want.histogram, sizeof got.histogram)) << "histograms";
  for (int i = 0; i < 2 * cells; ++i) {
    const Cell x = pair.conditioned(i);
    ASSERT_EQ(run.bg[2 * i], x.b);
    ASSERT_EQ(run.gr[2 * i + 1], x.r);
  }
}

bool has_path(const Path& p) {
  const uint32_t f = cpu_features_detected();
  return p.bytes == 8 ? (f & kCpuMmxPath) != 0 : (f & kCpuSse2) != 0;
}

void random_limits(ppl_context* c, std::mt19937& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto range = [&](int lo, int hi, int* a, int* b) {
    *a = pick(lo, hi);
    *b = pick(*a, hi);
  };
  int a, b, d, e, f, g;
  range(-80, 80, &a, &b);
  ASSERT_EQ(ppl_set_qual_BmGb_min_max(c, a, b), 1);
  range(-80, 80, &a, &b);
  ASSERT_EQ(ppl_set_qual_GrmR_min_max(c, a, b), 1);
  range(-120, 120, &a, &b);
  ASSERT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, a, b), 1);
  range(-120, 120, &a, &b);
  ASSERT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, a, b), 1);
  range(0, 255, &a, &b);
  range(0, 255, &d, &e);
  range(0, 255, &f, &g);
  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, a, b, d, e, f, g), 1);
  range(0, 255, &a, &b);
  ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, a, b), 1);
}

// Cells that sit near a limit more often than uniform noise would.
Cell near_grey_cell(std::mt19937& rng) {
  const int base = std::uniform_int_distribution<int>(0, 255)(rng);
  auto near = [&](int spread) {
    const int v = base + std::uniform_int_distribution<int>(-spread, spread)(rng);
    return v < 0 ? 0 : v > 255 ? 255 : v;
  };
  return Cell{near(40), near(40), near(40), near(40)};
}

TEST(StatisticsSample, RandomBlocksAndLimitsMatchTheModel) {
  ScopedContext c;
  std::mt19937 rng(6);
  for (int round = 0; round < 400; ++round) {
    if (round % 100 == 50) ppl_reset_qual_min_max(c), ppl_reset_qAE_min_max(c);
    else if (round % 10 == 0 && round % 100 > 50) random_limits(c, rng);
    BlockPair pair;
    for (int i = 0; i < 32; ++i) {
      pair.bg[i] = static_cast<uint8_t>(rng());
      pair.gr[i] = static_cast<uint8_t>(rng());
    }
    if (round % 2) for (int i = 0; i < 16; ++i) pair.set_cell(i, near_grey_cell(rng));
    for (auto& t : pair.table)
      for (auto& v : t) v = static_cast<uint8_t>(rng());
    for (const Path& path : kPaths)
      if (has_path(path)) expect_sample_matches(c, path, pair, round % 3 == 0 ? 2 : 0);
  }
}

TEST(StatisticsSample, LimitEdgesOfTheQualAndQaeTests) {
  ScopedContext c;
  ASSERT_EQ(ppl_set_qAE_RGB_min_max(c, 10, 200), 1);
  BlockPair pair;
  identity_tables(&pair);
  const Cell cells[16] = {
      {100, 100, 100, 100},  // grey: qualifies
      {126, 100, 100, 100},  // B - Gb = 26
      {125, 100, 100, 100},  // B - Gb = 25, sum and difference 25
      {120, 100, 110, 100},  // sum 30
      {120, 100, 111, 100},  // sum 31
      {100, 100, 100, 130},  // Gr - R = -30: GrmR fails
      {9, 9, 9, 9},          // all below the qAE minimum
      {9, 9, 9, 10},         // one at the minimum
      {201, 201, 201, 201},  // all above the qAE maximum
      {201, 200, 201, 201},
      {0, 0, 0, 0},          {255, 255, 255, 255}, {0, 25, 0, 0}, {25, 0, 0, 25},
      {255, 230, 255, 255},  {30, 0, 0, 0},
  };
  for (int i = 0; i < 16; ++i) pair.set_cell(i, cells[i]);
  for (const Path& path : kPaths)
    if (has_path(path)) expect_sample_matches(c, path, pair, 0);

  // Narrow channel ranges: the wrapped-span test at both ends.
  ASSERT_EQ(ppl_set_qual_RGB_min_max(c, 100, 100, 0, 9, 250, 255), 1);
  const Cell ranged[16] = {
      {250, 9, 9, 100}, {249, 9, 9, 100}, {255, 0, 0, 100}, {250, 10, 9, 100}, {250, 9, 10, 100},
      {250, 9, 9, 99},  {250, 9, 9, 101}, {0, 0, 0, 0},     {255, 255, 255, 255}, {250, 0, 0, 100},
      {251, 5, 4, 100}, {252, 3, 2, 100}, {253, 1, 1, 100}, {254, 9, 0, 100},  {250, 250, 9, 100},
      {250, 9, 250, 100}};
  ASSERT_EQ(ppl_set_qual_BmGb_min_max(c, -300, 300), 1);
  ASSERT_EQ(ppl_set_qual_GrmR_min_max(c, -300, 300), 1);
  ASSERT_EQ(ppl_set_qual_BmGb_p_GrmR_min_max(c, -600, 600), 1);
  ASSERT_EQ(ppl_set_qual_BmGb_m_GrmR_min_max(c, -600, 600), 1);
  for (int i = 0; i < 16; ++i) pair.set_cell(i, ranged[i]);
  for (const Path& path : kPaths)
    if (has_path(path)) expect_sample_matches(c, path, pair, 0);
}

// The cursor picks triple 8 x (k / wh) + j / ww inside the grid and 48
// outside, for every row pair and group, on the geometry of both paths.
TEST(StatisticsSample, AccumulatorSelectionFollowsTheGrid) {
  ScopedContext c;
  const int sizes[][2] = {{640, 480}, {704, 576}, {320, 240}, {720, 480}, {1280, 1024}, {480, 576}, {128, 12}, {136, 26}};
  for (const auto& size : sizes) {
    ASSERT_EQ(ppl_new_frame_size(c, size[0], size[1]), 1);
    for (const Path& path : kPaths) {
      if (!has_path(path)) continue;
      SCOPED_TRACE(testing::Message() << path.name << " " << size[0] << "x" << size[1]);
      const PathGeometry& g = path.bytes == 8 ? c->mmx_geometry : c->sse2_geometry;
      SubWindowCursor cursor(c, g);
      for (int k = 0; k < size[1] / 2; ++k) {
        cursor.begin_row_pair();
        for (int j = 0; j < size[0] / path.bytes; ++j) {
          const int want = model::sub_window_of(size[0], size[1], path.bytes, k, j);
          ASSERT_EQ(cursor.next_group() - c->sub_windows, want) << "k " << k << " j " << j;
        }
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
