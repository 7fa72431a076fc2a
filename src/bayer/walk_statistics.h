// Statistics sampling as the Bayer walks drive it: every block the walk
// conditions passes through condition(), which decides from the block's
// place alone whether it is the run-ahead block of a sampled column group.
//
// The run-ahead block of column group g in row pair k lies `ahead_groups`
// groups to the right and `ahead_pairs` row pairs below:
//   quality 0: (k + 2, g + 2)   quality 1: (k + 2, g + 1)
//   quality 2: (k + 1, g + 1)   quality 3: the group itself
// Samples come from the inner loop of the middle row pairs only (row pairs
// 1 .. n - 3 at qualities 0 and 1, 1 .. n - 2 at quality 2, all at quality
// 3) and from odd row pairs; an even group keeps its raw block, an odd
// group below the trailing groups (G - 4, G - 3, G - 2 and G - 1 at
// qualities 0 to 3) samples it together with the kept one. Group 0 is an
// even group: its run-ahead block is kept by the first-group routine.
// Blocks the walk conditions for any other reason (the first row pairs,
// the left border, the trailing groups) map to no sampled group and are
// only conditioned.
//
// Quality 3 counts blocks, not the group that conditions them: the sampled
// cells are those of block pairs (0, 1), (2, 3), ... of the row pair
// whether the walk conditions a block in its own group or one group ahead.
#pragma once

#include <climits>
#include <cstdint>
#include <type_traits>

#include "bayer/statistics_reach.h"
#include "bayer/statistics_sample.h"
#include "bayer/walk_drivers.h"
#include "bayer/wide_statistics_sample.h"
#include "bayer/window_column_sums.h"
#include "core/context.h"

namespace pplcam {

template <class P>
class WalkStatistics {
  using S = typename P::S;
  static constexpr int kGroup = P::kGroup;

 public:
  // Sampling at `quality` of a frame walked as `groups` column groups and
  // `n` row pairs.
  WalkStatistics(ppl_context* c, int32_t quality, int32_t groups, int32_t n)
      : c_(c),
        acc_shift_(quality == 3 ? 2 : 0),
        sampler_(c, acc_shift_),
        walk_(group_walk<kGroup>(c)),
        window_groups_(group_geometry<kGroup>(c).window_groups),
        window_pairs_(group_geometry<kGroup>(c).window_pairs),
        grid_pairs_(group_geometry<kGroup>(c).grid_pairs),
        whole_frame_(quality == 3 ? &c->whole_frame : nullptr) {
    on_ = c->mean_collection != 0 && quality >= 0 && quality <= 3;
    const SampleReach r = sample_reach(quality, n, groups);
    ahead_groups_ = r.ahead_groups, ahead_pairs_ = r.ahead_pairs, last_pair_ = r.last_pair, last_group_ = r.last_group;
  }

  // Whether any block of row pair `block_pair` is the run-ahead block of a
  // sampled group; when not, the row pair is conditioned without condition().
  bool samples_row_pair(int32_t block_pair) const {
    const int32_t k = block_pair - ahead_pairs_;
    return on_ && k > 0 && (k & 1) != 0 && k <= last_pair_;
  }

  // Conditions every block of row pair `block_pair`, whose `groups` blocks
  // start at bg_row and gr_row, left to right by calling
  // condition_group(bg, gr) on each, and samples as condition() would,
  // block by block; for row pairs where samples_row_pair() holds. Each
  // sample is taken after the next block has been conditioned: its
  // conditioned bytes are then read back once the lookups that wrote them
  // are done, instead of waiting for them. (Sums do not depend on order.)
  template <class ConditionGroup>
  void condition_row_pair(int32_t block_pair, int32_t groups, uint8_t* bg_row, uint8_t* gr_row,
                          ConditionGroup&& condition_group) {
    const int32_t k = block_pair - ahead_pairs_;
    struct Pending {
      RgbSum* acc;
      BayerBlock<S> raw_cells;
      const uint8_t *bg, *gr;
    } pending{};
    bool waiting = false;
    for (int32_t j = 0; j < groups; ++j) {
      uint8_t* bg = bg_row + j * kGroup;
      uint8_t* gr = gr_row + j * kGroup;
      const int32_t g = j - ahead_groups_;
      const bool sampled = g >= 0 && g <= last_group_;
      if (sampled && (g & 1) != 0) {
        RgbSum* acc = accumulator(k, g);
        const BayerBlock<S> raw_cells = sampler_.raw_cells(walk_, load_block<S>(bg, gr));
        condition_group(bg, gr);
        if (waiting) sampler_.take_cells(pending.acc, pending.raw_cells, pending.bg, pending.gr);
        pending = {acc, raw_cells, bg, gr};
        waiting = true;
        continue;
      }
      if (sampled) sampler_.save_raw(walk_, bg, gr);
      condition_group(bg, gr);
      if (waiting) sampler_.take_cells(pending.acc, pending.raw_cells, pending.bg, pending.gr);
      waiting = false;
    }
    if (waiting) sampler_.take_cells(pending.acc, pending.raw_cells, pending.bg, pending.gr);
  }

