// The frame walk of qualities 0 and 1: edge-directed demosaic, colour
// conversion and (quality 0) luma sharpening, written once over the kernel
// path P (core/path_types.h) and the output format.
//
// Each unit of work reads a neighbourhood that the units before it must
// have finished, so the walk runs them at fixed distances. Pass p (row
// pair p) first conditions row pair p + 2 in place in the source, all its
// groups in one run (the statistics still see each group's run-ahead
// block, group j + 2 at quality 0 and j + 1 at quality 1, in the same
// order), so that no group is read right after its bytes were rewritten.
// Then, at column group j:
//   - green (step 1) of group j + 1 of row pair p + 1, into the green ring:
//     it reads conditioned rows 2p .. 2p + 5 and two columns either side;
//   - R and B (step 2) of group j of row pair p, from the green ring rows
//     2p - 1 .. 2p + 2, then the colour conversion of the group;
//   - quality 0: sharpening of rows 2p - 1 and 2p at group j - 1, which
//     needs the luma of rows 2p - 2 .. 2p + 1 and of the groups either
//     side, then the output of row pair p - 1 at group j - 1.
// Quality 0 therefore walks one pass and one step more than there are row
// pairs and groups, to finish the last row and group. Rows and columns
// outside the frame are read as their reflection about the edge row or
// column (column -1 as 1, row -1 as 1, row H as H - 2; on frames of fewer
// than four rows a reflection that would still fall outside is clamped to
// the nearest row); the first and last groups of a row make their missing
// neighbour group from their own bytes (row_taps.h), the passes choose
// reflected row pointers, and the groups in between run without any of
// this.
//
// On the wide rows a row's groups are walked in blocks of kLanes, one
// group per 16-byte lane of BayerKernel<P>::W: colour of block b, then
// sharpening of block b - 1, so every unit still finds what it reads
// finished. A block at either end of the row builds its missing neighbour
// group in registers from its own end lane, as the 16-byte units do; the
// groups after the last whole block (an odd group count on AVX2) take the
// 16-byte units. The green of block b + 2 is made by step b (step 0 makes
// that of blocks 0 .. 2): the colour step's unaligned loads then never
// read ring bytes their own step has just stored, which the processor
// could not forward from the stores. A wide pass thus writes green up to
// three blocks, and luma up to two, ahead of the rows it reads, so it
// runs only when the rings have that much room beyond the rows they must
// hold (large frames' rings may not).
//
// The rings hold rows `width` bytes apart (the walked width, whole groups):
// the green ring the rows 2p - 1 .. 2p + 3, the luma ring rows 2p - 2 ..
// 2p + 1, plane ring 1 the sharpened rows 2p - 2 .. 2p, plane rings 2 and 3
// the chroma of rows 2p - 2 .. 2p + 1. With widths up to 1280 a row that
// is written lands at least 256 bytes left of any byte of the row three
// (4096-byte rings) or four (green ring) rows above that is still to be
// read (160 bytes less in a wide pass of four-group blocks, whose green
// the green ring's 3072 spare bytes hold with room to spare).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "bayer/driver.h"
#include "bayer/edge_demosaic.h"
#include "bayer/edge_enhance.h"
#include "bayer/full_range.h"
#include "bayer/placement.h"
#include "bayer/row_taps.h"
#include "bayer/scaled_pack.h"
#include "bayer/stages.h"
#include "bayer/walk_drivers.h"
#include "bayer/walk_frame.h"
#include "bayer/wide_packs.h"
#include "bayer/wide_ring.h"
#include "core/context.h"
#include "core/path_types.h"
#include "core/simd.h"

