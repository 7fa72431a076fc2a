// The Bayer frame walk, written once over the kernel path P
// (core/path_types.h) and the output format, instantiated in
// walk_<path>.cpp.
//
// A frame is walked in row pairs, top to bottom, and within a row pair in
// column groups of P::kGroup photosites, left to right. For each group:
//   1. run-ahead block: raw conditioning of a block the demosaic will read
//      (the hook where statistics sampling reads the raw and conditioned
//      bytes of the block, with the accumulator selected for the group);
//   2. demosaic of the group (bilinear, or cell replication at quality 3);
//   3. colour conversion (C_ycc for YUV outputs, C_rgb for RGB outputs);
//   4. output: packed straight into the destination at full size, or left
//      in the work-area rings for the per-row-pair packs of the scaled
//      modes (scaled_pack.h).
// The running byte index grows by the group width per group, so the rows
// of the frame lie in_width-walked bytes apart in every ring.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "bayer/condition.h"
#include "bayer/driver.h"
#include "bayer/edge_walk.h"
#include "bayer/placement.h"
#include "bayer/raw_passthrough.h"
#include "bayer/scaled_pack.h"
#include "bayer/stages.h"
#include "bayer/walk_drivers.h"
#include "bayer/walk_frame.h"
#include "bayer/walk_statistics.h"
#include "bayer/wide_packs.h"
#include "core/context.h"
#include "core/path_types.h"
#include "core/simd.h"

namespace pplcam {

template <class P, BayerOutput F>
class BayerWalk {
  using S = typename P::S;
  using V = typename S::V;
  static constexpr int kGroup = P::kGroup;
  static_assert(kGroup == S::kBytes, "the walk takes one column group per register");
  static constexpr bool kRgb = F == BayerOutput::kRgb24 || F == BayerOutput::kRgb32;
  using Converted = std::conditional_t<kRgb, RgbRows<S>, YuvRows<S>>;
  // The wide rows demosaic and convert the middle groups of a row pair
  // kWideGroups at a time, one per 16-byte lane of W; the borders and the
  // groups left over take the 16-byte stages of S.
  using W = typename BayerKernel<P>::W;
  static constexpr int kWideGroups = W::kBytes / kGroup;
  static constexpr bool kWide = kWideGroups > 1;
  using WideConverted = std::conditional_t<kRgb, RgbRows<W>, YuvRows<W>>;

 public:
  BayerWalk(ppl_context* c, uint8_t* src, uint8_t* dst)
      : c_(c),
        k_(group_constants<kGroup>(c)),
        walk_(group_walk<kGroup>(c)),
        src_(src),
        dst_(dst),
        frame_(c, k_, dst),
        stats_(c, c->quality, frame_.groups, frame_.pairs),
        wide_matrix_(kRgb ? load_matrix<W>(k_.c_rgb, k_.matrix_offset[2])
                          : load_matrix<W>(k_.c_ycc, k_.matrix_offset[0])) {}

  uint8_t run() {
    const int32_t quality = c_->quality;
    uint8_t result = 0;
    if (quality > 3 || quality < 0) {
      raw_passthrough(c_, F, src_, dst_, kGroup, &walk_->marker_cell);
    } else {
      if (frame_.groups > 0 && frame_.pairs > 0) {
        setup();
        if (quality <= 1) {
          edge_walk<P, F>(c_, src_, dst_, [this](int32_t k) { condition_pair(k); });
        } else {
          if (quality == 3) walk_cells();
          else walk_bilinear();
          if (frame_.decimation != 0) finish_scaled_frame(scaled_);
        }
      }
      // The scale of each quality matches the coverage of its sampling.
      c_->stats_scale = group_geometry<kGroup>(c_).stats_scale[quality];
      result = 1;
    }
    ++c_->n_frame;
    S::end();
    return result;
  }

 private:
  void setup() {
    build_condition_tables<kGroup>(c_, k_);
    condition_.load(c_);
    scaled_ = frame_.scaled(c_, c_->quality == 3, c_->ring[kLumaRing]);
  }

  uint8_t* row(int32_t r) { return src_ + static_cast<ptrdiff_t>(r) * frame_.pitch; }

  // Raw conditioning of column group j of row pair k.
  // Statistics sampling sees every conditioned block, raw and conditioned.
  void condition_block(int32_t k, int32_t j) {
    uint8_t* bg_row = row(2 * k) + j * kGroup;
    uint8_t* gr_row = row(2 * k + 1) + j * kGroup;
    stats_.condition(k, j, bg_row, gr_row,
                     [&] { condition_(bg_row, gr_row, kGroup); });
  }

