// Selection of the statistics accumulator of each column group: one of the
// 48 sub-window triples of the 8 x 6 grid, or triple 48 for everything
// outside the grid.
//
// The walk visits row pairs top to bottom and groups left to right, so the
// window row and column are kept by counting instead of dividing: the row
// moves on by 8 triples every `wh` row pairs inside the grid, the column by
// one triple every `ww` groups inside the grid row.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

class SubWindowCursor {
 public:
  SubWindowCursor(ppl_context* c, const GroupGeometry& g)
      : base_(c->sub_windows),
        outside_(c->sub_windows + 48),
        window_groups_(g.window_groups),
        grid_groups_(g.grid_groups),
        window_pairs_(g.window_pairs),
        grid_pairs_(g.grid_pairs) {}

  // Accumulator of column group j of row pair k. Calls come in walk order
  // (k never decreases, j increases within a row pair); the cursor steps
  // through the row pairs and groups in between. Always inlined, so that no
  // shared out-of-line copy is built with one kernel path's instruction set.
  inline __attribute__((always_inline)) RgbSum* at(int32_t k, int32_t j) {
    while (pair_ <= k) begin_row_pair();
    while (group_ <= j) current_ = next_group();
    return current_;
  }

  // Start of the next row pair (the first call is row pair 0).
  void begin_row_pair() {
    const int32_t k = pair_++;
    group_ = 0;
    if (k >= grid_pairs_) {
      row_ = nullptr;
    } else if (k == 0) {
      row_ = base_;
      pairs_left_ = window_pairs_;
    } else if (--pairs_left_ == 0) {
      row_ += 8;
      pairs_left_ = window_pairs_;
    }
  }

  // Accumulator of the next column group of the row pair (the first call
  // after begin_row_pair is group 0).
  RgbSum* next_group() {
    const int32_t j = group_++;
    if (row_ == nullptr || j >= grid_groups_) return outside_;
    if (j == 0) {
      window_ = row_;
      groups_left_ = window_groups_;
    } else if (--groups_left_ == 0) {
      ++window_;
      groups_left_ = window_groups_;
    }
    return window_;
  }

 private:
  RgbSum* base_;
  RgbSum* outside_;
  int32_t window_groups_, grid_groups_, window_pairs_, grid_pairs_;
  int32_t pair_ = 0, group_ = 0;
  int32_t pairs_left_ = 0, groups_left_ = 0;
  RgbSum* row_ = nullptr;      // first triple of the row pair's window row
  RgbSum* window_ = nullptr;   // triple of the last group inside the grid
  RgbSum* current_ = nullptr;  // triple of the last group stepped over
};

}  // namespace pplcam