namespace pplcam {

// `Conditioner` is called as conditioner(k) to condition row pair k in
// place, its groups left to right (and to sample statistics around them);
// the walk calls it exactly once per row pair.
template <class P, BayerOutput F, class Conditioner>
class EdgeWalk {
  using S = typename P::S;
  static constexpr int kGroup = P::kGroup;
  static_assert(kGroup == S::kBytes, "the walk takes one column group per register");
  static constexpr bool kRgb = F == BayerOutput::kRgb24 || F == BayerOutput::kRgb32;
  const uint32_t kGreenMask;   // ring sizes less one, fixed for the frame
  const uint32_t kRingMask;
  using Converted = std::conditional_t<kRgb, RgbRows<S>, YuvRows<S>>;
  template <class R>
  using ConvertedIn = std::conditional_t<kRgb, RgbRows<R>, YuvRows<R>>;
#if defined(__i386__)
  // Eight vector registers: the wide steps' constants and spills pass the
  // 2 KB frame the core keeps to, so the 32-bit build walks these
  // qualities one group at a time on every row.
  using W = S;
#else
  using W = typename BayerKernel<P>::W;
#endif
  static constexpr int kLanes = W::kBytes / kGroup;
  static constexpr bool kWide = kLanes > 1;

  // The constant registers of a step over R.
  template <class R>
  struct Registers {
    Matrix3<R> full_range{};
    edge::SharpenParams<R> sharpen{};
    Lanes<R> lanes;
    void load(const GroupConstants<kGroup>& k) {
      full_range = load_matrix<R>(k.c_yuv, k.matrix_offset[1]);
      sharpen = {load_const<R>(k.edge_threshold), load_const<R>(k.edge_factor)};
    }
  };
  struct WideRegisters : Registers<W> {
    Matrix3<W> matrix{};   // frame_.matrix in every lane
  };
  struct NoRegisters {};

 public:
  EdgeWalk(ppl_context* c, uint8_t* src, uint8_t* dst, Conditioner& conditioner)
      : kGreenMask(c->green_ring_mask),
        kRingMask(c->ring_mask),
        c_(c),
        conditioner_(conditioner),
        k_(group_constants<kGroup>(c)),
        src_(src),
        frame_(c, k_, dst),
        sharpen_(c->quality == 0),
        green_ring_(c->ring[kGreenRing]),
        luma_ring_(c->ring[kLumaRing]),
        plane_ring_{c->ring[kPlaneRing1], c->ring[kPlaneRing2], c->ring[kPlaneRing3]} {
    narrow_.load(k_);
    if constexpr (kWide) {
      wide_.load(k_);
      wide_.matrix = kRgb ? load_matrix<W>(k_.c_rgb, k_.matrix_offset[2]) : load_matrix<W>(k_.c_ycc, k_.matrix_offset[0]);
      // The rings' room for a wide pass (see walk_wide_pass): luma and
      // chroma written a block ahead of the block sharpened, green two
      // blocks ahead of the block coloured.
      const int64_t w = frame_.width, block = 16 * kLanes;
      wide_steps_ = frame_.groups >= kLanes && 3 * w + 2 * block + 32 <= int64_t{kRingMask} + 1 &&
                    4 * w + 3 * block + 32 <= int64_t{kGreenMask} + 1;
    }
    // Sharpened luma takes the place of the luma ring in the scaled packs.
    scaled_ = frame_.scaled(c, false, sharpen_ && !kRgb ? c->ring[kPlaneRing1] : c->ring[kLumaRing]);
  }

  void run() {
    if (frame_.groups == 0 || frame_.pairs == 0) return;
    // The first two row pairs are conditioned before any green is made;
    // every later one runs ahead of the walk.
    for (int32_t k = 0; k < frame_.pairs && k < 2; ++k)
      conditioner_(k);
    set_green_rows(0);
    for (int32_t j = 0; j < frame_.groups; ++j) green_any(j);
    const int32_t passes = sharpen_ ? frame_.pairs + 1 : frame_.pairs;
    for (int32_t p = 0; p < passes; ++p) walk_pass(p);
    if (frame_.decimation != 0) finish_scaled_frame(scaled_);
  }

 private:
  // ------------------------------------------------------------ rows
  int32_t reflect_row(int32_t y) const {
    int32_t r = edge::reflect_index(y, frame_.height);
    return r < 0 ? 0 : r >= frame_.height ? frame_.height - 1 : r;
  }
  uint8_t* row(int32_t y) const { return src_ + static_cast<ptrdiff_t>(y) * frame_.pitch; }
  uint32_t ring_row(int32_t y) const { return static_cast<uint32_t>(y) * static_cast<uint32_t>(frame_.width); }

