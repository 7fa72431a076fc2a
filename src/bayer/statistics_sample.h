// Statistics sampling of the Bayer walk, written once over the kernel path
// P (core/path_types.h). What a caller sees of it follows the path's
// column-group width, P::kGroup.
//
// In an odd row pair the walk hands every column group's run-ahead block
// (the block it is about to condition) to this stage:
//   even group: the raw rows of the block are kept (save_raw);
//   odd group:  the kept block and the current one form one sample (take).
// Of each block only the odd cells are used (photosite columns 2-3, 6-7 of
// every 8), so a sample holds P::kGroup / 2 cells: 4 with 8-byte groups, 8
// with 16-byte groups. Per sample:
//   qual test on the raw cells (colour differences and channel ranges); the
//     qualifying cells' Gb, R, B, Gr sums go to the qual sums and, as the
//     mean over all cells of the sample (non-qualifying cells count 0), to
//     the histograms with the weight of one cell per sample cell;
//   qAE test on the conditioned cells (not all four samples below the
//     minimum, not all four above the maximum); qualifying cells to the qAE
//     sums;
//   the conditioned R, Gb + Gr and B of every cell to the accumulator the
//     walk selected for the group (x4 to the whole-frame sums at quality 3,
//     which has no sub-windows).
//
// Every conditioned cell of a sample is taken fully conditioned (gain,
// offset and RGB gamma table), both the kept block and the current one:
// the sums then describe the picture the caller receives, in the same
// levels as the conditioned bytes left in the source frame, and a sample
// never mixes two tone curves. The kept block is read back from the source
// frame, where the walk conditioned it one group earlier.
//
// Counts are exact: a cell that passes sets both bytes of its 16-bit mask
// lane and adds 2 x 255 = 510 to the mask's byte sum; for n <= kCells such
// cells, 510 n + kGroup lies in [512 n, 512 n + 511], so (sum + kGroup) >> 9
// is n ((sum + 8) >> 9 with 8-byte groups, (halves + 16) >> 9 with 16).
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/path_types.h"
#include "core/simd.h"

namespace pplcam {

// The two rows of one block: a blue-green row (B at even bytes, Gb at odd)
// and the green-red row below it (Gr, R).
template <class S>
struct BayerBlock {
  typename S::V bg, gr;
};

template <class S>
PPL_VEC_INLINE BayerBlock<S> load_block(const uint8_t* bg_row, const uint8_t* gr_row) {
  return BayerBlock<S>{S::load(bg_row), S::load(gr_row)};
}

// The limits of the qual and qAE tests in registers of struct X (a 16-byte
// group constant in every lane of a wider one), and the two per-cell tests,
// one 16-bit lane a cell: the 16-byte sampler and the wide rows' sampler
// (wide_statistics_sample.h) run the same tests on the same cells.
template <class X>
struct SampleLimits {
  using V = typename X::V;

  template <int Group>
  PPL_MEMBER_INLINE void load(const GroupConstants<Group>& k) {
    for (int i = 0; i < 4; ++i) {
      below[i] = load_const<X>(k.qual_diff[i][0]);
      above[i] = load_const<X>(k.qual_diff[i][1]);
    }
    gr_min = load_const<X>(k.qual_rgb[0]);
    gr_span = load_const<X>(k.qual_rgb[1]);
    bg_min = load_const<X>(k.qual_rgb[2]);
    bg_span = load_const<X>(k.qual_rgb[3]);
    qae_min_less_1 = load_const<X>(k.qae[1]);
    qae_max_plus_1 = load_const<X>(k.qae[3]);
    // A minimum of 0 (maximum of 255) excludes nothing; the packed
    // min - 1 (max + 1) would wrap to 255 (0) and exclude every cell.
    const V ones = X::cmpeq16(X::zero(), X::zero());
    below_enable = k.qae[0].byte[0] != 0 ? ones : X::zero();
    above_enable = k.qae[2].byte[0] != 255 ? ones : X::zero();
    low_bytes = X::set1_16(0x00FF);
  }

  // Mask lanes (0xFFFF) of the raw cells (blue-green lane of `bg`, green-
  // red lane of `gr`) that pass the qual test: colour differences and
  // channel ranges.
  PPL_MEMBER_INLINE V qual_mask(V bg, V gr) const {
    const V b = X::and_(bg, low_bytes);
    const V gb = X::template srl16<8>(bg);
    const V g_r = X::and_(gr, low_bytes);
    const V r = X::template srl16<8>(gr);
    const V b_gb = X::sub16(b, gb);
    const V gr_r = X::sub16(g_r, r);
    V mask = X::and_(within(kQualBmGb, b_gb), within(kQualGrmR, gr_r));
    mask = X::and_(mask, within(kQualBmGbPGrmR, X::add16(b_gb, gr_r)));
    mask = X::and_(mask, within(kQualBmGbMGrmR, X::sub16(b_gb, gr_r)));
    mask = X::and_(mask, in_ranges(bg, bg_min, bg_span));
    return X::and_(mask, in_ranges(gr, gr_min, gr_span));
  }

