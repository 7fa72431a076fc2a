// The I420 rule on one pair of source lines: luma copied, chroma the rounded
// vertical mean of the two lines, rows written left to right or (horizontal
// mirror) right to left.
//
// A step covers 2 x kBytes pixels (16 with Mmx registers, 32 with Sse2):
// two luma registers per line and one U and one V register for the step's
// kBytes pixel pairs. A line whose width is not a multiple of the step ends
// with a step that overlaps the previous one; it rewrites the same bytes
// with the same values, so no tail code is needed. Widths must be a
// multiple of 16 and at least 32.
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

// Stores the kBytes pixels x .. x + kBytes - 1 of a row.
template <class S, bool Mirror>
PPL_VEC_INLINE void store_run(uint8_t* row, int32_t x, typename S::V v) {
  if constexpr (Mirror) {
    S::store(row - x - (S::kBytes - 1), reverse8<S>(v));
  } else {
    S::store(row + x, v);
  }
}

// Writes one step at pixel x: luma of both rows, and U and V of the pixel
// pairs x / 2 .. x / 2 + kBytes - 1. The rows come by value so that the
// compiler keeps them in registers (byte stores may alias any struct).
template <class S, bool Mirror>
PPL_VEC_INLINE void store_i420_step(I420Rows out, int32_t x, const typename S::V* y0,
                                    const typename S::V* y1, typename S::V u, typename S::V v) {
  store_run<S, Mirror>(out.y0, x, y0[0]);
  store_run<S, Mirror>(out.y0, x + S::kBytes, y0[1]);
  store_run<S, Mirror>(out.y1, x, y1[0]);
  store_run<S, Mirror>(out.y1, x + S::kBytes, y1[1]);
  store_run<S, Mirror>(out.u, x >> 1, u);
  store_run<S, Mirror>(out.v, x >> 1, v);
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

// Converts lines line0 and line1 (packed 4:2:2, `width` pixels each).
template <class S, Order422 O, bool Mirror>
void i420_line_pair(const uint8_t* line0, const uint8_t* line1, int32_t width, I420Rows out) {
  using V = typename S::V;
  constexpr int32_t kStep = 2 * S::kBytes;
  for (int32_t x0 = 0; x0 < width; x0 += kStep) {
    const int32_t x = x0 + kStep <= width ? x0 : width - kStep;
    V y0[2], y1[2], c0[2], c1[2];
    split_step<S, O>(line0 + 2 * x, y0, c0);
    split_step<S, O>(line1 + 2 * x, y1, c1);
    const V m0 = chroma_mean<S>(c0[0], c1[0]);
    const V m1 = chroma_mean<S>(c0[1], c1[1]);
    store_i420_step<S, Mirror>(out, x, y0, y1, even_bytes<S>(m0, m1), odd_bytes<S>(m0, m1));
  }
}

}  // namespace pplcam::yuv
