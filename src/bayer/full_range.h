// The RGB outputs of quality 0 go through full-range luma and chroma so
// that the luma can be sharpened, then back to R, G, B:
//
//  - full_range_yuv: y = (k_YR R + k_YG G + k_YB B + o) >> 6 saturated to
//    0..255 (no studio lift), u and v with the U and V rows and the
//    rounding half 32, saturated to -128..127; every pixel keeps its own
//    chroma. Products and sums wrap in 16 bits, as in every matrix
//    conversion.
//  - fixed_yuv_to_rgb: the library's own YUV-to-RGB matrix in units of
//    1/128 (R = Y + 175/128 V, G = Y - 89/128 V - 43/128 U,
//    B = Y + 222/128 U) with saturating 16-bit additions in exactly the
//    order below and a rounding word of 32; when an intermediate sum
//    saturates the order decides the result (Y 255, U 127, V -128 gives
//    G 213, not 255).
#pragma once

#include <cstdint>

#include "bayer/edge_demosaic.h"
#include "core/simd.h"

namespace pplcam::edge {

// One row of R, G, B (even and odd photosites, 16-bit lanes) to
// full-range y (unsigned bytes) and u, v (signed bytes).
template <class S>
PPL_VEC_INLINE void full_range_yuv(const Matrix3<S>& c, typename S::V re, typename S::V ro,
                                   typename S::V ge, typename S::V go, typename S::V be, typename S::V bo,
                                   typename S::V* y, typename S::V* u, typename S::V* v) {
  const typename S::V half = S::set1_16(32);
  const typename S::V* k = c.k;
  *y = interleave_u8<S>(dot3<S>(k[0], k[1], k[2], re, ge, be, c.offset),
                        dot3<S>(k[0], k[1], k[2], ro, go, bo, c.offset));
  *u = interleave_s8<S>(dot3<S>(k[3], k[4], k[5], re, ge, be, half), dot3<S>(k[3], k[4], k[5], ro, go, bo, half));
  *v = interleave_s8<S>(dot3<S>(k[6], k[7], k[8], re, ge, be, half), dot3<S>(k[6], k[7], k[8], ro, go, bo, half));
}

// The same from a row of R, G, B bytes.
template <class S>
PPL_VEC_INLINE void full_range_yuv(const Matrix3<S>& c, typename S::V r, typename S::V g,
                                   typename S::V b, typename S::V* y, typename S::V* u,
                                   typename S::V* v) {
  full_range_yuv<S>(c, even_sites<S>(r), odd_sites<S>(r), even_sites<S>(g), odd_sites<S>(g), even_sites<S>(b),
                    odd_sites<S>(b), y, u, v);
}

// The fixed step on 16-bit lanes: y zero-extended, u and v sign-extended.
template <class S>
PPL_VEC_INLINE void fixed_yuv_to_rgb_sites(typename S::V y, typename S::V u, typename S::V v,
                                           typename S::V* r, typename S::V* g, typename S::V* b) {
  using V = typename S::V;
  const V y128 = S::template sll16<7>(y);
  const V round = S::set1_16(32);
  // R = ((128 Y + 0 U) + 175 V) + 32: adding 0 U changes nothing.
  *r = S::template sra16<7>(S::adds16(S::adds16(y128, S::mullo16(v, S::set1_16(175))), round));
  *g = S::template sra16<7>(S::adds16(
      S::adds16(S::adds16(y128, S::mullo16(v, S::set1_16(-89))), S::mullo16(u, S::set1_16(-43))), round));
  // B = ((128 Y + 222 U) + 0 V) + 32.
  *b = S::template sra16<7>(S::adds16(S::adds16(y128, S::mullo16(u, S::set1_16(222))), round));
}

// One row: y unsigned bytes, u and v signed bytes, to R, G, B of the even
// photosites (re, ge, be) and of the odd ones (ro, go, bo), 16-bit lanes
// not yet saturated.
template <class S>
PPL_VEC_INLINE void fixed_yuv_to_rgb_sites(typename S::V y, typename S::V u, typename S::V v, typename S::V* re,
                                           typename S::V* ro, typename S::V* ge, typename S::V* go,
                                           typename S::V* be, typename S::V* bo) {
  fixed_yuv_to_rgb_sites<S>(even_sites<S>(y), S::template sra16<8>(S::template sll16<8>(u)),
                            S::template sra16<8>(S::template sll16<8>(v)), re, ge, be);
  fixed_yuv_to_rgb_sites<S>(odd_sites<S>(y), S::template sra16<8>(u), S::template sra16<8>(v), ro, go, bo);
}

// One row: y unsigned bytes, u and v signed bytes, to R, G, B bytes.
template <class S>
PPL_VEC_INLINE void fixed_yuv_to_rgb(typename S::V y, typename S::V u, typename S::V v, typename S::V* r,
                                     typename S::V* g, typename S::V* b) {
  using V = typename S::V;
  V re, ge, be, ro, go, bo;
  fixed_yuv_to_rgb_sites<S>(y, u, v, &re, &ro, &ge, &go, &be, &bo);
  *r = interleave_u8<S>(re, ro);
  *g = interleave_u8<S>(ge, go);
  *b = interleave_u8<S>(be, bo);
}

}  // namespace pplcam::edge