  // Rows of the green of row pair k (rows r = 2k and r + 1): NN, N, M, S,
  // SS of each. Above the R photosites of row 1 the reflection of row -1
  // would be row 1 itself; row 3 stands in instead.
  void set_green_rows(int32_t k) {
    const int32_t r = 2 * k;
    for (int i = 0; i < 5; ++i) {
      green_src_[0][i] = row(reflect_row(r - 2 + i));
      green_src_[1][i] = row(reflect_row(r - 1 + i));
    }
    if (r == 0) green_src_[1][0] = row(reflect_row(3));
    green_dst_[0] = ring_row(r);
    green_dst_[1] = ring_row(r + 1);
  }

  // Rows r - 1 .. r + 2 of the colour step of row pair k, in the source
  // and in the green ring.
  void set_colour_rows(int32_t k) {
    for (int i = 0; i < 4; ++i) {
      const int32_t y = reflect_row(2 * k - 1 + i);
      colour_src_[i] = row(y);
      colour_green_[i] = ring_row(y);
    }
    out_index_ = ring_row(2 * k);
  }

  // Register constants and matrix of steps over R (S or W).
  template <class R>
  const auto& regs() const {
    if constexpr (std::is_same_v<R, S>) return narrow_;
    else return wide_;
  }
  template <class R>
  const Matrix3<R>& matrix() const {
    if constexpr (std::is_same_v<R, S>) return frame_.matrix;
    else return wide_.matrix;
  }
  template <class R>
  PPL_MEMBER_INLINE void ring_store(uint8_t* ring, uint32_t mask, uint32_t index, typename R::V v) {
    edge::ring_store<R, S>(ring, mask, index, v);
  }

  // Taps of the groups from j on that may start or end their row.
  template <class R>
  bool ends_row(int32_t j) const { return j + R::kBytes / kGroup == frame_.groups; }
  template <class R>
  PPL_MEMBER_INLINE edge::RowTaps<R> border_taps_from_memory(const uint8_t* p, int32_t j) const {
    if constexpr (std::is_same_v<R, S>) return edge::edge_taps_from_memory<S>(p, j == 0, ends_row<R>(j));
    else return edge::wide_edge_taps_from_memory<R>(p, j == 0, ends_row<R>(j));
  }
  template <class R>
  PPL_MEMBER_INLINE edge::RowTaps<R> border_taps_from_ring(const uint8_t* ring, uint32_t mask, uint32_t index,
                                                           int32_t j) const {
    if constexpr (std::is_same_v<R, S>) return edge::edge_taps_from_ring<S>(ring, mask, index, j == 0, ends_row<R>(j));
    else return edge::wide_edge_taps_from_ring<R>(ring, mask, index, j == 0, ends_row<R>(j));
  }

  // ------------------------------------------------------------ green
  // Green of group j (R = S), or of the kLanes groups from j on (R = W).
  template <class R, bool kBorder>
  PPL_MEMBER_INLINE void green(int32_t j) {
    const int32_t x0 = j * kGroup;
    typename R::V g[2];
    for (int parity = 0; parity < 2; ++parity) {
      const uint8_t* const* rows = green_src_[parity];
      edge::RowTaps<R> m;
      if constexpr (kBorder) m = border_taps_from_memory<R>(rows[2] + x0, j);
      else m = edge::taps_from_memory<R>(rows[2] + x0);
      const auto nn = R::load(rows[0] + x0), n = R::load(rows[1] + x0);
      const auto s = R::load(rows[3] + x0), ss = R::load(rows[4] + x0);
      g[parity] = parity == 0 ? edge::green_row<R, 0>(m, nn, n, s, ss) : edge::green_row<R, 1>(m, nn, n, s, ss);
    }
    ring_store<R>(green_ring_, kGreenMask, green_dst_[0] + x0, g[0]);
    ring_store<R>(green_ring_, kGreenMask, green_dst_[1] + x0, g[1]);
  }
  void green_any(int32_t j) {
    if (j == 0 || j == frame_.groups - 1) green<S, true>(j);
    else green<S, false>(j);
  }

