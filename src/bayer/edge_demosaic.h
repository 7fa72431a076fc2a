// Edge-directed demosaic (qualities 0 and 1), per column group, written
// once over the register struct S (core/simd.h).
//
// Step 1 gives every B and R photosite a green by the gradient-corrected
// rule: a vertical and a horizontal estimate, each the two green
// neighbours' sum corrected by the curvature of the own colour,
//   Vsum = N + S - ((NN + SS) >> 1),   Hsum = W + E - ((WW + EE) >> 1),
// and, when one gradient is strong (> 30) and the other weak (< 30), the
// estimate along the weak direction only (ties go to the vertical one):
//   G = (M >> 1) + (D >> 1)             on a strong edge
//   G = (M >> 1) + ((Hsum + Vsum) >> 2) otherwise.
// Green photosites keep their sample. Step 2 then gives R and B by colour
// differences d_X = X - G of the nearest photosites of colour X, averaged
// over two (straight) or four (diagonal) neighbours.
//
// All intermediate values are signed 16-bit with arithmetic shifts; a row
// of a group is split into its even photosites (low byte of each 16-bit
// lane) and its odd photosites (high byte).
#pragma once

#include <cstdint>

#include "bayer/row_taps.h"
#include "bayer/stages.h"
#include "core/simd.h"

