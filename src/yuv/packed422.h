// Packed 4:2:2 lines (YUYV and UYVY) taken apart in registers.
//
// A register of packed 4:2:2 bytes holds one pixel per 16-bit lane. For
// YUYV the low byte of each lane is luma and the high byte chroma (U in
// even lanes, V in odd lanes); UYVY swaps the two bytes. Splitting is one
// mask or one shift, so both orders share every kernel.
#pragma once

#include "core/simd.h"

namespace pplcam::yuv {

enum class Order422 { kYuyv, kUyvy };

template <class S, Order422 O>
struct Packed422 {
  using V = typename S::V;

  // 16-bit lanes: the luma of each pixel, zero-extended.
  PPL_VEC_INLINE V luma16(V v) {
    if constexpr (O == Order422::kYuyv) return S::and_(v, S::set1_16(0x00FF));
    else return S::template srl16<8>(v);
  }
  // 16-bit lanes: U, V, U, V, ... (one lane pair per pixel pair), zero-extended.
  PPL_VEC_INLINE V chroma16(V v) {
    if constexpr (O == Order422::kYuyv) return S::template srl16<8>(v);
    else return S::and_(v, S::set1_16(0x00FF));
  }
};

// Low bytes of the 16-bit lanes of a and b, packed: a's lanes first.
template <class S>
PPL_VEC_INLINE typename S::V even_bytes(typename S::V a, typename S::V b) {
  const typename S::V mask = S::set1_16(0x00FF);
  return S::packus16(S::and_(a, mask), S::and_(b, mask));
}

// High bytes of the 16-bit lanes of a and b, packed: a's lanes first.
template <class S>
PPL_VEC_INLINE typename S::V odd_bytes(typename S::V a, typename S::V b) {
  return S::packus16(S::template srl16<8>(a), S::template srl16<8>(b));
}

}  // namespace pplcam::yuv