  // The same on the wide rows, whose register W holds several column
  // groups: condition_groups(bg, gr, bytes) conditions any run of whole
  // groups of the row pair. Sample s takes blocks ahead_groups + 2s and
  // ahead_groups + 2s + 1; WideStatisticsSampler takes two samples a step,
  // a last single sample takes the 16-byte code. Every step is qualified
  // on the raw bytes first, then the row pair is conditioned in one pass
  // (the conditioner's tables are loaded once, not once per step), then
  // every step reads its conditioned bytes back, long after the stores
  // that wrote them. Sums do not depend on order: the steps' accumulator
  // sums wait by grid column until the row of windows changes, and after
  // the frame's last sampled row pair.
  template <class W, class ConditionGroups>
  void condition_row_pair_wide(int32_t block_pair, int32_t groups, uint8_t* bg_row, uint8_t* gr_row,
                               ConditionGroups&& condition_groups) {
    using Wide = WideStatisticsSampler<P, W>;
    const int32_t k = block_pair - ahead_pairs_;
    const int32_t samples = last_group_ > 0 ? (last_group_ + 1) / 2 : 0;
    const int32_t steps = samples / 2;
    const int32_t first = samples > 0 ? ahead_groups_ : 0;
    constexpr int32_t kStep = Wide::kStepGroups * kGroup;
    RgbSum* const window_row = window_row_of(k);
    if (window_row != columns_row_) {
      flush_columns();
      columns_row_ = window_row;
    }
    Wide wide(c_, &columns_);
    uint8_t* bg = bg_row + first * kGroup;
    uint8_t* gr = gr_row + first * kGroup;
    for (int32_t t = 0; t < steps; ++t) wide.qualify(wide.load_raw(bg + t * kStep, gr + t * kStep));
    // The last single sample: blocks `single` and single + 1.
    const int32_t single = first + steps * Wide::kStepGroups;
    const bool odd = 2 * steps < samples;
    BayerBlock<S> raw_cells{};
    if (odd) {
      sampler_.save_raw(walk_, bg_row + single * kGroup, gr_row + single * kGroup);
      raw_cells = sampler_.raw_cells(walk_, load_block<S>(bg_row + (single + 1) * kGroup,
                                                          gr_row + (single + 1) * kGroup));
    }
    condition_groups(bg_row, gr_row, groups * kGroup);
    GridColumn column = grid_column();
    for (int32_t t = 0; t < steps; ++t) {
      const int col0 = column.of(4 * t + 1);
      wide.expose(col0, column.of(4 * t + 3), bg + t * kStep, gr + t * kStep);
    }
    if (odd)
      sampler_.take_cells(column_accumulator(column.of(2 * samples - 1)), raw_cells, bg_row + (single + 1) * kGroup,
                          gr_row + (single + 1) * kGroup);
    wide.finish();
    if (k + 2 > last_pair_) flush_columns();
  }

  // Conditions block `block_group` of row pair `block_pair`, whose rows
  // start at bg_row and gr_row, by calling `condition()`; keeps or samples
  // the block around it when it is the run-ahead block of a sampled group.
  template <class Condition>
  PPL_MEMBER_INLINE void condition(int32_t block_pair, int32_t block_group, const uint8_t* bg_row,
                                   const uint8_t* gr_row, Condition&& condition) {
    const int32_t k = block_pair - ahead_pairs_, g = block_group - ahead_groups_;
    if (!on_ || k <= 0 || (k & 1) == 0 || k > last_pair_ || g < 0 || g > last_group_) {
      condition();
      return;
    }
    // Only odd groups take a sample, so only they need the accumulator.
    RgbSum* acc = (g & 1) == 0 ? nullptr : accumulator(k, g);
    sampler_.run_ahead((g & 1) != 0, acc, walk_, bg_row, gr_row, condition);
  }

 private:
  // The accumulator of sampled group g of row pair k. Calls come in walk
  // order: k never decreases, and g increases within a row pair.
  PPL_MEMBER_INLINE RgbSum* accumulator(int32_t k, int32_t g) {
    if (whole_frame_ != nullptr) return whole_frame_;
    if (k != pair_) {
      pair_ = k;
      pair_row_ = window_row_of(k);
      pair_column_ = grid_column();
    }
    return in_row(pair_row_, pair_column_.of(g));
  }

  // The first accumulator of the row of windows of row pair k, null below
  // the grid.
  RgbSum* window_row_of(int32_t k) const {
    if (whole_frame_ != nullptr) return whole_frame_;
    return k < grid_pairs_ ? c_->sub_windows + 8 * (k / window_pairs_) : nullptr;
  }

  // The accumulator of grid column `column` of a row of windows (null: below
  // the grid), the region outside the grid for column 8.
  RgbSum* in_row(RgbSum* row, int column) const {
    return row == nullptr || column == 8 ? c_->sub_windows + 48 : row + column;
  }

  // The accumulator of grid column `column` in the columns' row of windows.
  RgbSum* column_accumulator(int column) const { return in_row(columns_row_, column); }

  // The grid columns of a row pair's sampled groups. Quality 3 sums the
  // whole frame: one column, in the "row" window_row_of gives it.
  GridColumn grid_column() const { return GridColumn(whole_frame_ != nullptr ? INT32_MAX : window_groups_); }

  void flush_columns() {
    columns_.flush(c_, acc_shift_, [this](int column) { return column_accumulator(column); });
  }

  ppl_context* c_;
  int acc_shift_;   // of the sums into the accumulator: 2 into the whole frame
  StatisticsSampler<P> sampler_;
  GroupWalkState<kGroup>* walk_;
  int32_t window_groups_, window_pairs_, grid_pairs_;   // of the sub-window grid
  // The wide rows' sums of one row of windows (none on the 16-byte rows).
  struct NoColumns {};
  std::conditional_t<(BayerKernel<P>::W::kBytes > kGroup), WindowColumnSums<S>, NoColumns> columns_;
  RgbSum* columns_row_ = nullptr;   // the row they belong to
  // The 16-byte rows' accumulators: row pair, row of windows and column.
  int32_t pair_ = -1;
  RgbSum* pair_row_ = nullptr;
  GridColumn pair_column_{0};
  RgbSum* whole_frame_;   // quality 3: the sums go to the whole frame, x4
  bool on_;
  int32_t ahead_groups_, ahead_pairs_, last_pair_, last_group_;
};

}  // namespace pplcam
