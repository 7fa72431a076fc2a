// Packed 4:2:2 to RGB24 on one line: the BT.601 studio-range arithmetic in
// signed 16-bit lanes, and the B, G, R byte interleave.
//
// For a pixel pair (Y0, Y1 sharing U, V), u = U - 128, v = V - 128 and
// Y' = 74 * max(Y - 16, 0):
//   R = (Y' + 102 v) >> 6
//   G = (Y' - 25 u - 52 v) >> 6
//   B = (Y' + 129 u) >> 6         (the sum saturates at 32767, see below)
// with arithmetic shifts and every result clamped to 0..255.
//
// Every sum stays inside 16 bits except the blue one for input outside the
// nominal ranges (Y near 255 with U near 255 reaches 34069). A wrapping add
// would turn that into a negative value and a black pixel; the saturating
// add keeps it at 32767, which clamps to 255 exactly as the true sum would.
//
// The interlaced converters reuse rgb24_line on their woven lines.
#pragma once

#include <cstdint>

#include "core/simd.h"
#include "yuv/packed422.h"

namespace pplcam::yuv {

// Two 16-bit values (lo for the even lane, hi for the odd one) in every
// 32-bit lane: one multiply then serves the U and the V lane of a pair.
constexpr int32_t lane_pair(int16_t lo, int16_t hi) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16) |
                              static_cast<uint16_t>(lo));
}

// B, G and R of the kBytes / 2 pixels of one packed 4:2:2 register, as
// signed 16-bit lanes before the clamp.
template <class S, Order422 O>
PPL_VEC_INLINE void bgr16_from_422(typename S::V in, typename S::V* b, typename S::V* g,
                                   typename S::V* r) {
  using V = typename S::V;
  using P = Packed422<S, O>;
  const V luma = S::max16(S::sub16(P::luma16(in), S::set1_16(16)), S::zero());
  const V y = S::mullo16(luma, S::set1_16(74));
  const V c = S::sub16(P::chroma16(in), S::set1_16(128));   // u, v, u, v, ...
  // 129 u in the U lane and 102 v in the V lane, then each copied to the
  // two lanes (the two pixels) of its pair.
  const V bu_rv = S::mullo16(c, S::set1_32(lane_pair(129, 102)));
  const V bu = S::template shuffle16_in64<_MM_SHUFFLE(2, 2, 0, 0)>(bu_rv);
  const V rv = S::template shuffle16_in64<_MM_SHUFFLE(3, 3, 1, 1)>(bu_rv);
  // -25 u - 52 v summed over the pair's lanes (low half of a 32-bit lane),
  // then copied to both.
  const V g32 = S::madd16(c, S::set1_32(lane_pair(-25, -52)));
  const V guv = S::template shuffle16_in64<_MM_SHUFFLE(2, 2, 0, 0)>(g32);
  *b = S::template sra16<6>(S::adds16(y, bu));
  *g = S::template sra16<6>(S::add16(y, guv));
  *r = S::template sra16<6>(S::add16(y, rv));
}

// Two pixels B G R 0 B G R 0 in each 64-bit lane become B G R B G R in the
// lane's low six bytes.
template <class S>
PPL_VEC_INLINE typename S::V squeeze_bgr0(typename S::V p, typename S::V low_dword) {
  return S::or_(S::and_(p, low_dword), S::template sll64<24>(S::template srl64<32>(p)));
}

// Four 64-bit lanes of six bytes each (q0 .. q3) joined into 24 bytes, as
// three 64-bit lanes.
template <class S>
PPL_VEC_INLINE void join_six_byte_lanes(const typename S::V* q, typename S::V* out) {
  out[0] = S::or_(q[0], S::template sll64<48>(q[1]));
  out[1] = S::or_(S::template srl64<16>(q[1]), S::template sll64<32>(q[2]));
  out[2] = S::or_(S::template srl64<32>(q[2]), S::template sll64<16>(q[3]));
}