  // Raw conditioning of the whole of row pair k, groups left to right: one
  // pass over both rows unless statistics sample some of its blocks.
  void condition_pair(int32_t k) {
    if constexpr (kWide) {
      if (stats_.samples_row_pair(k)) {
        stats_.template condition_row_pair_wide<W>(k, frame_.groups, row(2 * k), row(2 * k + 1),
                                                   [this](uint8_t* bg, uint8_t* gr, int n) { condition_(bg, gr, n); });
        return;
      }
    }
    if (stats_.samples_row_pair(k)) {
      stats_.condition_row_pair(k, frame_.groups, row(2 * k), row(2 * k + 1),
                                [this](uint8_t* bg, uint8_t* gr) { condition_(bg, gr, kGroup); });
      return;
    }
    condition_(row(2 * k), row(2 * k + 1), frame_.width);
  }

  // Output of one converted group of row pair k.
  void emit(const Converted& out, int32_t k, int32_t j, uint32_t index) {
    if (frame_.decimation == 0) {
      const int32_t x0 = j * kGroup, y = 2 * k;
      if constexpr (F == BayerOutput::kI420) pack_i420<S>(out, frame_.main, frame_.chroma, frame_.quarter, x0, y, lanes_);
      else if constexpr (F == BayerOutput::kYuyv) pack_422<S, false>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kUyvy) pack_422<S, true>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kRgb32) pack_rgb32<S>(out, frame_.main, x0, y);
      // RGB24 at full size is packed from photosite values (rgb24_sites()).
      return;
    }
    const uint32_t i0 = index & c_->ring_mask;
    const uint32_t i1 = (index + static_cast<uint32_t>(frame_.width)) & c_->ring_mask;
    if constexpr (kRgb) {
      S::store(c_->ring[kPlaneRing1] + i0, out.r[0]);
      S::store(c_->ring[kPlaneRing1] + i1, out.r[1]);
      S::store(c_->ring[kPlaneRing2] + i0, out.g[0]);
      S::store(c_->ring[kPlaneRing2] + i1, out.g[1]);
      S::store(c_->ring[kPlaneRing3] + i0, out.b[0]);
      S::store(c_->ring[kPlaneRing3] + i1, out.b[1]);
    } else {
      S::store(c_->ring[kLumaRing] + i0, out.y[0]);
      S::store(c_->ring[kLumaRing] + i1, out.y[1]);
      S::store(c_->ring[kPlaneRing2] + i0, out.c[0]);
      S::store(c_->ring[kPlaneRing2] + i1, out.c[1]);
    }
  }

  // Output of kWideGroups converted groups from group j on (wide_packs.h):
  // each lane where the 16-byte output puts its group.
  PPL_MEMBER_INLINE void emit_wide(const WideConverted& out, int32_t k, int32_t j, uint32_t index) {
    if (frame_.decimation == 0) {
      const int32_t x0 = j * kGroup, y = 2 * k;
      if constexpr (F == BayerOutput::kI420)
        pack_i420_groups<W, S>(out, frame_.main, frame_.chroma, frame_.quarter, x0, y, wide_lanes_);
      else if constexpr (F == BayerOutput::kYuyv) pack_422_groups<W, S, false>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kUyvy) pack_422_groups<W, S, true>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kRgb32) pack_rgb32_groups<W>(out, frame_.main, x0, y);
      return;
    }
    for_each_lane<W>([&](auto lane) {
      constexpr int L = decltype(lane)::value;
      const uint32_t i0 = (index + L * kGroup) & c_->ring_mask;
      const uint32_t i1 = (index + L * kGroup + static_cast<uint32_t>(frame_.width)) & c_->ring_mask;
      const auto put = [&](int ring, uint32_t at, typename W::V v) { S::store(c_->ring[ring] + at, W::template lane<L>(v)); };
      if constexpr (kRgb) {
        put(kPlaneRing1, i0, out.r[0]), put(kPlaneRing1, i1, out.r[1]);
        put(kPlaneRing2, i0, out.g[0]), put(kPlaneRing2, i1, out.g[1]);
        put(kPlaneRing3, i0, out.b[0]), put(kPlaneRing3, i1, out.b[1]);
      } else {
        put(kLumaRing, i0, out.y[0]), put(kLumaRing, i1, out.y[1]);
        put(kPlaneRing2, i0, out.c[0]), put(kPlaneRing2, i1, out.c[1]);
      }
    });
  }

  // RGB24 at full size: the converted photosites' 16-bit values go to the
  // pack as they are, instead of into bytes the pack would split again.
  bool rgb24_sites() const { return F == BayerOutput::kRgb24 && frame_.decimation == 0; }

  void end_row_pair(int32_t k, uint32_t index) {
    if (frame_.decimation != 0) pack_scaled_row_pair(scaled_, k, index);
  }

  // ------------------------------------------------------- quality 3
  // One kind of row pair, no border routines: a cell reads nothing outside
  // itself. The run-ahead block is still the next group of the row pair,
  // not the current one: reading a block right after its bytes were
  // rewritten one by one would stall on store forwarding.
  void walk_cells() {
    uint32_t index = 0;
    for (int32_t k = 0; k < frame_.pairs; ++k) {
      const uint32_t row_index = index;
      int32_t j = 0;
      if constexpr (kWide) {
        // The whole row pair first, then kWideGroups groups a step.
        condition_pair(k);
        for (; j + kWideGroups <= frame_.groups; j += kWideGroups, index += W::kBytes) {
          const Cells<W> cells = load_cells<W>(row(2 * k) + j * kGroup, row(2 * k + 1) + j * kGroup, wide_lanes_);
          if (rgb24_sites()) {
            RgbSites<W> sites;
            cells_to_rgb<W>(wide_matrix_, cells, &sites);
            pack_rgb24_sites<W, S>(sites, frame_.main, j * kGroup, 2 * k);
            continue;
          }
          WideConverted out;
          if constexpr (kRgb) cells_to_rgb<W>(wide_matrix_, cells, &out);
          else cells_to_yuv<W>(wide_matrix_, cells, wide_lanes_, &out);
          emit_wide(out, k, j, index);
        }
      } else {
        condition_block(k, 0);
      }
      for (; j < frame_.groups; ++j, index += kGroup) {
        if (!kWide && j + 1 < frame_.groups) condition_block(k, j + 1);
        const Cells<S> cells = load_cells<S>(row(2 * k) + j * kGroup, row(2 * k + 1) + j * kGroup, lanes_);
        if (rgb24_sites()) {
          RgbSites<S> sites;
          cells_to_rgb<S>(frame_.matrix, cells, &sites);
          pack_rgb24_sites<S, S>(sites, frame_.main, j * kGroup, 2 * k);
          continue;
        }
        Converted out;
        if constexpr (kRgb) cells_to_rgb<S>(frame_.matrix, cells, &out);
        else cells_to_yuv<S>(frame_.matrix, cells, lanes_, &out);
        emit(out, k, j, index);
      }
      end_row_pair(k, row_index);
    }
  }

  // ------------------------------------------------------- quality 2
  // Rows outside the frame are read as their reflection about the edge row
  // (row -1 as row 1, row 2n as row 2n - 2); columns likewise, by the
  // first-group and trailing-group routines, which stage the group with its
  // reflected neighbours. The run-ahead block is the next column group of
  // the next row pair: the last one this group's demosaic reads.
  //
  // The wide rows condition the next row pair whole before the row pair's
  // groups (the same bytes are read, and the statistics see the same
  // blocks), then walk the middle groups kWideGroups at a time.
  void walk_bilinear() {
    if constexpr (kWide) condition_pair(0);
    else for (int32_t j = 0; j < frame_.groups; ++j) condition_block(0, j);
    uint32_t index = 0;
    const int32_t height = frame_.height;
    for (int32_t k = 0; k < frame_.pairs; ++k) {
      const int32_t r = 2 * k;
      RowPairRows rows{row(r == 0 ? 1 : r - 1), row(r), row(r + 1),
                       row(r + 2 < height ? r + 2 : height - 2), k + 1 < frame_.pairs};
      const uint32_t row_index = index;
      if (rows.ahead) {
        if constexpr (kWide) condition_pair(k + 1);
        else condition_block(k + 1, 0);
      }
      border_group(rows, k, 0, index);
      index += kGroup;
      int32_t j = 1;
      if constexpr (kWide) {
        for (; j + kWideGroups <= frame_.groups - 1; j += kWideGroups, index += W::kBytes) {
          const int32_t x = j * kGroup;
          RgbRows<W> rgb;
          bilinear_group<W>(rows.up + x, rows.r0 + x, rows.r1 + x, rows.dn + x, wide_lanes_, &rgb);
          if (rgb24_sites()) {
            RgbSites<W> sites;
            rgb_to_rgb<W>(wide_matrix_, split_sites<W>(rgb, wide_lanes_), &sites);
            pack_rgb24_sites<W, S>(sites, frame_.main, x, 2 * k);
            continue;
          }
          WideConverted out;
          if constexpr (kRgb) rgb_to_rgb<W>(wide_matrix_, rgb, wide_lanes_, &out);
          else rgb_to_yuv<W, F != BayerOutput::kI420>(wide_matrix_, rgb, wide_lanes_, &out);
          emit_wide(out, k, j, index);
        }
      }
      for (; j < frame_.groups - 1; ++j, index += kGroup) {
        if (!kWide && rows.ahead) condition_block(k + 1, j + 1);
        inner_group(rows, k, j, index);
      }
      if (frame_.groups > 1) {
        border_group(rows, k, frame_.groups - 1, index);
        index += kGroup;
      }
      end_row_pair(k, row_index);
    }
  }

  struct RowPairRows {
    const uint8_t *up, *r0, *r1, *dn;
    bool ahead;   // a row pair follows, whose blocks are conditioned ahead
  };

  void convert_and_emit(const RgbRows<S>& rgb, int32_t k, int32_t j, uint32_t index) {
    if (rgb24_sites()) {
      RgbSites<S> sites;
      rgb_to_rgb<S>(frame_.matrix, split_sites<S>(rgb, lanes_), &sites);
      pack_rgb24_sites<S, S>(sites, frame_.main, j * kGroup, 2 * k);
      return;
    }
    Converted out;
    if constexpr (kRgb) rgb_to_rgb<S>(frame_.matrix, rgb, lanes_, &out);
    else rgb_to_yuv<S, F != BayerOutput::kI420>(frame_.matrix, rgb, lanes_, &out);
    emit(out, k, j, index);
  }

  void inner_group(const RowPairRows& rows, int32_t k, int32_t j, uint32_t index) {
    const int32_t x = j * kGroup;
    RgbRows<S> rgb;
    bilinear_group<S>(rows.up + x, rows.r0 + x, rows.r1 + x, rows.dn + x, lanes_, &rgb);
    convert_and_emit(rgb, k, j, index);
  }

  // First and last groups: copies of the four rows with columns -1 and
  // `width` replaced by their reflections (columns 1 and width - 2).
  void border_group(const RowPairRows& rows, int32_t k, int32_t j, uint32_t index) {
    if (!kWide && j == 0 && rows.ahead && frame_.groups > 1) condition_block(k + 1, 1);
    alignas(16) uint8_t stage[4][kGroup + 2];
    const uint8_t* src_rows[4] = {rows.up, rows.r0, rows.r1, rows.dn};
    const int32_t x0 = j * kGroup;
    // Only the two neighbour columns can fall outside the row.
    const int32_t left = x0 == 0 ? 1 : x0 - 1;
    const int32_t right = x0 + kGroup < frame_.width ? x0 + kGroup : frame_.width - 2;
    for (int i = 0; i < 4; ++i) {
      stage[i][0] = src_rows[i][left];
      std::memcpy(stage[i] + 1, src_rows[i] + x0, kGroup);
      stage[i][kGroup + 1] = src_rows[i][right];
    }
    RgbRows<S> rgb;
    bilinear_group<S>(stage[0] + 1, stage[1] + 1, stage[2] + 1, stage[3] + 1, lanes_, &rgb);
    convert_and_emit(rgb, k, j, index);
  }

  ppl_context* c_;
  const GroupConstants<kGroup>& k_;
  GroupWalkState<kGroup>* walk_;
  uint8_t* src_;
  uint8_t* dst_;
  const WalkFrame<P, F> frame_;
  WalkStatistics<P> stats_;
  Lanes<S> lanes_;
  ScaledFrame scaled_{};
  typename BayerKernel<P>::Conditioner condition_;
  Matrix3<W> wide_matrix_;
  Lanes<W> wide_lanes_;
};

// One frame through the walk of path P and format F.
template <class P, BayerOutput F>
uint8_t bayer_walk(ppl_context* c, uint8_t* src, uint8_t* dst) {
  BayerWalk<P, F> walk(c, src, dst);
  return walk.run();
}

template <class P>
uint8_t bayer_walk_frame(BayerOutput out, ppl_context* c, uint8_t* src, uint8_t* dst) {
  static_assert(P::S::kBytes == path_traits(P::kId).register_bytes, "the row's register width is its struct's");
  switch (out) {
    case BayerOutput::kI420: return bayer_walk<P, BayerOutput::kI420>(c, src, dst);
    case BayerOutput::kYuyv: return bayer_walk<P, BayerOutput::kYuyv>(c, src, dst);
    case BayerOutput::kUyvy: return bayer_walk<P, BayerOutput::kUyvy>(c, src, dst);
    case BayerOutput::kRgb24: return bayer_walk<P, BayerOutput::kRgb24>(c, src, dst);
    case BayerOutput::kRgb32: break;
  }
  return bayer_walk<P, BayerOutput::kRgb32>(c, src, dst);
}

}  // namespace pplcam
