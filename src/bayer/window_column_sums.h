// The accumulator sums of the wide rows' sampled row pairs, kept by
// sub-window column as 64-bit lanes while the samples stay in one row of
// windows, and added to the accumulators when that row ends.
//
// A 640-pixel row pair crosses a window edge every five column groups, and
// the samples of a wide step often fall on both sides of one: reducing the
// running sums at every edge cost more than the rest of the accumulator
// pass. Kept by column, a frame reduces them once per window instead. The
// accumulators' 32-bit sums wrap, so adding a window's total once, shifted,
// gives the same words as adding each sample's shifted sums.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/simd.h"

namespace pplcam {

// Columns of one row of windows, for 16-byte struct S.
template <class S>
class WindowColumnSums {
  using V = typename S::V;

 public:
  static constexpr int kColumns = 9;   // the grid's eight, then outside it

  WindowColumnSums() {
    for (int column = 0; column < kColumns; ++column) clear(column);
  }

  // Adds the 64-bit lane sums of R, G (Gb + Gr) and B to a column.
  PPL_MEMBER_INLINE void add(int column, V r, V g, V b) {
    uint64_t(*c)[2] = lanes_[column];
    S::store(c[0], S::add64(S::load(c[0]), r));
    S::store(c[1], S::add64(S::load(c[1]), g));
    S::store(c[2], S::add64(S::load(c[2]), b));
    used_ |= 1u << column;
  }

  // Each used column's sums to the accumulator accumulator(column) returns,
  // shifted left by `shift`, and unshifted to the qAE sums, which start
  // from all sampled cells; then the columns are empty again.
  template <class Accumulator>
  void flush(ppl_context* c, int shift, Accumulator&& accumulator) {
    for (int column = 0; column < kColumns; ++column) {
      if ((used_ & (1u << column)) == 0) continue;
      uint64_t(*l)[2] = lanes_[column];
      const uint32_t r = static_cast<uint32_t>(l[0][0] + l[0][1]);
      const uint32_t g = static_cast<uint32_t>(l[1][0] + l[1][1]);
      const uint32_t b = static_cast<uint32_t>(l[2][0] + l[2][1]);
      RgbSum* acc = accumulator(column);
      acc->r += r << shift, acc->g += g << shift, acc->b += b << shift;
      c->qae_means.r += r, c->qae_means.g += g, c->qae_means.b += b;
      clear(column);
    }
    used_ = 0;
  }

 private:
  void clear(int column) {
    for (int channel = 0; channel < 3; ++channel) lanes_[column][channel][0] = lanes_[column][channel][1] = 0;
  }

  alignas(16) uint64_t lanes_[kColumns][3][2];
  uint32_t used_ = 0;
};

// The grid column of sampled column groups met left to right in a row
// pair: 0 to 7, or 8 beyond the grid (every group when the grid has no
// columns).
class GridColumn {
 public:
  explicit GridColumn(int32_t window_groups) : window_groups_(window_groups), edge_(window_groups) {}

  PPL_MEMBER_INLINE int of(int32_t group) {
    while (column_ < 8 && group >= edge_) {
      ++column_;
      edge_ += window_groups_;
    }
    return column_;
  }

 private:
  int32_t window_groups_, edge_;   // edge_: the first group of the next column
  int column_ = 0;
};

}  // namespace pplcam
