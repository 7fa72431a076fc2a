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
// The work is done in pair lanes: one 16-bit lane per pixel pair, so the
// chroma terms of a pair are formed once and serve both of its pixels
// without being copied between lanes. The even and the odd pixels of the
// pairs each get their own luma register. The pairs of a step are taken in
// the order 0, 2, 4, ... then 1, 3, 5, ... (one shuffle per source
// register), which turns the B, G, R interleave into byte and word unpacks
// and a three-way interleave of 32-bit lanes: the step's output goes out
// as three whole-register stores (core/bgr24_pack.h).
//
// The interlaced converters reuse rgb24_line on their woven lines.
#pragma once

#include <cstdint>

#include "core/bgr24_pack.h"
#include "core/simd.h"
#include "yuv/packed422.h"

namespace pplcam::yuv {

// Luma and chroma terms of kBytes / 2 pixel pairs, one 16-bit lane per pair.
template <class S>
struct PairTerms {
  typename S::V y_even, y_odd;   // 74 max(Y - 16, 0) of the pair's first / second pixel
  typename S::V bu, g, rv;       // 129 u, -25 u - 52 v, 102 v
};

// The terms of the pairs of two registers of packed 4:2:2 (one pair per
// 32-bit lane): lane i holds the pair of 32-bit lane i of a, then of b.
template <class S, Order422 O>
PPL_VEC_INLINE PairTerms<S> pair_terms(typename S::V a, typename S::V b) {
  using V = typename S::V;
  const V low = S::set1_16(0x00FF), high = S::set1_16(static_cast<int16_t>(0xFF00));
  // Y Y per pair, and U V per pair: bytes 2i and 2i + 1 of both belong to
  // pair i.
  V luma = O == Order422::kYuyv ? even_bytes<S>(a, b) : odd_bytes<S>(a, b);
  const V chroma = O == Order422::kYuyv ? odd_bytes<S>(a, b) : even_bytes<S>(a, b);
  luma = S::subus8(luma, S::set1_8(16));                      // max(Y - 16, 0)
  PairTerms<S> t;
  t.y_even = S::mullo16(S::and_(luma, low), S::opaque(S::set1_16(74)));
  // The odd pixel's luma sits in the high byte: 256 Y times 74 * 256, high
  // half, is 74 Y with no shift.
  t.y_odd = S::mulhiu16(S::and_(luma, high), S::set1_16(74 << 8));
  const V u = S::sub16(S::and_(chroma, low), S::set1_16(128));
  // 256 v as a signed lane (flipping the top bit of V subtracts 128), so
  // that multiplies by 256 k keep their high half: k v.
  const V v256 = S::xor_(S::and_(chroma, high), S::set1_16(static_cast<int16_t>(0x8000)));
  t.bu = S::mullo16(u, S::opaque(S::set1_16(129)));
  t.rv = S::mulhi16(v256, S::set1_16(102 << 8));
  t.g = S::add16(S::mullo16(u, S::opaque(S::set1_16(-25))),
                 S::mulhi16(v256, S::set1_16(-52 * 256)));
  return t;
}

// (y + c) >> 6 for the green and red sums, which stay inside 16 bits; the
// shift is the high half of a product with 1 << 10, which floors like an
// arithmetic shift.
template <class S>
PPL_VEC_INLINE typename S::V sum_shift6(typename S::V y, typename S::V c) {
  return S::mulhi16(S::add16(y, c), S::set1_16(1 << 10));
}

// The same for the blue sum, which saturates (see the top of this file).
template <class S>
PPL_VEC_INLINE typename S::V blue_sum_shift6(typename S::V y, typename S::V bu) {
  return S::mulhi16(S::adds16(y, bu), S::set1_16(1 << 10));
}

// Loads the step's 2 x kBytes bytes of packed 4:2:2 at `in` and computes
// its B, G, R bytes, the pairs in the pair-lane order of pair_terms (even
// pairs, then odd pairs).
// A wide register takes lane by lane the 16 pixels an Sse2 step would
// (lane i of a and b: bytes 32i .. 32i + 31), and its three-way interleave
// lays the lanes' bytes end to end (core/simd_avx2_lanes.h).
template <class S, Order422 O>
PPL_VEC_INLINE PairBgrBytes<S> bgr_bytes(const uint8_t* in) {
  typename S::V a = S::load(in), b = S::load(in + S::kBytes);
  if constexpr (S::kBytes > 16) S::split_halves(a, b, &a, &b);
  const PairTerms<S> t = pair_terms<S, O>(S::even32(a, b), S::odd32(a, b));
  return pair_bgr_bytes<S>(blue_sum_shift6<S>(t.y_even, t.bu), sum_shift6<S>(t.y_even, t.g),
                           sum_shift6<S>(t.y_even, t.rv), blue_sum_shift6<S>(t.y_odd, t.bu),
                           sum_shift6<S>(t.y_odd, t.g), sum_shift6<S>(t.y_odd, t.rv));
}

// Converts the pixels [0, end) of a packed 4:2:2 line (end a multiple of
// kBytes, at least kBytes) into the RGB24 row at dst.
//
// Each step computes the bytes of the next step before it writes its own:
// in program order the next step's arithmetic then comes ahead of this
// step's shuffles and stores, and the two overlap in the processor's
// scheduler (some 10% faster than one step at a time on the benchmark
// machine). Nothing is read past the line.
template <class S, Order422 O>
PPL_VEC_INLINE void rgb24_run(const uint8_t* line, int32_t end, uint8_t* dst) {
  constexpr PairLanes kLanes = PairLanes::kEvenThenOdd;
  PairBgrBytes<S> current = bgr_bytes<S, O>(line);
  for (int32_t x = S::kBytes; x < end; x += S::kBytes) {
    const PairBgrBytes<S> next = bgr_bytes<S, O>(line + 2 * x);
    store_pair_bgr24<S, kLanes>(dst + 3 * (x - S::kBytes), current);
    current = next;
  }
  store_pair_bgr24<S, kLanes>(dst + 3 * (end - S::kBytes), current);
}

// Converts one packed 4:2:2 line of `width` pixels (a multiple of T's
// kBytes) into the RGB24 row at dst: wide steps, then T's.
template <class W, class T, Order422 O>
void rgb24_line(const uint8_t* line, int32_t width, uint8_t* dst) {
  int32_t x = width - width % W::kBytes;
  if (x > 0) rgb24_run<W, O>(line, x, dst);
  for (; x < width; x += T::kBytes)
    store_pair_bgr24<T, PairLanes::kEvenThenOdd>(dst + 3 * x, bgr_bytes<T, O>(line + 2 * x));
}

}  // namespace pplcam::yuv
