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
// The rings hold rows `width` bytes apart (the walked width, whole groups):
// the green ring the rows 2p - 1 .. 2p + 3, the luma ring rows 2p - 2 ..
// 2p + 1, plane ring 1 the sharpened rows 2p - 2 .. 2p, plane rings 2 and 3
// the chroma of rows 2p - 2 .. 2p + 1. With widths up to 1280 a row that
// is written lands at least 256 bytes left of any byte of the row three
// (4096-byte rings) or four (green ring) rows above that is still to be
// read.
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
#include "bayer/walk_frame.h"
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
  using V = typename S::V;
  static constexpr int kGroup = P::kGroup;
  static_assert(kGroup == S::kBytes, "the walk takes one column group per register");
  static constexpr bool kRgb = F == BayerOutput::kRgb24 || F == BayerOutput::kRgb32;
  const uint32_t kGreenMask;   // ring sizes less one, fixed for the frame
  const uint32_t kRingMask;
  using Converted = std::conditional_t<kRgb, RgbRows<S>, YuvRows<S>>;

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
    full_range_ = load_matrix<S>(k_.c_yuv, k_.matrix_offset[1]);
    sharpen_params_ = {load_const<S>(k_.edge_threshold), load_const<S>(k_.edge_factor)};
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

  // ------------------------------------------------------------ green
  template <bool kBorder>
  void green(int32_t j) {
    const int32_t x0 = j * kGroup;
    V g[2];
    for (int parity = 0; parity < 2; ++parity) {
      const uint8_t* const* rows = green_src_[parity];
      const edge::RowTaps<S> m = kBorder ? edge::edge_taps_from_memory<S>(rows[2] + x0, j == 0, j == frame_.groups - 1)
                                         : edge::taps_from_memory<S>(rows[2] + x0);
      const V nn = S::load(rows[0] + x0), n = S::load(rows[1] + x0);
      const V s = S::load(rows[3] + x0), ss = S::load(rows[4] + x0);
      g[parity] = parity == 0 ? edge::green_row<S, 0>(m, nn, n, s, ss) : edge::green_row<S, 1>(m, nn, n, s, ss);
    }
    S::store(green_ring_ + ((green_dst_[0] + x0) & kGreenMask), g[0]);
    S::store(green_ring_ + ((green_dst_[1] + x0) & kGreenMask), g[1]);
  }
  void green_any(int32_t j) {
    if (j == 0 || j == frame_.groups - 1) green<true>(j);
    else green<false>(j);
  }

  // ------------------------------------------------------ red and blue
  template <bool kBorder>
  RgbSites<S> colour(int32_t j) {
    const int32_t x0 = j * kGroup;
    edge::ColourTaps<S> rows[4];
    for (int i = 0; i < 4; ++i) {
      const int shift = (i & 1) ? 2 : -2;   // blue-green rows look right, green-red rows left
      if (kBorder) {
        const bool first = j == 0, last = j == frame_.groups - 1;
        const edge::RowTaps<S> m = edge::edge_taps_from_memory<S>(colour_src_[i] + x0, first, last);
        const edge::RowTaps<S> g =
            edge::edge_taps_from_ring<S>(green_ring_, kGreenMask, colour_green_[i] + x0, first, last);
        rows[i] = {m.at(0), m.at(shift), g.at(0), g.at(shift)};
      } else {
        const edge::RowTaps<S> g = edge::taps_from_ring<S>(green_ring_, kGreenMask, colour_green_[i] + x0);
        rows[i] = {S::load(colour_src_[i] + x0), S::load(colour_src_[i] + x0 + shift), g.at(0), g.at(shift)};
      }
    }
    return edge::colour_pair_sites<S>(rows);
  }

  // Colour conversion of group j of the current row pair `k`.
  template <bool kBorder>
  void colour_and_convert(int32_t k, int32_t j) {
    const RgbSites<S> rgb = colour<kBorder>(j);
    const uint32_t i0 = (out_index_ + j * kGroup) & kRingMask;
    const uint32_t i1 = (out_index_ + frame_.width + j * kGroup) & kRingMask;
    if (!sharpen_) {
      if constexpr (F == BayerOutput::kRgb24) {
        if (frame_.decimation == 0) {
          RgbSites<S> c;
          rgb_to_rgb<S>(frame_.matrix, rgb, &c);
          for (int r = 0; r < 2; ++r)
            store_bgr24_sites<S>(block_at(frame_.main, j * kGroup, kGroup, 2 * k + r), mirrored(frame_.main), c.r[r][0],
                                 c.r[r][1], c.g[r][0], c.g[r][1], c.b[r][0], c.b[r][1]);
          return;
        }
      }
      Converted out;
      if constexpr (kRgb) rgb_to_rgb<S>(frame_.matrix, rgb, &out);
      else rgb_to_yuv<S, F != BayerOutput::kI420>(frame_.matrix, rgb, lanes_, &out);
      emit(out, k, j, i0, i1);
      return;
    }
    // Quality 0: luma into the luma ring for the sharpening, chroma into
    // plane ring 2 (pairs) or plane rings 2 and 3 (u, v per pixel).
    if constexpr (kRgb) {
      V y, u, v;
      const uint32_t at[2] = {i0, i1};
      for (int r = 0; r < 2; ++r) {
        edge::full_range_yuv<S>(full_range_, rgb.r[r][0], rgb.r[r][1], rgb.g[r][0], rgb.g[r][1], rgb.b[r][0],
                                rgb.b[r][1], &y, &u, &v);
        S::store(luma_ring_ + at[r], y);
        S::store(plane_ring_[1] + at[r], u);
        S::store(plane_ring_[2] + at[r], v);
      }
    } else {
      YuvRows<S> out;
      rgb_to_yuv<S, F != BayerOutput::kI420>(frame_.matrix, rgb, lanes_, &out);
      S::store(luma_ring_ + i0, out.y[0]);
      S::store(luma_ring_ + i1, out.y[1]);
      S::store(plane_ring_[1] + i0, out.c[0]);
      if (F != BayerOutput::kI420) S::store(plane_ring_[1] + i1, out.c[1]);
    }
  }

  // Quality 1: packed straight into the destination at full size, or left
  // in the rings for the per-row-pair packs of the scaled modes.
  void emit(const Converted& out, int32_t k, int32_t j, uint32_t i0, uint32_t i1) {
    if (frame_.decimation == 0) {
      pack(out, k, j);
      return;
    }
    if constexpr (kRgb) {
      for (int i = 0; i < 3; ++i) {
        const V* ch = i == 0 ? out.r : i == 1 ? out.g : out.b;
        S::store(plane_ring_[i] + i0, ch[0]);
        S::store(plane_ring_[i] + i1, ch[1]);
      }
    } else {
      S::store(luma_ring_ + i0, out.y[0]);
      S::store(luma_ring_ + i1, out.y[1]);
      S::store(plane_ring_[1] + i0, out.c[0]);
      S::store(plane_ring_[1] + i1, out.c[1]);
    }
  }

  void pack(const Converted& out, int32_t k, int32_t j) {
    const int32_t x0 = j * kGroup, y = 2 * k;
    if constexpr (F == BayerOutput::kI420) pack_i420<S>(out, frame_.main, frame_.chroma, frame_.quarter, x0, y, lanes_);
    else if constexpr (F == BayerOutput::kYuyv) pack_422<S, false>(out, frame_.main, x0, y);
    else if constexpr (F == BayerOutput::kUyvy) pack_422<S, true>(out, frame_.main, x0, y);
    else pack_rgb<S, F == BayerOutput::kRgb24 ? 3 : 4>(out, frame_.main, x0, y);
  }

  // ------------------------------------------------------- sharpening
  // The sharpening terms of luma row y (already reflected) at group j.
  template <bool kBorder>
  edge::SharpenTerms<S> luma_terms(int32_t y, int32_t j) {
    const uint32_t index = ring_row(y) + j * kGroup;
    return edge::sharpen_terms<S>(
        kBorder ? edge::edge_taps_from_ring<S>(luma_ring_, kRingMask, index, j == 0, j == frame_.groups - 1)
                : edge::taps_from_ring<S>(luma_ring_, kRingMask, index));
  }
  void store_sharpened(int32_t y, int32_t j, V v) {
    S::store(plane_ring_[0] + ((ring_row(y) + j * kGroup) & kRingMask), v);
  }

  // Row y of group j from the luma ring into plane ring 1.
  template <bool kBorder>
  void sharpen_row(int32_t y, int32_t j) {
    store_sharpened(y, j,
                    edge::sharpen_row<S>(luma_terms<kBorder>(reflect_row(y - 1), j), luma_terms<kBorder>(y, j),
                                         luma_terms<kBorder>(reflect_row(y + 1), j), sharpen_params_));
  }

  // Rows 2p - 1 and 2p of group j (1 <= p < pairs), which share the terms
  // of both and need no reflected row.
  template <bool kBorder>
  void sharpen_row_pair(int32_t p, int32_t j) {
    const edge::SharpenTerms<S> a = luma_terms<kBorder>(2 * p - 2, j), b = luma_terms<kBorder>(2 * p - 1, j);
    const edge::SharpenTerms<S> c = luma_terms<kBorder>(2 * p, j), d = luma_terms<kBorder>(2 * p + 1, j);
    V first, second;
    edge::sharpen_two_rows<S>(a, b, c, d, sharpen_params_, &first, &second);
    store_sharpened(2 * p - 1, j, first);
    store_sharpened(2 * p, j, second);
  }

  // The RGB outputs of quality 0 in the scaled modes: row y of group j of
  // the rings turned from (sharpened y, u, v) into R, G, B in place.
  void rgb_in_place(int32_t y, int32_t j) {
    const uint32_t i = (ring_row(y) + j * kGroup) & kRingMask;
    V r, g, b;
    edge::fixed_yuv_to_rgb<S>(S::load(plane_ring_[0] + i), S::load(plane_ring_[1] + i),
                              S::load(plane_ring_[2] + i), &r, &g, &b);
    S::store(plane_ring_[0] + i, r);
    S::store(plane_ring_[1] + i, g);
    S::store(plane_ring_[2] + i, b);
  }

  // Output of group j of row pair k at quality 0 and full size, from the
  // sharpened luma and the chroma in the rings.
  void pack_sharpened(int32_t k, int32_t j) {
    const uint32_t i0 = (ring_row(2 * k) + j * kGroup) & kRingMask;
    const uint32_t i1 = (ring_row(2 * k + 1) + j * kGroup) & kRingMask;
    Converted out;
    if constexpr (F == BayerOutput::kRgb24) {
      const uint32_t at[2] = {i0, i1};
      for (int r = 0; r < 2; ++r) {
        V re, ro, ge, go, be, bo;
        edge::fixed_yuv_to_rgb_sites<S>(S::load(plane_ring_[0] + at[r]), S::load(plane_ring_[1] + at[r]),
                                        S::load(plane_ring_[2] + at[r]), &re, &ro, &ge, &go, &be, &bo);
        store_bgr24_sites<S>(block_at(frame_.main, j * kGroup, kGroup, 2 * k + r), mirrored(frame_.main), re, ro, ge, go, be,
                             bo);
      }
      return;
    }
    if constexpr (kRgb) {
      const uint32_t at[2] = {i0, i1};
      for (int r = 0; r < 2; ++r)
        edge::fixed_yuv_to_rgb<S>(S::load(plane_ring_[0] + at[r]), S::load(plane_ring_[1] + at[r]),
                                  S::load(plane_ring_[2] + at[r]), &out.r[r], &out.g[r], &out.b[r]);
    } else {
      out.y[0] = S::load(plane_ring_[0] + i0);
      out.y[1] = S::load(plane_ring_[0] + i1);
      out.c[0] = S::load(plane_ring_[1] + i0);
      out.c[1] = F == BayerOutput::kI420 ? out.c[0] : S::load(plane_ring_[1] + i1);
    }
    pack(out, k, j);
  }

  // Rows 2p - 1 and 2p of group j sharpened, then what follows from them.
  template <bool kBorder>
  void sharpen_and_output(int32_t p, int32_t j) {
    if (p >= 1 && p < frame_.pairs) {
      sharpen_row_pair<kBorder>(p, j);
    } else {
      if (p >= 1) sharpen_row<kBorder>(2 * p - 1, j);
      if (p < frame_.pairs) sharpen_row<kBorder>(2 * p, j);
    }
    if (frame_.decimation == 0) {
      if (p >= 1) pack_sharpened(p - 1, j);
    } else if (kRgb) {
      if (p >= 1) rgb_in_place(2 * p - 1, j);
      if (p < frame_.pairs) rgb_in_place(2 * p, j);
    }
  }

  // ------------------------------------------------------------ passes
  void walk_pass(int32_t p) {
    const bool colour_here = p < frame_.pairs;
    const bool green_ahead = p + 1 < frame_.pairs;
    const bool condition_ahead = p + 2 < frame_.pairs;
    if (colour_here) set_colour_rows(p);
    if (green_ahead) set_green_rows(p + 1);

    if (condition_ahead) conditioner_(p + 2);
    if (green_ahead) green<true>(0);

    const int32_t steps = sharpen_ ? frame_.groups + 1 : frame_.groups;
    for (int32_t j = 0; j < steps; ++j) {
      // Groups whose every unit is away from the left and right columns
      // take the plain step.
      const bool inner = j >= 2 && j + 3 <= frame_.groups;
      if (inner) {
        if (green_ahead) green<false>(j + 1);
        if (colour_here) colour_and_convert<false>(p, j);
        if (sharpen_) sharpen_and_output<false>(p, j - 1);
        continue;
      }
      if (green_ahead && j + 1 < frame_.groups) green_any(j + 1);
      if (colour_here && j < frame_.groups) {
        if (j == 0 || j == frame_.groups - 1) colour_and_convert<true>(p, j);
        else colour_and_convert<false>(p, j);
      }
      if (sharpen_ && j >= 1) {
        if (j - 1 == 0 || j - 1 == frame_.groups - 1) sharpen_and_output<true>(p, j - 1);
        else sharpen_and_output<false>(p, j - 1);
      }
    }
    if (frame_.decimation != 0) end_pass(p);
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
  Matrix3<S> full_range_{};
  edge::SharpenParams<S> sharpen_params_{};
  Lanes<S> lanes_;
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