  // ------------------------------------------------------ red and blue
  // Row I of the colour step's input, all groups inner ones: blue-green
  // rows look right, green-red rows left.
  template <class R, int I>
  PPL_MEMBER_INLINE edge::ColourTaps<R> colour_taps(int32_t x0) {
    constexpr int kShift = (I & 1) ? 2 : -2;
    const uint8_t* src = colour_src_[I] + x0;
    const uint32_t green = colour_green_[I] + x0;
    return {R::load(src), R::load(src + kShift), edge::ring_tap<R, kGroup, 0>(green_ring_, kGreenMask, green),
            edge::ring_tap<R, kGroup, kShift>(green_ring_, kGreenMask, green)};
  }

  // The same for groups that may start or end their row.
  template <class R, int I>
  PPL_MEMBER_INLINE edge::ColourTaps<R> border_colour_taps(int32_t j) {
    constexpr int kShift = (I & 1) ? 2 : -2;
    const int32_t x0 = j * kGroup;
    const edge::RowTaps<R> m = border_taps_from_memory<R>(colour_src_[I] + x0, j);
    const edge::RowTaps<R> g = border_taps_from_ring<R>(green_ring_, kGreenMask, colour_green_[I] + x0, j);
    return {m.at(0), m.at(kShift), g.at(0), g.at(kShift)};
  }

  template <class R, bool kBorder>
  PPL_MEMBER_INLINE RgbSites<R> colour(int32_t j) {
    const int32_t x0 = j * kGroup;
    if constexpr (!kBorder) {
      const edge::ColourTaps<R> rows[4] = {colour_taps<R, 0>(x0), colour_taps<R, 1>(x0), colour_taps<R, 2>(x0),
                                           colour_taps<R, 3>(x0)};
      return edge::colour_pair_sites<R>(rows);
    } else {
      const edge::ColourTaps<R> rows[4] = {border_colour_taps<R, 0>(j), border_colour_taps<R, 1>(j),
                                           border_colour_taps<R, 2>(j), border_colour_taps<R, 3>(j)};
      return edge::colour_pair_sites<R>(rows);
    }
  }

  // Colour conversion of group j (and, for R = W, the groups after it in
  // its lanes) of the current row pair `k`.
  template <class R, bool kBorder>
  PPL_MEMBER_INLINE void colour_and_convert(int32_t k, int32_t j) {
    using RV = typename R::V;
    const RgbSites<R> rgb = colour<R, kBorder>(j);
    const uint32_t i0 = out_index_ + j * kGroup;
    const uint32_t i1 = i0 + frame_.width;
    if (!sharpen_) {
      if constexpr (F == BayerOutput::kRgb24) {
        if (frame_.decimation == 0) {
          RgbSites<R> c;
          rgb_to_rgb<R>(matrix<R>(), rgb, &c);
          for (int r = 0; r < 2; ++r)
            store_bgr24<R>(k, j, r, c.r[r][0], c.r[r][1], c.g[r][0], c.g[r][1], c.b[r][0], c.b[r][1]);
          return;
        }
      }
      ConvertedIn<R> out;
      if constexpr (kRgb) rgb_to_rgb<R>(matrix<R>(), rgb, &out);
      else rgb_to_yuv<R, F != BayerOutput::kI420>(matrix<R>(), rgb, regs<R>().lanes, &out);
      emit<R>(out, k, j, i0, i1);
      return;
    }
    // Quality 0: luma into the luma ring for the sharpening, chroma into
    // plane ring 2 (pairs) or plane rings 2 and 3 (u, v per pixel).
    if constexpr (kRgb) {
      RV y, u, v;
      const uint32_t at[2] = {i0, i1};
      for (int r = 0; r < 2; ++r) {
        edge::full_range_yuv<R>(regs<R>().full_range, rgb.r[r][0], rgb.r[r][1], rgb.g[r][0], rgb.g[r][1],
                                rgb.b[r][0], rgb.b[r][1], &y, &u, &v);
        ring_store<R>(luma_ring_, kRingMask, at[r], y);
        ring_store<R>(plane_ring_[1], kRingMask, at[r], u);
        ring_store<R>(plane_ring_[2], kRingMask, at[r], v);
      }
    } else {
      YuvRows<R> out;
      rgb_to_yuv<R, F != BayerOutput::kI420>(matrix<R>(), rgb, regs<R>().lanes, &out);
      ring_store<R>(luma_ring_, kRingMask, i0, out.y[0]);
      ring_store<R>(luma_ring_, kRingMask, i1, out.y[1]);
      ring_store<R>(plane_ring_[1], kRingMask, i0, out.c[0]);
      if (F != BayerOutput::kI420) ring_store<R>(plane_ring_[1], kRingMask, i1, out.c[1]);
    }
  }

