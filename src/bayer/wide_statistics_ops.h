// Register operations of the wide rows' statistics sampling that the
// register structs do not have: the 64-bit sums of each 8 bytes (PSADBW),
// their 64-bit addition, the low 32 bits of a register's total, and a test
// for any set bit. Each row's operations are defined only where its
// instruction set is on, i.e. in that row's objects.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

struct Avx2;
struct Avx512;

template <class W>
struct WideSumOps;

#if defined(__AVX2__)
template <>
struct WideSumOps<Avx2> {
  using V = __m256i;
  PPL_VEC_INLINE V sums8(V v) { return _mm256_sad_epu8(v, _mm256_setzero_si256()); }
  PPL_VEC_INLINE V add64(V a, V b) { return _mm256_add_epi64(a, b); }
  PPL_VEC_INLINE bool any(V v) { return !_mm256_testz_si256(v, v); }
  PPL_VEC_INLINE uint32_t total(V v) {
    const __m128i s = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_add_epi64(s, _mm_srli_si128(s, 8))));
  }
};
#endif

#if defined(__AVX512BW__)
template <>
struct WideSumOps<Avx512> {
  using V = __m512i;
  PPL_VEC_INLINE V sums8(V v) { return _mm512_sad_epu8(v, _mm512_setzero_si512()); }
  PPL_VEC_INLINE V add64(V a, V b) { return _mm512_add_epi64(a, b); }
  PPL_VEC_INLINE bool any(V v) { return _mm512_test_epi64_mask(v, v) != 0; }
  PPL_VEC_INLINE uint32_t total(V v) { return static_cast<uint32_t>(_mm512_reduce_add_epi64(v)); }
};
#endif

}  // namespace pplcam
