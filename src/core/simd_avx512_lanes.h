// The AVX-512 register struct with the cross-lane reorderings of the YUV
// kernels: the operations of Avx2Lanes (core/simd_avx2_lanes.h) on four
// lanes.
//
// Included only by the AVX-512 row's YUV files (*_avx512.cpp).
#pragma once

#include <cstdint>

#include "core/simd_avx512.h"

namespace pplcam {

// The byte index of a 64-byte permute that reverses a register packed from
// `unit`-byte pieces: result byte j is byte 63 - j in picture order, where
// picture piece p = r * 4 + lane (r: the packed register) sits at piece
// lane * (16 / unit) + r in pack order.
struct ByteIndex64 {
  uint8_t bytes[64];
};
constexpr ByteIndex64 reversed_pack_order(int unit) {
  ByteIndex64 idx{};
  for (int j = 0; j < 64; ++j) {
    const int picture = 63 - j, piece = picture / unit;
    idx.bytes[j] = static_cast<uint8_t>(((piece % 4) * (16 / unit) + piece / 4) * unit + picture % unit);
  }
  return idx;
}
// one pack (qword pieces), two packs (dword pieces)
inline constexpr ByteIndex64 kReversedPackOrder[2] = {reversed_pack_order(8), reversed_pack_order(4)};

struct Avx512Lanes : Avx512 {
  PPL_VEC_INLINE V pack_order(V v) {
    return _mm512_permutexvar_epi64(_mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7), v);
  }
  PPL_VEC_INLINE V pack2_order(V v) {
    return _mm512_permutexvar_epi32(_mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15), v);
  }
  // One byte permute: the picture order and the reversal together.
  PPL_VEC_INLINE V pack_order_reversed(V v) { return _mm512_permutexvar_epi8(load(kReversedPackOrder[0].bytes), v); }
  PPL_VEC_INLINE V pack2_order_reversed(V v) { return _mm512_permutexvar_epi8(load(kReversedPackOrder[1].bytes), v); }
  PPL_VEC_INLINE V reverse_bytes(V v) {
    const V idx = _mm512_set_epi64(0x0001020304050607, 0x08090A0B0C0D0E0F, 0x1011121314151617, 0x18191A1B1C1D1E1F,
                                   0x2021222324252627, 0x28292A2B2C2D2E2F, 0x3031323334353637, 0x38393A3B3C3D3E3F);
    return _mm512_permutexvar_epi8(idx, v);
  }
  PPL_VEC_INLINE void split_halves(V a, V b, V* lo, V* hi) {
    *lo = _mm512_shuffle_i64x2(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    *hi = _mm512_shuffle_i64x2(a, b, _MM_SHUFFLE(3, 1, 3, 1));
  }
  PPL_VEC_INLINE void interleave_lanes(V a, V b, V* lo, V* hi) {
    *lo = _mm512_permutex2var_epi64(a, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), b);
    *hi = _mm512_permutex2var_epi64(a, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), b);
  }
  PPL_VEC_INLINE V load_lanes_apart(const uint8_t* p, int stride) {
    auto lane = [&](int i) PPL_LAMBDA_INLINE { return _mm_loadu_si128(reinterpret_cast<const Half*>(p + i * stride)); };
    const __m256i lo = _mm256_inserti128_si256(_mm256_castsi128_si256(lane(0)), lane(1), 1);
    const __m256i hi = _mm256_inserti128_si256(_mm256_castsi128_si256(lane(2)), lane(3), 1);
    return _mm512_inserti64x4(_mm512_castsi256_si512(lo), hi, 1);
  }
  PPL_VEC_INLINE void interleave3_32(V x, V y, V z, V* out) {
    V r[3];
    interleave3_32_by_shuffles<Avx512>(x, y, z, r);
    // out[0] = r0.l0 r1.l0 r2.l0 r0.l1, out[1] = r1.l1 r2.l1 r0.l2 r1.l2,
    // out[2] = r2.l2 r0.l3 r1.l3 r2.l3 (qword indices: 8-15 the second source)
    const V o0 = _mm512_permutex2var_epi64(r[0], _mm512_setr_epi64(0, 1, 8, 9, 0, 0, 2, 3), r[1]);
    const V o1 = _mm512_permutex2var_epi64(r[1], _mm512_setr_epi64(2, 3, 0, 0, 12, 13, 4, 5), r[0]);
    const V o2 = _mm512_permutex2var_epi64(r[0], _mm512_setr_epi64(0, 0, 6, 7, 14, 15, 0, 0), r[1]);
    out[0] = _mm512_mask_permutexvar_epi64(o0, 0x30, _mm512_setr_epi64(0, 0, 0, 0, 0, 1, 0, 0), r[2]);
    out[1] = _mm512_mask_permutexvar_epi64(o1, 0x0C, _mm512_setr_epi64(0, 0, 2, 3, 0, 0, 0, 0), r[2]);
    out[2] = _mm512_mask_permutexvar_epi64(o2, 0xC3, _mm512_setr_epi64(4, 5, 0, 0, 0, 0, 6, 7), r[2]);
  }
};

}  // namespace pplcam
