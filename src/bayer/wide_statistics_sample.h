// Statistics sampling on the wide rows (AVX2, AVX-512): the samples of four
// column groups a step, 64 bytes of each row of the pair (two 32-byte or
// one 64-byte register), with what each 16-byte sample adds exactly what
// StatisticsSampler (statistics_sample.h) adds for it.
//
// A step holds two samples: blocks (g - 1, g) and (g + 1, g + 2) for odd
// sampled groups g and g + 2. Each sample's cells are the odd 16-bit lanes
// of its two blocks, so the tests run in place on the blocks with the even
// lanes masked off: the same tests on the same cells. What a sample adds:
//   - qual: its count and sums are plain sums (a sample's count is its
//     mask's byte sum / 510), kept as 64-bit lanes of 8-byte sums over the
//     row pair; only its four histogram bins need the sample's own sums.
//     When no cell of the step passes (the common case in a coloured scene)
//     every sum is 0, so both samples only add kCells to bin 0 of each
//     histogram sum, counted here and added once at the end of the row
//     pair; otherwise each sample's bins come from its 8-byte sums, packed
//     and added across its lanes in registers (a sample without a passing
//     cell gets bins 0, as it should).
//   - the accumulator and qAE sums: plain 32-bit sums, whose order does not
//     matter (the same wrap), kept as 64-bit lanes of 8-byte sums while the
//     sub-window column stays the same and added to the column's sums
//     (window_column_sums.h) when it changes. A step whose two samples lie
//     in different columns adds each sample's own lanes to its own column.
//     The columns also give the qAE sums their start, all sampled cells;
//     the excluded cells' sums are taken off here.
//   - the qAE count: the excluded cells' mask bytes, 510 a cell, summed over
//     the row pair and divided once.
#pragma once

#include <cstdint>

#include "bayer/statistics_sample.h"
#include "bayer/wide_qual_sums.h"
#include "bayer/window_column_sums.h"
#include "core/context.h"
#include "core/simd.h"

namespace pplcam {

template <class P, class W>
class WideStatisticsSampler {
  using V = typename W::V;
  using S = typename P::S;
  using Sampler = StatisticsSampler<P>;
  static constexpr int kRegs = 64 / W::kBytes;     // registers per row and step
  static constexpr uint32_t kCells = Sampler::kCells;
  static_assert(P::kGroup == 16, "a sample is two 16-byte blocks");

 public:
  static constexpr int kStepGroups = 4;

  // The raw rows of a step, loaded before the step is conditioned.
  struct Raw {
    V bg[kRegs], gr[kRegs];
  };

  WideStatisticsSampler(ppl_context* c, WindowColumnSums<S>* columns) : c_(c), columns_(columns) {
    limits_.load(group_constants<P::kGroup>(c));
    cell_low_ = W::set1_32(0x00FF0000);
    cell_high_ = W::set1_32(static_cast<int32_t>(0xFF000000u));
    cells_ = W::or_(cell_low_, cell_high_);
    sum_r_ = sum_g_ = sum_b_ = W::zero();
    ex_r_ = ex_g_ = ex_b_ = ex_mask_ = W::zero();
    qual_r_ = qual_g_ = qual_b_ = qual_mask_ = W::zero();
  }

  PPL_VEC_INLINE Raw load_raw(const uint8_t* bg_row, const uint8_t* gr_row) {
    Raw raw;
    for (int r = 0; r < kRegs; ++r) {
      raw.bg[r] = W::load(bg_row + r * W::kBytes);
      raw.gr[r] = W::load(gr_row + r * W::kBytes);
    }
    return raw;
  }

  // The qual figures of a step's two samples from `raw`, its bytes as
  // loaded before conditioning.
  PPL_MEMBER_INLINE void qualify(const Raw& raw) {
    V mask[kRegs];
    V any_mask = W::zero();
    for (int r = 0; r < kRegs; ++r) {
      mask[r] = W::and_(limits_.qual_mask(raw.bg[r], raw.gr[r]), cells_);
      any_mask = W::or_(any_mask, mask[r]);
    }
    if (W::any(any_mask)) qualify_each(raw, mask);
    else zero_samples_ += 2;
  }

  // The rest of the step's two samples from the conditioned bytes at bg_row
  // and gr_row: the first sample's sums go to grid column col0, the
  // second's to col1.
  PPL_MEMBER_INLINE void expose(int col0, int col1, const uint8_t* bg_row, const uint8_t* gr_row) {
    V r_sums[kRegs], g_sums[kRegs], b_sums[kRegs];
    V excluded[kRegs], cond_bg[kRegs], cond_gr[kRegs];
    V any_excluded = W::zero();
    for (int r = 0; r < kRegs; ++r) {
      const V bg = W::load(bg_row + r * W::kBytes), gr = W::load(gr_row + r * W::kBytes);
      cond_bg[r] = bg, cond_gr[r] = gr;
      r_sums[r] = W::sums8(W::and_(gr, cell_high_));
      g_sums[r] = W::sums8(W::or_(W::and_(gr, cell_low_), W::and_(bg, cell_high_)));
      b_sums[r] = W::sums8(W::and_(bg, cell_low_));
      excluded[r] = W::and_(limits_.qae_excluded(bg, gr), cells_);
      any_excluded = W::or_(any_excluded, excluded[r]);
    }
    if (W::any(any_excluded)) {
      excluded_ = true;
      for (int r = 0; r < kRegs; ++r) {
        const V bg = W::and_(cond_bg[r], excluded[r]), gr = W::and_(cond_gr[r], excluded[r]);
        ex_r_ = W::add64(ex_r_, W::sums8(W::and_(gr, cell_high_)));
        ex_g_ = W::add64(ex_g_, W::sums8(W::or_(W::and_(gr, cell_low_), W::and_(bg, cell_high_))));
        ex_b_ = W::add64(ex_b_, W::sums8(W::and_(bg, cell_low_)));
        ex_mask_ = W::add64(ex_mask_, W::sums8(excluded[r]));
      }
    }
    samples_ += 2;

    if (col0 == col1) {
      if (col0 != column_) {
        flush();
        column_ = col0;
      }
      for (int r = 0; r < kRegs; ++r) {
        sum_r_ = W::add64(sum_r_, r_sums[r]);
        sum_g_ = W::add64(sum_g_, g_sums[r]);
        sum_b_ = W::add64(sum_b_, b_sums[r]);
      }
      return;
    }
    // A window edge between the two samples.
    flush();
    columns_->add(col0, sample_lanes<0>(r_sums), sample_lanes<0>(g_sums), sample_lanes<0>(b_sums));
    columns_->add(col1, sample_lanes<1>(r_sums), sample_lanes<1>(g_sums), sample_lanes<1>(b_sums));
  }