  // Quality 1: packed straight into the destination at full size, or left
  // in the rings for the per-row-pair packs of the scaled modes.
  template <class R>
  PPL_MEMBER_INLINE void emit(const ConvertedIn<R>& out, int32_t k, int32_t j, uint32_t i0, uint32_t i1) {
    if (frame_.decimation == 0) {
      pack<R>(out, k, j);
      return;
    }
    if constexpr (kRgb) {
      for (int i = 0; i < 3; ++i) {
        const typename R::V* ch = i == 0 ? out.r : i == 1 ? out.g : out.b;
        ring_store<R>(plane_ring_[i], kRingMask, i0, ch[0]);
        ring_store<R>(plane_ring_[i], kRingMask, i1, ch[1]);
      }
    } else {
      ring_store<R>(luma_ring_, kRingMask, i0, out.y[0]);
      ring_store<R>(luma_ring_, kRingMask, i1, out.y[1]);
      ring_store<R>(plane_ring_[1], kRingMask, i0, out.c[0]);
      ring_store<R>(plane_ring_[1], kRingMask, i1, out.c[1]);
    }
  }

  // Row r of row pair k at group j (and, over W, the groups after it) as
  // RGB24 from the photosite halves: over W one run of 48 bytes a group.
  template <class R>
  PPL_MEMBER_INLINE void store_bgr24(int32_t k, int32_t j, int r, typename R::V re, typename R::V ro,
                                     typename R::V ge, typename R::V go, typename R::V be, typename R::V bo) {
    store_bgr24_sites_row<R, S>(block_at(frame_.main, j * kGroup, R::kBytes, 2 * k + r), mirrored(frame_.main), re,
                                ro, ge, go, be, bo);
  }

