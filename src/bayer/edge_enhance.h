// Luma sharpening of quality 0, per row of a column group, written once
// over Simd<8> and Simd<16>.
//
// With p(dr, dx) the 3 x 3 neighbourhood of a pixel of luma C:
//   Gx = sum over dr of p(dr, 1) - p(dr, -1)
//   Gy = sum over dx of p(1, dx) - p(-1, dx)        (row below minus above)
//   E  = Gx + Gy when |Gx| + |Gy| > threshold, else 0
//   C' = C + ((E * factor) >> 6), saturated to 0..255
// The product keeps its low 16 bits (a factor of 64 wraps it once |E|
// exceeds 511), the shift is arithmetic. Equivalently E weighs the
// neighbourhood -2 -1 0 / -1 0 1 / 0 1 2: a derivative along the diagonal,
// which raises both sides of a rising step.
#pragma once

#include <cstdint>

#include "bayer/edge_demosaic.h"
#include "bayer/row_taps.h"
#include "core/simd.h"

namespace pplcam::edge {

// The two packed parameters: threshold and factor >> 2 (units of 1/64).
template <class S>
struct SharpenParams {
  typename S::V threshold, factor;
};

// What the sharpening of a row and of its two neighbour rows reads from
// one row, per photosite parity (even photosites, odd photosites): the
// centre, the difference right - left and the sum left + centre + right.
// A row serves as the row above, the row itself and the row below; its
// terms are made once for all three.
template <class S>
struct SharpenTerms {
  typename S::V centre[2], across[2], sum[2];
};

template <class S, int Parity>
PPL_VEC_INLINE void sharpen_terms_of(const RowTaps<S>& t, SharpenTerms<S>* out) {
  const typename S::V l = sites<S, Parity>(t.at(-1)), c = sites<S, Parity>(t.at(0)),
                      r = sites<S, Parity>(t.at(1));
  out->centre[Parity] = c;
  out->across[Parity] = S::sub16(r, l);
  out->sum[Parity] = S::add16(S::add16(l, c), r);
}

template <class S>
PPL_VEC_INLINE SharpenTerms<S> sharpen_terms(const RowTaps<S>& t) {
  SharpenTerms<S> out;
  sharpen_terms_of<S, 0>(t, &out);
  sharpen_terms_of<S, 1>(t, &out);
  return out;
}

template <class S, int Parity>
PPL_VEC_INLINE typename S::V sharpen_sites(const SharpenTerms<S>& up, const SharpenTerms<S>& mid,
                                           const SharpenTerms<S>& down, const SharpenParams<S>& k) {
  using V = typename S::V;
  const V gx = S::add16(S::add16(up.across[Parity], mid.across[Parity]), down.across[Parity]);
  const V gy = S::sub16(down.sum[Parity], up.sum[Parity]);
  const V magnitude = S::add16(abs_diff16<S>(gx, S::zero()), abs_diff16<S>(gy, S::zero()));
  const V e = S::and_(S::cmpgt16(magnitude, k.threshold), S::add16(gx, gy));
  return S::add16(mid.centre[Parity], S::template sra16<6>(S::mullo16(e, k.factor)));
}

// The sharpened luma of the row `mid` between the rows `up` and `down` (the
// reflected row at the picture's first and last rows).
template <class S>
PPL_VEC_INLINE typename S::V sharpen_row(const SharpenTerms<S>& up, const SharpenTerms<S>& mid,
                                         const SharpenTerms<S>& down, const SharpenParams<S>& k) {
  return merge_sites<S>(sharpen_sites<S, 0>(up, mid, down, k), sharpen_sites<S, 1>(up, mid, down, k));
}

template <class S>
PPL_VEC_INLINE typename S::V sharpen_row(const RowTaps<S>& up, const RowTaps<S>& mid, const RowTaps<S>& down,
                                         const SharpenParams<S>& k) {
  return sharpen_row<S>(sharpen_terms<S>(up), sharpen_terms<S>(mid), sharpen_terms<S>(down), k);
}

}  // namespace pplcam::edge