  // The row pair's figures kept here to the context.
  PPL_MEMBER_INLINE void finish() {
    flush();
    c_->qae_count += kCells * samples_;
    if (excluded_) {
      c_->qae_means.r -= W::total(ex_r_);
      c_->qae_means.g -= W::total(ex_g_);
      c_->qae_means.b -= W::total(ex_b_);
      c_->qae_count -= W::total(ex_mask_) / 510;
    }
    if (qualified_) {
      c_->qual_count += W::total(qual_mask_) / 510;
      c_->qual_means.r += W::total(qual_r_);
      c_->qual_means.g += W::total(qual_g_);
      c_->qual_means.b += W::total(qual_b_);
    }
    uint32_t(*h)[256] = c_->histogram;
    h[1][0] += 2 * kCells * zero_samples_;
    h[0][0] += kCells * zero_samples_;
    h[2][0] += kCells * zero_samples_;
  }

 private:
  // The 64-bit lanes of sample s (0 or 1) of a step, its 16-byte lanes 2s
  // and 2s + 1, added into one 16-byte register.
  template <int s>
  PPL_VEC_INLINE typename S::V sample_lanes(const V (&v)[kRegs]) {
    constexpr int a = 2 * s, b = 2 * s + 1;
    return S::add64(W::template lane<a % W::kGroupLanes>(v[a / W::kGroupLanes]),
                    W::template lane<b % W::kGroupLanes>(v[b / W::kGroupLanes]));
  }

  // The running sums to their column.
  PPL_MEMBER_INLINE void flush() {
    if (column_ >= 0) columns_->add(column_, fold(sum_r_), fold(sum_g_), fold(sum_b_));
    sum_r_ = sum_g_ = sum_b_ = W::zero();
    column_ = -1;
  }

  // The 64-bit lanes of a register added into one 16-byte register.
  PPL_VEC_INLINE typename S::V fold(V v) {
    static_assert(W::kGroupLanes == 2 || W::kGroupLanes == 4, "two or four lanes");
    const typename S::V low = S::add64(W::template lane<0>(v), W::template lane<1>(v));
    if constexpr (W::kGroupLanes == 2) return low;
    else return S::add64(low, S::add64(W::template lane<2 % W::kGroupLanes>(v), W::template lane<3 % W::kGroupLanes>(v)));
  }

  // Some cell of the step passes the qual test: the plain sums kept in
  // registers, each sample's bins packed and reduced (wide_qual_sums.h).
  PPL_MEMBER_INLINE void qualify_each(const Raw& raw, const V (&mask)[kRegs]) {
    qualified_ = true;
    V packed[kRegs];
    for (int r = 0; r < kRegs; ++r) {
      const V bg = W::and_(raw.bg[r], mask[r]), gr = W::and_(raw.gr[r], mask[r]);
      const V gb = W::sums8(W::and_(bg, cell_high_)), red = W::sums8(W::and_(gr, cell_high_));
      const V blue = W::sums8(W::and_(bg, cell_low_)), g_r = W::sums8(W::and_(gr, cell_low_));
      qual_mask_ = W::add64(qual_mask_, W::sums8(mask[r]));
      qual_r_ = W::add64(qual_r_, red);
      qual_g_ = W::add64(qual_g_, W::add64(gb, g_r));
      qual_b_ = W::add64(qual_b_, blue);
      packed[r] = W::or_(W::or_(gb, W::template sll64<16>(red)),
                         W::or_(W::template sll64<32>(blue), W::template sll64<48>(g_r)));
    }
    const StepQualBins q = step_qual_bins<W, kRegs, Sampler::kHistogramShift>(packed);
    uint32_t(*h)[256] = c_->histogram;
    for (int s = 0; s < 2; ++s) {
      h[1][q.bins[s][0]] += kCells;
      h[0][q.bins[s][1]] += kCells;
      h[2][q.bins[s][2]] += kCells;
      h[1][q.bins[s][3]] += kCells;
    }
  }

  ppl_context* c_;
  WindowColumnSums<S>* columns_;
  SampleLimits<W> limits_;
  V cell_low_, cell_high_, cells_;    // the bytes of the odd 16-bit lanes
  V sum_r_, sum_g_, sum_b_;           // 8-byte sums bound for column_
  V ex_r_, ex_g_, ex_b_, ex_mask_;    // of the cells the qAE test excludes
  V qual_r_, qual_g_, qual_b_, qual_mask_;   // of the cells the qual test passes
  int column_ = -1;
  uint32_t samples_ = 0, zero_samples_ = 0;
  bool qualified_ = false, excluded_ = false;   // some cell passed, some was excluded
};

}  // namespace pplcam
