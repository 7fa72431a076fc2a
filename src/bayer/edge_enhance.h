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

template <class S, int Parity>
PPL_VEC_INLINE typename S::V sharpen_sites(const RowTaps<S>& up, const RowTaps<S>& mid,
                                           const RowTaps<S>& down, const SharpenParams<S>& k) {
  using V = typename S::V;
  const V ul = sites<S, Parity>(up.at(-1)), uc = sites<S, Parity>(up.at(0)), ur = sites<S, Parity>(up.at(1));
  const V ml = sites<S, Parity>(mid.at(-1)), mc = sites<S, Parity>(mid.at(0)), mr = sites<S, Parity>(mid.at(1));
  const V dl = sites<S, Parity>(down.at(-1)), dc = sites<S, Parity>(down.at(0)), dr = sites<S, Parity>(down.at(1));
  const V gx = S::add16(S::add16(S::sub16(ur, ul), S::sub16(mr, ml)), S::sub16(dr, dl));
  const V gy = S::sub16(S::add16(S::add16(dl, dc), dr), S::add16(S::add16(ul, uc), ur));
  const V magnitude = S::add16(abs_diff16<S>(gx, S::zero()), abs_diff16<S>(gy, S::zero()));
  const V e = S::and_(S::cmpgt16(magnitude, k.threshold), S::add16(gx, gy));
  return S::add16(mc, S::template sra16<6>(S::mullo16(e, k.factor)));
}

// The sharpened luma of the group row `mid`, between the rows `up` and
// `down` (the reflected row at the picture's first and last rows).
template <class S>
PPL_VEC_INLINE typename S::V sharpen_row(const RowTaps<S>& up, const RowTaps<S>& mid,
                                         const RowTaps<S>& down, const SharpenParams<S>& k) {
  return merge_sites<S>(sharpen_sites<S, 0>(up, mid, down, k), sharpen_sites<S, 1>(up, mid, down, k));
}

}  // namespace pplcam::edge
