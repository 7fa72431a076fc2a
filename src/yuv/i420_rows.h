// The I420 rule on one pair of source lines: luma copied, chroma the rounded
// vertical mean of the two lines, rows written left to right or (horizontal
// mirror) right to left.
//
// A step covers 2 x kBytes pixels (16 with Mmx registers, 32 with Sse2):
// two luma registers per line and one U and one V register for the step's
// kBytes pixel pairs. A line whose width is not a multiple of the step ends
// with a step that overlaps the previous one; it rewrites the same bytes
// with the same values, so no tail code is needed. Widths must be a
// multiple of 16 and at least 32. The wide rows take wide steps while a
// whole one fits and finish the line with 16-byte steps
// (yuv/yuv_registers.h).
//
// The interlaced converters reuse i420_line_pair on their woven lines.
#pragma once

#include <cstdint>

#include "core/simd.h"
#include "yuv/packed422.h"

namespace pplcam::yuv {

// Where one line pair lands: the address of picture pixel 0 of each row.
// Without the mirror pixel x is at row + x, with it at row - x.
struct I420Rows {
  uint8_t* y0;
  uint8_t* y1;
  uint8_t* u;
  uint8_t* v;
};

// How a register's bytes stand against picture order: as they are, or as
// one or two lane-by-lane packs of wide registers left them
// (core/simd_avx2_lanes.h). On registers of 16 bytes or fewer a pack keeps
// picture order.
enum class Packed { kInOrder, kOnce, kTwice };

// Stores the kBytes pixels x .. x + kBytes - 1 of a row.
template <class S, bool Mirror, Packed K = Packed::kInOrder>
PPL_VEC_INLINE void store_run(uint8_t* row, int32_t x, typename S::V v) {
  if constexpr (K != Packed::kInOrder && S::kBytes > 16) {
    if constexpr (Mirror) {
      v = K == Packed::kOnce ? S::pack_order_reversed(v) : S::pack2_order_reversed(v);
      S::store(row - x - (S::kBytes - 1), v);
    } else {
      S::store(row + x, K == Packed::kOnce ? S::pack_order(v) : S::pack2_order(v));
    }
  } else if constexpr (Mirror && S::kBytes > 16) {
    S::store(row - x - (S::kBytes - 1), S::reverse_bytes(v));
  } else if constexpr (Mirror) {
    S::store(row - x - (S::kBytes - 1), reverse8<S>(v));
  } else {
    S::store(row + x, v);
  }
}

// Writes one step at pixel x: luma of both rows, and U and V of the pixel
// pairs x / 2 .. x / 2 + kBytes - 1. The rows come by value so that the
// compiler keeps them in registers (byte stores may alias any struct).
template <class S, bool Mirror, Packed Luma = Packed::kInOrder, Packed Chroma = Packed::kInOrder>
PPL_VEC_INLINE void store_i420_step(I420Rows out, int32_t x, const typename S::V* y0,
                                    const typename S::V* y1, typename S::V u, typename S::V v) {
  store_run<S, Mirror, Luma>(out.y0, x, y0[0]);
  store_run<S, Mirror, Luma>(out.y0, x + S::kBytes, y0[1]);
  store_run<S, Mirror, Luma>(out.y1, x, y1[0]);
  store_run<S, Mirror, Luma>(out.y1, x + S::kBytes, y1[1]);
  store_run<S, Mirror, Chroma>(out.u, x >> 1, u);
  store_run<S, Mirror, Chroma>(out.v, x >> 1, v);
}

// Calls step.template operator()<R>(x) for the steps of 2 x R::kBytes
// pixels that cover `width` pixels: wide steps (W) while a whole one fits,
// then steps of T, the last one overlapping its predecessor when the width
// is not a multiple of T's step.
template <class W, class T, class Step>
PPL_VEC_INLINE void walk_steps(int32_t width, Step step) {
  int32_t x = 0;
  if constexpr (W::kBytes != T::kBytes) {
    for (; x + 2 * W::kBytes <= width; x += 2 * W::kBytes) step.template operator()<W>(x);
  }
  constexpr int32_t kStep = 2 * T::kBytes;
  for (; x < width; x += kStep) step.template operator()<T>(x + kStep <= width ? x : width - kStep);
}

// The chroma of two lines combined: (a + b + 1) >> 1 per byte.
template <class S>
PPL_VEC_INLINE typename S::V chroma_mean(typename S::V a, typename S::V b) {
  return S::avgu8(a, b);
}

// Luma (two registers) and interleaved chroma U V U V ... (two registers)
// of the 2 x kBytes pixels of one packed 4:2:2 line at p.
template <class S, Order422 O>
PPL_VEC_INLINE void split_step(const uint8_t* p, typename S::V* luma, typename S::V* chroma) {
  using P = Packed422<S, O>;
  const typename S::V a0 = S::load(p), a1 = S::load(p + S::kBytes);
  const typename S::V a2 = S::load(p + 2 * S::kBytes), a3 = S::load(p + 3 * S::kBytes);
  luma[0] = S::packus16(P::luma16(a0), P::luma16(a1));
  luma[1] = S::packus16(P::luma16(a2), P::luma16(a3));
  chroma[0] = S::packus16(P::chroma16(a0), P::chroma16(a1));
  chroma[1] = S::packus16(P::chroma16(a2), P::chroma16(a3));
}

// One step of i420_line_pair on registers S.
template <Order422 O, bool Mirror>
struct I420PairStep {
  const uint8_t* line0;
  const uint8_t* line1;
  I420Rows out;
  template <class S>
  PPL_MEMBER_INLINE void operator()(int32_t x) const {
    using V = typename S::V;
    V y0[2], y1[2], c0[2], c1[2];
    split_step<S, O>(line0 + 2 * x, y0, c0);
    split_step<S, O>(line1 + 2 * x, y1, c1);
    const V m0 = chroma_mean<S>(c0[0], c1[0]);
    const V m1 = chroma_mean<S>(c0[1], c1[1]);
    store_i420_step<S, Mirror, Packed::kOnce, Packed::kTwice>(out, x, y0, y1, even_bytes<S>(m0, m1),
                                                               odd_bytes<S>(m0, m1));
  }
};

// Converts lines line0 and line1 (packed 4:2:2, `width` pixels each).
template <class W, class T, Order422 O, bool Mirror>
void i420_line_pair(const uint8_t* line0, const uint8_t* line1, int32_t width, I420Rows out) {
  walk_steps<W, T>(width, I420PairStep<O, Mirror>{line0, line1, out});
}

}  // namespace pplcam::yuv