  // Mask lanes of the conditioned cells the qAE test excludes: all four
  // samples at most min - 1, or all four at least max + 1.
  PPL_MEMBER_INLINE V qae_excluded(V bg, V gr) const {
    const V all_below =
        X::cmpeq16(X::or_(X::subus8(bg, qae_min_less_1), X::subus8(gr, qae_min_less_1)), X::zero());
    const V all_above =
        X::cmpeq16(X::or_(X::subus8(qae_max_plus_1, bg), X::subus8(qae_max_plus_1, gr)), X::zero());
    return X::or_(X::and_(all_below, below_enable), X::and_(all_above, above_enable));
  }

  V below[4], above[4];
  V gr_min, gr_span, bg_min, bg_span;
  V qae_min_less_1, qae_max_plus_1, below_enable, above_enable;
  V low_bytes;

 private:
  // Cells whose value d lies strictly between the packed min - 1 and
  // max + 1 of difference set i.
  PPL_MEMBER_INLINE V within(int i, V d) const {
    return X::and_(X::cmpgt16(d, below[i]), X::cmpgt16(above[i], d));
  }

  // Both bytes of a lane within their channel ranges: (x - min) mod 256 <=
  // max - min, tested as a zero saturating excess over the span.
  PPL_VEC_INLINE V in_ranges(V row, V mins, V spans) {
    return X::cmpeq16(X::subus8(X::sub8(row, mins), spans), X::zero());
  }
};

template <class P>
class StatisticsSampler {
  using S = typename P::S;
  using V = typename S::V;
  static constexpr int kGroup = P::kGroup;
  static_assert(kGroup == S::kBytes, "a block is one register");

 public:
  static constexpr int kCells = P::kCellsPerSample;
  static constexpr int kHistogramShift = P::kSampleMeanShift;

  // Loads the limit vectors of path P. `whole_frame_shift` is the left shift
  // of the accumulator sums: 0 into a sub-window triple, 2 into the whole-
  // frame sums at quality 3 (one cell in four is sampled).
  StatisticsSampler(ppl_context* c, int whole_frame_shift) : c_(c), acc_shift_(whole_frame_shift) {
    limits_.load(group_constants<kGroup>(c));
    high_halves_ = S::set1_32(static_cast<int32_t>(0xFFFF0000u));
  }

  // Even column group: keeps the raw rows of the run-ahead block for the
  // sample of the next group. Call before the block is conditioned.
  PPL_MEMBER_INLINE void save_raw(GroupWalkState<kGroup>* walk, const uint8_t* bg_row,
                                  const uint8_t* gr_row) const {
    S::store(walk->saved_raw[0], S::load(bg_row));
    S::store(walk->saved_raw[1], S::load(gr_row));
  }

  // The run-ahead block of a column group of a sampled row pair, whose
  // rows start at bg_row and gr_row: `condition()` conditions it in place.
  // An even group keeps the raw block; an odd group takes the sample.
  template <class Condition>
  PPL_MEMBER_INLINE void run_ahead(bool odd_group, RgbSum* acc, GroupWalkState<kGroup>* walk,
                                   const uint8_t* bg_row, const uint8_t* gr_row, Condition&& condition) const {
    if (!odd_group) {
      save_raw(walk, bg_row, gr_row);
      condition();
      return;
    }
    const BayerBlock<S> raw = load_block<S>(bg_row, gr_row);
    condition();
    take(acc, walk, raw, bg_row, gr_row);
  }

  // Odd column group: one sample from the kept raw block of the previous
  // group and `raw` (the current block as loaded before conditioning), with
  // the conditioned bytes of both blocks read at bg_row - kGroup .. bg_row
  // + kGroup - 1 (and the same of gr_row), after the current block has been
  // conditioned. Sums go to `acc`.
  PPL_MEMBER_INLINE void take(RgbSum* acc, const GroupWalkState<kGroup>* walk, BayerBlock<S> raw,
                              const uint8_t* bg_row, const uint8_t* gr_row) const {
    take_cells(acc, raw_cells(walk, raw), bg_row, gr_row);
  }

