// Luma sharpening of quality 0, per row of a column group, written once
// over the register struct S (core/simd.h).
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

// The left neighbour of an even photosite is the odd photosite before it,
// its right neighbour the odd photosite of its own pair, and the other way
// round for an odd photosite: the centres of both parities and the taps
// two columns out give every neighbour.
template <class S>
PPL_VEC_INLINE SharpenTerms<S> sharpen_terms(const RowTaps<S>& t) {
  using V = typename S::V;
  const V even = even_sites<S>(t.at(0)), odd = odd_sites<S>(t.at(0));
  const V left_of_even = odd_sites<S>(t.at(-2)), right_of_odd = even_sites<S>(t.at(2));
  SharpenTerms<S> out;
  out.centre[0] = even, out.centre[1] = odd;
  out.across[0] = S::sub16(odd, left_of_even);
  out.across[1] = S::sub16(right_of_odd, even);
  out.sum[0] = S::add16(S::add16(left_of_even, even), odd);
  out.sum[1] = S::add16(S::add16(even, odd), right_of_odd);
  return out;
}

// The sharpened pixels of one parity from their gradients and centre.
template <class S>
PPL_VEC_INLINE typename S::V sharpen_from_gradients(typename S::V gx, typename S::V gy, typename S::V centre,
                                                    const SharpenParams<S>& k) {
  using V = typename S::V;
  const V magnitude = S::add16(abs_diff16<S>(gx, S::zero()), abs_diff16<S>(gy, S::zero()));
  const V e = S::and_(S::cmpgt16(magnitude, k.threshold), S::add16(gx, gy));
  return S::add16(centre, S::template sra16<6>(S::mullo16(e, k.factor)));
}

template <class S, int Parity>
PPL_VEC_INLINE typename S::V sharpen_sites(const SharpenTerms<S>& up, const SharpenTerms<S>& mid,
                                           const SharpenTerms<S>& down, const SharpenParams<S>& k) {
  const typename S::V gx = S::add16(S::add16(up.across[Parity], mid.across[Parity]), down.across[Parity]);
  const typename S::V gy = S::sub16(down.sum[Parity], up.sum[Parity]);
  return sharpen_from_gradients<S>(gx, gy, mid.centre[Parity], k);
}

// Two rows at once: `first` between a and c, `second` between b and d,
// with the horizontal differences of b and c added once for both.
template <class S>
PPL_VEC_INLINE void sharpen_two_rows(const SharpenTerms<S>& a, const SharpenTerms<S>& b, const SharpenTerms<S>& c,
                                     const SharpenTerms<S>& d, const SharpenParams<S>& k, typename S::V* first,
                                     typename S::V* second) {
  typename S::V one[2], two[2];
  for (int parity = 0; parity < 2; ++parity) {
    const typename S::V middle = S::add16(b.across[parity], c.across[parity]);
    one[parity] = sharpen_from_gradients<S>(S::add16(a.across[parity], middle),
                                            S::sub16(c.sum[parity], a.sum[parity]), b.centre[parity], k);
    two[parity] = sharpen_from_gradients<S>(S::add16(middle, d.across[parity]),
                                            S::sub16(d.sum[parity], b.sum[parity]), c.centre[parity], k);
  }
  *first = interleave_u8<S>(one[0], one[1]);
  *second = interleave_u8<S>(two[0], two[1]);
}

// The sharpened luma of the row `mid` between the rows `up` and `down` (the
// reflected row at the picture's first and last rows).
template <class S>
PPL_VEC_INLINE typename S::V sharpen_row(const SharpenTerms<S>& up, const SharpenTerms<S>& mid,
                                         const SharpenTerms<S>& down, const SharpenParams<S>& k) {
  return interleave_u8<S>(sharpen_sites<S, 0>(up, mid, down, k), sharpen_sites<S, 1>(up, mid, down, k));
}

template <class S>
PPL_VEC_INLINE typename S::V sharpen_row(const RowTaps<S>& up, const RowTaps<S>& mid, const RowTaps<S>& down,
                                         const SharpenParams<S>& k) {
  return sharpen_row<S>(sharpen_terms<S>(up), sharpen_terms<S>(mid), sharpen_terms<S>(down), k);
}

}  // namespace pplcam::edge