namespace pplcam::edge {

// The fixed strength above which a gradient counts as an edge.
constexpr int16_t kEdgeGradient = 30;

template <class S>
PPL_VEC_INLINE typename S::V even_sites(typename S::V v) {
  return S::and_(v, S::set1_16(0x00FF));
}
template <class S>
PPL_VEC_INLINE typename S::V odd_sites(typename S::V v) {
  return S::template srl16<8>(v);
}
template <class S, int Parity>
PPL_VEC_INLINE typename S::V sites(typename S::V v) {
  return Parity == 0 ? even_sites<S>(v) : odd_sites<S>(v);
}
template <class S>
PPL_VEC_INLINE typename S::V abs_diff16(typename S::V a, typename S::V b) {
  const typename S::V d = S::sub16(a, b);
  return S::max16(d, S::sub16(S::zero(), d));
}
// Step 1 on one row of a group. `m` is the row itself with its horizontal
// taps; `nn`, `n`, `s`, `ss` are the rows two and one above and below (at
// the group's columns). `Parity` is the column parity of the row's B or R
// photosites: 0 on blue-green rows, 1 on green-red rows. Returns the
// row's green: the interpolated value at B or R, the sample at G.
template <class S, int Parity>
PPL_VEC_INLINE typename S::V green_row(const RowTaps<S>& m, typename S::V nn, typename S::V n,
                                       typename S::V s, typename S::V ss) {
  using V = typename S::V;
  const V mc = sites<S, Parity>(m.at(0));
  const V w = sites<S, Parity>(m.at(-1)), e = sites<S, Parity>(m.at(1));
  const V ww = sites<S, Parity>(m.at(-2)), ee = sites<S, Parity>(m.at(2));
  const V vn = sites<S, Parity>(n), vs = sites<S, Parity>(s);
  const V vnn = sites<S, Parity>(nn), vss = sites<S, Parity>(ss);

  const V vsum = S::sub16(S::add16(vn, vs), S::template srl16<1>(S::add16(vnn, vss)));
  const V hsum = S::sub16(S::add16(w, e), S::template srl16<1>(S::add16(ww, ee)));
  const V dv = abs_diff16<S>(vn, vs), dh = abs_diff16<S>(w, e);
  const V limit = S::set1_16(kEdgeGradient);
  const V strong = S::and_(S::cmpgt16(S::max16(dv, dh), limit), S::cmpgt16(limit, S::min16(dv, dh)));
  // Along the column unless the vertical gradient is the larger one.
  const V horizontal = S::cmpgt16(dv, dh);
  const V along = S::or_(S::and_(horizontal, hsum), S::andnot(horizontal, vsum));

  const V half_m = S::template srl16<1>(mc);
  const V g_edge = S::add16(half_m, S::template sra16<1>(along));
  const V g_flat = S::add16(half_m, S::template sra16<2>(S::add16(hsum, vsum)));
  const V g = S::or_(S::and_(strong, g_edge), S::andnot(strong, g_flat));

  return Parity == 0 ? interleave_u8<S>(g, odd_sites<S>(m.at(0)))
                     : interleave_u8<S>(even_sites<S>(m.at(0)), g);
}

// One row of step 2's input: the conditioned samples and the green of a
// row at the group's columns (`at`) and shifted by two columns (`side`),
// -2 on green-red rows and +2 on blue-green rows, the side on which the
// row's second R or B neighbour lies.
template <class S>
struct ColourTaps {
  typename S::V sample, sample_side, green, green_side;
};

// d_X at the row's R (green-red row) or B (blue-green row) photosites,
// unshifted and shifted.
template <class S, int Parity>
struct Differences {
  typename S::V at, side;
  __attribute__((always_inline)) explicit Differences(const ColourTaps<S>& t)
      : at(S::sub16(sites<S, Parity>(t.sample), sites<S, Parity>(t.green))),
        side(S::sub16(sites<S, Parity>(t.sample_side), sites<S, Parity>(t.green_side))) {}
};

// A 16-bit lane value saturated to 0..255; and two halves at once through
// a saturating pack.
template <class S>
PPL_VEC_INLINE typename S::V clamp_byte16(typename S::V v) {
  return S::min16(S::max16(v, S::zero()), S::set1_16(255));
}
template <class S>
PPL_VEC_INLINE void clamp_bytes16(typename S::V* even, typename S::V* odd) {
  const typename S::V p = S::packus16(*even, *odd);
  *even = S::unpacklo8(p, S::zero());
  *odd = S::unpackhi8(p, S::zero());
}

// Step 2 on both rows of a row pair (rows r, r + 1 with r even). `rows`
// are rows r - 1, r, r + 1 and r + 2, with shifts -2, +2, -2, +2. Returns
// R, G, B of both rows as even and odd photosites, each saturated to
// 0..255 (the samples and the greens need no saturation).
template <class S>
PPL_VEC_INLINE RgbSites<S> colour_pair_sites(const ColourTaps<S> (&rows)[4]) {
  using V = typename S::V;
  // R differences on the green-red rows (odd photosites), B differences on
  // the blue-green rows (even photosites).
  const Differences<S, 1> up(rows[0]), down(rows[2]);
  const Differences<S, 0> here(rows[1]), below(rows[3]);
  RgbSites<S> out;
  // Row r: B at even photosites, Gb at odd ones.
  {
    const V g_b = even_sites<S>(rows[1].green), b_b = even_sites<S>(rows[1].sample);
    const V r_b = S::add16(g_b, S::template sra16<2>(S::add16(S::add16(up.side, up.at),
                                                               S::add16(down.side, down.at))));
    const V g_gb = odd_sites<S>(rows[1].sample);   // the green ring holds the sample at G
    const V b_gb = S::add16(g_gb, S::template sra16<1>(S::add16(here.at, here.side)));
    const V r_gb = S::add16(g_gb, S::template sra16<1>(S::add16(up.at, down.at)));
    out.r[0][0] = r_b, out.r[0][1] = r_gb;
    clamp_bytes16<S>(&out.r[0][0], &out.r[0][1]);
    out.g[0][0] = g_b, out.g[0][1] = g_gb;
    out.b[0][0] = b_b, out.b[0][1] = clamp_byte16<S>(b_gb);
  }
  // Row r + 1: Gr at even photosites, R at odd ones.
  {
    const V g_gr = even_sites<S>(rows[2].sample);
    const V r_gr = S::add16(g_gr, S::template sra16<1>(S::add16(down.side, down.at)));
    const V b_gr = S::add16(g_gr, S::template sra16<1>(S::add16(here.at, below.at)));
    const V g_r = odd_sites<S>(rows[2].green), r_r = odd_sites<S>(rows[2].sample);
    const V b_r = S::add16(g_r, S::template sra16<2>(S::add16(S::add16(here.at, here.side),
                                                               S::add16(below.at, below.side))));
    out.r[1][0] = clamp_byte16<S>(r_gr), out.r[1][1] = r_r;
    out.g[1][0] = g_gr, out.g[1][1] = g_r;
    out.b[1][0] = b_gr, out.b[1][1] = b_r;
    clamp_bytes16<S>(&out.b[1][0], &out.b[1][1]);
  }
  return out;
}

}  // namespace pplcam::edge