  // The two halves of take(): the raw cells of the sample (the kept block's
  // and those of `raw`), which can be kept while the walk goes on, and the
  // sample itself from them and the conditioned bytes of both blocks.
  PPL_MEMBER_INLINE BayerBlock<S> raw_cells(const GroupWalkState<kGroup>* walk, BayerBlock<S> raw) const {
    return BayerBlock<S>{odd_cells(S::load(walk->saved_raw[0]), raw.bg),
                         odd_cells(S::load(walk->saved_raw[1]), raw.gr)};
  }
  PPL_MEMBER_INLINE void take_cells(RgbSum* acc, const BayerBlock<S>& raw_cells, const uint8_t* bg_row,
                                    const uint8_t* gr_row) const {
    const BayerBlock<S> cells{odd_cells(S::load(bg_row - kGroup), S::load(bg_row)),
                              odd_cells(S::load(gr_row - kGroup), S::load(gr_row))};
    qualify(raw_cells);
    expose_and_accumulate(acc, cells);
  }

 private:
  // Cells 1, 3, ... of `prev` and of `cur` in one register: each 32-bit
  // lane keeps cell 2i + 1 of `prev` in its high half and receives cell
  // 2i + 1 of `cur` in its low half. Sums do not depend on the order.
  PPL_MEMBER_INLINE V odd_cells(V prev, V cur) const {
    return S::or_(S::and_(prev, high_halves_), S::template srl32<16>(cur));
  }

  PPL_VEC_INLINE uint32_t cell_count(uint32_t mask_byte_sum) {
    return (mask_byte_sum + kGroup) >> 9;
  }

  PPL_MEMBER_INLINE void qualify(const BayerBlock<S>& raw) const {
    const V mask = limits_.qual_mask(raw.bg, raw.gr);

    // The four sums in the order Gb, R, B, Gr; all 0 when no cell passes,
    // the common case in a coloured scene, which skips the byte sums.
    uint32_t sums[4] = {0, 0, 0, 0};
    const uint32_t mask_sum = S::byte_sum(mask);
    if (mask_sum != 0) {
      const V bg = S::and_(raw.bg, mask), grr = S::and_(raw.gr, mask);
      sums[0] = S::byte_sum(S::template srl16<8>(bg));
      sums[1] = S::byte_sum(S::template srl16<8>(grr));
      sums[2] = S::byte_sum(S::and_(bg, limits_.low_bytes));
      sums[3] = S::byte_sum(S::and_(grr, limits_.low_bytes));
    }
    record_qual(c_, mask_sum, sums);
  }

 public:
  // What one sample adds to the qual figures: its mask's byte sum and its
  // qualifying cells' Gb, R, B, Gr sums.
  PPL_VEC_INLINE void record_qual(ppl_context* c, uint32_t mask_sum, const uint32_t sums[4]) {
    c->qual_count += cell_count(mask_sum);
    c->qual_means.g += sums[0] + sums[3];
    c->qual_means.r += sums[1];
    c->qual_means.b += sums[2];
    uint32_t(*h)[256] = c->histogram;
    h[1][sums[0] >> kHistogramShift] += kCells;
    h[0][sums[1] >> kHistogramShift] += kCells;
    h[2][sums[2] >> kHistogramShift] += kCells;
    h[1][sums[3] >> kHistogramShift] += kCells;
  }

 private:
  // Sums of R, Gb + Gr and B over the cells of a block pair.
  PPL_MEMBER_INLINE void channel_sums(const BayerBlock<S>& cells, uint32_t out[3]) const {
    out[0] = S::byte_sum(S::template srl16<8>(cells.gr));
    out[1] = S::byte_sum(S::or_(S::and_(cells.gr, limits_.low_bytes), S::andnot(limits_.low_bytes, cells.bg)));
    out[2] = S::byte_sum(S::and_(cells.bg, limits_.low_bytes));
  }

  // qAE test, and the sums of all cells to the accumulator. The qAE sums
  // are the same sums unless a cell is excluded, which most samples of a
  // well exposed frame never see.
  PPL_MEMBER_INLINE void expose_and_accumulate(RgbSum* acc, const BayerBlock<S>& cells) const {
    const V excluded = limits_.qae_excluded(cells.bg, cells.gr);
    const uint32_t excluded_sum = S::byte_sum(excluded);

    uint32_t all[3];
    channel_sums(cells, all);
    acc->r += all[0] << acc_shift_;
    acc->g += all[1] << acc_shift_;
    acc->b += all[2] << acc_shift_;

    uint32_t kept[3] = {all[0], all[1], all[2]};
    if (excluded_sum != 0) channel_sums({S::andnot(excluded, cells.bg), S::andnot(excluded, cells.gr)}, kept);
    c_->qae_count += kCells - cell_count(excluded_sum);
    c_->qae_means.r += kept[0];
    c_->qae_means.g += kept[1];
    c_->qae_means.b += kept[2];
  }

  ppl_context* c_;
  int acc_shift_;
  SampleLimits<S> limits_;
  V high_halves_;
};

}  // namespace pplcam