  // Full-size output; over W each lane goes where its group's 16-byte pack
  // would put it (wide_packs.h).
  template <class R>
  PPL_MEMBER_INLINE void pack(const ConvertedIn<R>& out, int32_t k, int32_t j) {
    const int32_t x0 = j * kGroup, y = 2 * k;
    if constexpr (std::is_same_v<R, S>) {
      if constexpr (F == BayerOutput::kI420) pack_i420<S>(out, frame_.main, frame_.chroma, frame_.quarter, x0, y, narrow_.lanes);
      else if constexpr (F == BayerOutput::kYuyv) pack_422<S, false>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kUyvy) pack_422<S, true>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kRgb32) pack_rgb32<S>(out, frame_.main, x0, y);
      // RGB24 at full size is packed from photosite values (store_bgr24).
    } else {
      if constexpr (F == BayerOutput::kI420)
        pack_i420_groups<W, S>(out, frame_.main, frame_.chroma, frame_.quarter, x0, y, wide_.lanes);
      else if constexpr (F == BayerOutput::kYuyv) pack_422_groups<W, S, false>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kUyvy) pack_422_groups<W, S, true>(out, frame_.main, x0, y);
      else if constexpr (F == BayerOutput::kRgb32) pack_rgb32_groups<W>(out, frame_.main, x0, y);
    }
  }

  // ------------------------------------------------------- sharpening
  // The sharpening terms of luma row y (already reflected) at group j.
  template <class R, bool kBorder>
  PPL_MEMBER_INLINE edge::SharpenTerms<R> luma_terms(int32_t y, int32_t j) {
    const uint32_t index = ring_row(y) + j * kGroup;
    if constexpr (kBorder) return edge::sharpen_terms<R>(border_taps_from_ring<R>(luma_ring_, kRingMask, index, j));
    else return edge::sharpen_terms<R>(edge::ring_taps<R, kGroup>(luma_ring_, kRingMask, index));
  }
  template <class R>
  PPL_MEMBER_INLINE void store_sharpened(int32_t y, int32_t j, typename R::V v) {
    ring_store<R>(plane_ring_[0], kRingMask, ring_row(y) + j * kGroup, v);
  }

  // Row y of group j from the luma ring into plane ring 1.
  template <class R, bool kBorder>
  PPL_MEMBER_INLINE void sharpen_row(int32_t y, int32_t j) {
    store_sharpened<R>(y, j,
                       edge::sharpen_row<R>(luma_terms<R, kBorder>(reflect_row(y - 1), j), luma_terms<R, kBorder>(y, j),
                                            luma_terms<R, kBorder>(reflect_row(y + 1), j), regs<R>().sharpen));
  }

  // Rows 2p - 1 and 2p of group j (1 <= p < pairs), which share the terms
  // of both and need no reflected row.
  template <class R, bool kBorder>
  PPL_MEMBER_INLINE void sharpen_row_pair(int32_t p, int32_t j) {
    const edge::SharpenTerms<R> a = luma_terms<R, kBorder>(2 * p - 2, j), b = luma_terms<R, kBorder>(2 * p - 1, j);
    const edge::SharpenTerms<R> c = luma_terms<R, kBorder>(2 * p, j), d = luma_terms<R, kBorder>(2 * p + 1, j);
    typename R::V first, second;
    edge::sharpen_two_rows<R>(a, b, c, d, regs<R>().sharpen, &first, &second);
    store_sharpened<R>(2 * p - 1, j, first);
    store_sharpened<R>(2 * p, j, second);
  }

  // The RGB outputs of quality 0 in the scaled modes: row y of group j of
  // the rings turned from (sharpened y, u, v) into R, G, B in place.
  template <class R>
  PPL_MEMBER_INLINE void rgb_in_place(int32_t y, int32_t j) {
    const uint32_t i = ring_row(y) + j * kGroup;
    typename R::V r, g, b;
    edge::fixed_yuv_to_rgb<R>(edge::ring_load<R>(plane_ring_[0], kRingMask, i),
                              edge::ring_load<R>(plane_ring_[1], kRingMask, i),
                              edge::ring_load<R>(plane_ring_[2], kRingMask, i), &r, &g, &b);
    ring_store<R>(plane_ring_[0], kRingMask, i, r);
    ring_store<R>(plane_ring_[1], kRingMask, i, g);
    ring_store<R>(plane_ring_[2], kRingMask, i, b);
  }

  // Output of group j of row pair k at quality 0 and full size, from the
  // sharpened luma and the chroma in the rings.
  template <class R>
  PPL_MEMBER_INLINE void pack_sharpened(int32_t k, int32_t j) {
    const uint32_t at[2] = {ring_row(2 * k) + j * kGroup, ring_row(2 * k + 1) + j * kGroup};
    const auto load = [&](int ring, int r) { return edge::ring_load<R>(plane_ring_[ring], kRingMask, at[r]); };
    ConvertedIn<R> out;
    if constexpr (F == BayerOutput::kRgb24) {
      for (int r = 0; r < 2; ++r) {
        typename R::V re, ro, ge, go, be, bo;
        edge::fixed_yuv_to_rgb_sites<R>(load(0, r), load(1, r), load(2, r), &re, &ro, &ge, &go, &be, &bo);
        store_bgr24<R>(k, j, r, re, ro, ge, go, be, bo);
      }
      return;
    } else if constexpr (kRgb) {
      for (int r = 0; r < 2; ++r)
        edge::fixed_yuv_to_rgb<R>(load(0, r), load(1, r), load(2, r), &out.r[r], &out.g[r], &out.b[r]);
    } else {
      out.y[0] = load(0, 0);
      out.y[1] = load(0, 1);
      out.c[0] = load(1, 0);
      out.c[1] = F == BayerOutput::kI420 ? out.c[0] : load(1, 1);
    }
    pack<R>(out, k, j);
  }

  // Rows 2p - 1 and 2p of group j sharpened, then what follows from them.
  template <class R, bool kBorder>
  PPL_MEMBER_INLINE void sharpen_and_output(int32_t p, int32_t j) {
    if (p >= 1 && p < frame_.pairs) {
      sharpen_row_pair<R, kBorder>(p, j);
    } else {
      if (p >= 1) sharpen_row<R, kBorder>(2 * p - 1, j);
      if (p < frame_.pairs) sharpen_row<R, kBorder>(2 * p, j);
    }
    if (frame_.decimation == 0) {
      if (p >= 1) pack_sharpened<R>(p - 1, j);
    } else if (kRgb) {
      if (p >= 1) rgb_in_place<R>(2 * p - 1, j);
      if (p < frame_.pairs) rgb_in_place<R>(2 * p, j);
    }
  }

  // ------------------------------------------------------------ passes
  // One step of inner groups: a body of its own, with every unit inlined
  // into it, so that the step's registers stay in registers (calls would
  // save them and, on the wide rows, clear the upper halves).
  __attribute__((noinline)) void inner_step(int32_t p, int32_t j, bool green_ahead, bool colour_here) {
    if (green_ahead) green<S, false>(j + 1);
    if (colour_here) colour_and_convert<S, false>(p, j);
    if (sharpen_) sharpen_and_output<S, false>(p, j - 1);
  }

  void walk_pass(int32_t p) {
    const bool colour_here = p < frame_.pairs;
    const bool green_ahead = p + 1 < frame_.pairs;
    const bool condition_ahead = p + 2 < frame_.pairs;
    if (colour_here) set_colour_rows(p);
    if (green_ahead) set_green_rows(p + 1);
    if (condition_ahead) conditioner_(p + 2);
    if constexpr (kWide) {
      if (wide_steps_) {
        walk_wide_pass(p, green_ahead, colour_here);
        if (frame_.decimation != 0) end_pass(p);
        return;
      }
    }
    if (green_ahead) green<S, true>(0);
    const int32_t steps = sharpen_ ? frame_.groups + 1 : frame_.groups;
    for (int32_t j = 0; j < steps; ++j) {
      // Groups whose every unit is away from the left and right columns
      // take the plain step.
      const bool inner = j >= 2 && j + 3 <= frame_.groups;
      if (inner) {
        inner_step(p, j, green_ahead, colour_here);
        continue;
      }
      if (green_ahead && j + 1 < frame_.groups) green_any(j + 1);
      if (colour_here && j < frame_.groups) {
        if (j == 0 || j == frame_.groups - 1) colour_and_convert<S, true>(p, j);
        else colour_and_convert<S, false>(p, j);
      }
      if (sharpen_ && j >= 1) {
        if (j - 1 == 0 || j - 1 == frame_.groups - 1) sharpen_and_output<S, true>(p, j - 1);
        else sharpen_and_output<S, false>(p, j - 1);
      }
    }
    if (frame_.decimation != 0) end_pass(p);
  }

  // ------------------------------------------------------- wide passes
  // The wide rows walk a row's groups in blocks of kLanes, block b holding
  // groups b kLanes .. (b + 1) kLanes - 1; the groups after the last whole
  // block take the 16-byte units. Step b makes the green of block b + 2
  // (step 0 that of blocks 0 .. 2), colours block b and sharpens block
  // b - 1, whose luma then lies on both sides; the last block is sharpened
  // after the row. A block at either end of the row builds its missing
  // neighbour group in registers.
  bool border_block(int32_t b, int32_t blocks) const {
    return b == 0 || (b == blocks - 1 && blocks * kLanes == frame_.groups);
  }

  // Green made up to group `last` or the row's last, whole blocks over W
  // and the groups after them one at a time.
  template <bool kInline>
  PPL_MEMBER_INLINE void green_through(int32_t last) {
    while (green_next_ <= last && green_next_ < frame_.groups) {
      const int32_t j = green_next_;
      if (j % kLanes == 0 && j + kLanes <= frame_.groups) {
        if (kInline && j != 0 && j + kLanes < frame_.groups) green<W, false>(j);
        else green_block_at_border(j);
        green_next_ += kLanes;
      } else {
        green_any(j);
        ++green_next_;
      }
    }
  }
  __attribute__((noinline)) void green_block_at_border(int32_t j) {
    if (j == 0 || ends_row<W>(j)) green<W, true>(j);
    else green<W, false>(j);
  }

  // Step b of a wide pass; kBorder when the block coloured or sharpened
  // may start or end the row.
  template <bool kBorder>
  __attribute__((noinline)) void wide_step(int32_t p, int32_t b, bool green_ahead, bool colour_here) {
    if (green_ahead) green_through<true>((b + 3) * kLanes - 1);
    if (colour_here) colour_and_convert<W, kBorder>(p, b * kLanes);
    if (sharpen_ && b >= 1) sharpen_and_output<W, kBorder>(p, (b - 1) * kLanes);
  }
  __attribute__((noinline)) void sharpen_block(int32_t p, int32_t b) {
    sharpen_and_output<W, true>(p, b * kLanes);
  }

  void walk_wide_pass(int32_t p, bool green_ahead, bool colour_here) {
    const int32_t blocks = frame_.groups / kLanes, tail = blocks * kLanes;
    green_next_ = 0;
    for (int32_t b = 0; b < blocks; ++b) {
      // The block sharpened (b - 1) is a border one only where quality 0
      // sharpens at all.
      if (border_block(b, blocks) || (sharpen_ && b >= 1 && border_block(b - 1, blocks)))
        wide_step<true>(p, b, green_ahead, colour_here);
      else wide_step<false>(p, b, green_ahead, colour_here);
    }
    // The groups after the last block, the last of them the row's last.
    for (int32_t j = tail; j < frame_.groups; ++j) {
      if (green_ahead) green_through<false>(j + 1);
      if (colour_here) {
        if (j == frame_.groups - 1) colour_and_convert<S, true>(p, j);
        else colour_and_convert<S, false>(p, j);
      }
      if (!sharpen_) continue;
      if (j == tail) sharpen_block(p, blocks - 1);
      else sharpen_and_output<S, false>(p, j - 1);
    }
    if (!sharpen_) return;
    if (tail == frame_.groups) sharpen_block(p, blocks - 1);
    else sharpen_and_output<S, true>(p, frame_.groups - 1);
  }

  // The scaled packs of the rows that are complete after pass p: row pair
  // p at quality 1; rows 2p - 1 and 2p at quality 0.
  void end_pass(int32_t p) {
    if (!sharpen_) {
      pack_scaled_row_pair(scaled_, p, ring_row(2 * p));
      return;
    }
    if (frame_.decimation > 0) {
      // The thinned packs read only the first row of the pair.
      if (p < frame_.pairs) pack_scaled_row_pair(scaled_, p, ring_row(2 * p));
      return;
    }
    if (p >= 1) pack_scaled_row(scaled_, 2 * p - 1, ring_row(2 * p - 1));
    if (p < frame_.pairs) pack_scaled_row(scaled_, 2 * p, ring_row(2 * p));
  }

  ppl_context* c_;
  Conditioner& conditioner_;
  const GroupConstants<kGroup>& k_;
  uint8_t* src_;
  const WalkFrame<P, F> frame_;
  bool sharpen_;
  uint8_t* green_ring_;
  uint8_t* luma_ring_;
  uint8_t* plane_ring_[3];
  Registers<S> narrow_;
  std::conditional_t<kWide, WideRegisters, NoRegisters> wide_;
  bool wide_steps_ = false;
  int32_t green_next_ = 0;   // the next group of a wide pass without its green
  ScaledFrame scaled_{};
  const uint8_t* green_src_[2][5] = {};
  uint32_t green_dst_[2] = {};
  const uint8_t* colour_src_[4] = {};
  uint32_t colour_green_[4] = {};
  uint32_t out_index_ = 0;
};

// One frame at quality 0 or 1 through the walk of path P and format F.
template <class P, BayerOutput F, class Conditioner>
void edge_walk(ppl_context* c, uint8_t* src, uint8_t* dst, Conditioner&& conditioner) {
  EdgeWalk<P, F, std::remove_reference_t<Conditioner>>(c, src, dst, conditioner).run();
}

}  // namespace pplcam