// B G R 0 per pixel of kBytes pixels, squeezed to six bytes per 64-bit
// lane: pixels 0-1 in q[0] lane 0, 2-3 in q[0] lane 1 (SSE2) or q[1] (MMX),
// and so on in pixel order through lanes and registers.
template <class S>
PPL_VEC_INLINE void bgr_pairs(typename S::V b, typename S::V g, typename S::V r,
                              typename S::V* q) {
  using V = typename S::V;
  const V bg_lo = S::unpacklo8(b, g), bg_hi = S::unpackhi8(b, g);
  const V r_lo = S::unpacklo8(r, S::zero()), r_hi = S::unpackhi8(r, S::zero());
  const V low_dword = S::template srl64<32>(S::cmpeq16(b, b));
  q[0] = squeeze_bgr0<S>(S::unpacklo16(bg_lo, r_lo), low_dword);
  q[1] = squeeze_bgr0<S>(S::unpackhi16(bg_lo, r_lo), low_dword);
  q[2] = squeeze_bgr0<S>(S::unpacklo16(bg_hi, r_hi), low_dword);
  q[3] = squeeze_bgr0<S>(S::unpackhi16(bg_hi, r_hi), low_dword);
}

// Writes kBytes pixels as B G R triplets (3 x kBytes bytes) at dst; b, g, r
// hold one byte per pixel, pixel 0 in byte 0.
template <class S>
PPL_VEC_INLINE void store_bgr24(uint8_t* dst, typename S::V b, typename S::V g, typename S::V r) {
  using V = typename S::V;
  V q[4], out[3];
  bgr_pairs<S>(b, g, r, q);
  if constexpr (S::kBytes == 8) {
    join_six_byte_lanes<S>(q, out);
    S::store(dst, out[0]);
    S::store(dst + 8, out[1]);
    S::store(dst + 16, out[2]);
  } else {
    // Pixels 0-7 sit in q[0], q[1] and pixels 8-15 in q[2], q[3] (two
    // 64-bit lanes each). Pair them up so that the low lanes carry pixels
    // 0-7 and the high lanes pixels 8-15, join both halves at once, then
    // write the low lanes' 24 bytes followed by the high lanes' 24.
    const V t[4] = {_mm_unpacklo_epi64(q[0], q[2]), _mm_unpackhi_epi64(q[0], q[2]),
                    _mm_unpacklo_epi64(q[1], q[3]), _mm_unpackhi_epi64(q[1], q[3])};
    join_six_byte_lanes<S>(t, out);
    S::store(dst, _mm_unpacklo_epi64(out[0], out[1]));
    S::store(dst + 16, _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(out[2]),
                                                       _mm_castsi128_pd(out[0]), 2)));
    S::store(dst + 32, _mm_unpackhi_epi64(out[1], out[2]));
  }
}

// As store_bgr24, but each pixel pair is written as eight bytes, six of
// them its own: the pairs overlap and the two bytes after the 3 x kBytes
// are written with junk. Fewer instructions than the exact join; only for
// places where the next bytes are written afterwards.
template <class S>
PPL_VEC_INLINE void store_bgr24_spill2(uint8_t* dst, typename S::V b, typename S::V g,
                                       typename S::V r) {
  typename S::V q[4];
  bgr_pairs<S>(b, g, r, q);
  for (int i = 0; i < 4; ++i) {
    if constexpr (S::kBytes == 8) {
      S::store(dst + 6 * i, q[i]);
    } else {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 12 * i), q[i]);
      // MOVHPS: the high half as an unaligned 8-byte store (dst + 6 is only
      // 2-byte aligned, so no double* store).
      _mm_storeh_pi(reinterpret_cast<__m64*>(dst + 12 * i + 6), _mm_castsi128_ps(q[i]));
    }
  }
}

// Converts one packed 4:2:2 line of `width` pixels (a multiple of kBytes)
// into the RGB24 row at dst.
template <class S, Order422 O>
void rgb24_line(const uint8_t* line, int32_t width, uint8_t* dst) {
  using V = typename S::V;
  const int32_t last = width - S::kBytes;
  for (int32_t x = 0; x <= last; x += S::kBytes) {
    V b0, g0, r0, b1, g1, r1;
    bgr16_from_422<S, O>(S::load(line + 2 * x), &b0, &g0, &r0);
    bgr16_from_422<S, O>(S::load(line + 2 * x + S::kBytes), &b1, &g1, &r1);
    const V b = S::packus16(b0, b1), g = S::packus16(g0, g1), r = S::packus16(r0, r1);
    // The spill lands in the next group of the row, written next; the
    // row's last group must end exactly at the row's end.
    if (x < last) {
      store_bgr24_spill2<S>(dst + 3 * x, b, g, r);
    } else {
      store_bgr24<S>(dst + 3 * x, b, g, r);
    }
  }
}

}  // namespace pplcam::yuv
