// The AVX2 register struct with the cross-lane reorderings of the YUV
// kernels.
//
// Packs and unpacks work lane by lane, so a wide register packed from two
// registers holds their 16-byte lanes interleaved: a pack of a and b gives
// the qwords a0 b0 a1 b1 ... (ai: the packed bytes of lane i of a), and a
// second pack of two such results the dwords of four registers lane by
// lane. The YUV kernels compute in that order and put the bytes back in
// picture order once, when they store them, with one permute per register
// (the mirror variants reverse the whole register in the same step). The
// three-way interleave lays each lane's 48 bytes end to end, so the RGB24
// writer's three stores fill a contiguous run.
//
// Included only by the AVX2 row's YUV files (*_avx2.cpp).
#pragma once

#include "core/simd_avx2.h"

namespace pplcam {

struct Avx2Lanes : Avx2 {
  // a pack of registers a, b in picture order: a's lanes, then b's
  PPL_VEC_INLINE V pack_order(V v) { return _mm256_permute4x64_epi64(v, 0xD8); }
  // two packs of a, b, c, d in picture order: a's lanes, b's, c's, d's
  PPL_VEC_INLINE V pack2_order(V v) {
    return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
  }
  // the same, every byte of the register in reverse order
  PPL_VEC_INLINE V pack_order_reversed(V v) {
    const V in_qwords = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,
                                         7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    return _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, in_qwords), 0x27);
  }
  PPL_VEC_INLINE V pack2_order_reversed(V v) {
    const V in_dwords = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12,
                                         3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v, in_dwords),
                                       _mm256_setr_epi32(7, 3, 6, 2, 5, 1, 4, 0));
  }
  // Registers of 16-byte lanes a and b (the lanes of a, then of b) as two
  // registers holding, lane by lane, the first and second 16 bytes of each
  // 32 bytes: lo gets a0 a2 .. b0 b2 .., hi gets a1 a3 .. b1 b3 ...
  PPL_VEC_INLINE void split_halves(V a, V b, V* lo, V* hi) {
    *lo = _mm256_permute2x128_si256(a, b, 0x20);
    *hi = _mm256_permute2x128_si256(a, b, 0x31);
  }
  // every byte of the register in reverse order
  PPL_VEC_INLINE V reverse_bytes(V v) {
    const V in_lanes = _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,
                                        15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    return _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, in_lanes), 0x4E);
  }
  // a's and b's lanes alternating: lo gets a0 b0 .., hi the rest
  PPL_VEC_INLINE void interleave_lanes(V a, V b, V* lo, V* hi) { split_halves(a, b, lo, hi); }
  // lane i from p + i * stride (16 bytes each, nothing between read)
  PPL_VEC_INLINE V load_lanes_apart(const uint8_t* p, int stride) {
    return from_lanes(_mm_loadu_si128(reinterpret_cast<const Half*>(p)),
                      _mm_loadu_si128(reinterpret_cast<const Half*>(p + stride)));
  }
  // x, y, z's 32-bit lanes interleaved (x0 y0 z0 x1 ...) as Sse2 does in
  // each 16-byte lane, and the lanes' 48-byte results laid end to end over
  // out[0..2]: the 3 x kBytes bytes of a contiguous output.
  PPL_VEC_INLINE void interleave3_32(V x, V y, V z, V* out) {
    V r[3];
    interleave3_32_by_shuffles<Avx2>(x, y, z, r);
    out[0] = _mm256_permute2x128_si256(r[0], r[1], 0x20);
    out[1] = _mm256_permute2x128_si256(r[2], r[0], 0x30);
    out[2] = _mm256_permute2x128_si256(r[1], r[2], 0x31);
  }
};

}  // namespace pplcam
