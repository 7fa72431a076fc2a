// The AVX2 register struct: 32-byte registers, two 16-byte column groups.
//
// Included only by files built for the AVX2 or AVX-512 rows (*_avx2.cpp,
// *_avx512.cpp). Each operation it shares with Sse2 keeps its name and
// computes, in each 16-byte lane, exactly what Sse2 computes for one group
// (the AVX2
// instructions work lane by lane: packs, unpacks, byte shifts and shuffles
// never move data between lanes), so a kernel written over S gives each
// group the SSE2 path's bytes. Beyond Sse2's: the 8-byte sums of the
// statistics sampling, lane moves and broadcasts of a group constant.
#pragma once

#include <immintrin.h>

#include "core/simd.h"

namespace pplcam {

struct Avx2 {
  using V = __m256i;
  using Half = __m128i;   // one lane: what Sse2 holds
  static constexpr int kBytes = 32;
  static constexpr int kLanes16 = 16;
  static constexpr int kGroupLanes = 2;   // 16-byte lanes per register

  PPL_VEC_INLINE V load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
  PPL_VEC_INLINE void store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }
  PPL_VEC_INLINE V zero() { return _mm256_setzero_si256(); }
  PPL_VEC_INLINE V set1_16(int16_t x) { return _mm256_set1_epi16(x); }
  PPL_VEC_INLINE V set1_8(int8_t x) { return _mm256_set1_epi8(x); }
  PPL_VEC_INLINE V set1_32(int32_t x) { return _mm256_set1_epi32(x); }
  PPL_VEC_INLINE void end() {}
  PPL_VEC_INLINE V opaque(V a) {
    __asm__("" : "+x"(a));
    return a;
  }

  PPL_VEC_INLINE V add8(V a, V b) { return _mm256_add_epi8(a, b); }
  PPL_VEC_INLINE V sub8(V a, V b) { return _mm256_sub_epi8(a, b); }
  PPL_VEC_INLINE V add16(V a, V b) { return _mm256_add_epi16(a, b); }
  PPL_VEC_INLINE V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
  PPL_VEC_INLINE V adds16(V a, V b) { return _mm256_adds_epi16(a, b); }
  PPL_VEC_INLINE V subs16(V a, V b) { return _mm256_subs_epi16(a, b); }
  PPL_VEC_INLINE V addus8(V a, V b) { return _mm256_adds_epu8(a, b); }
  PPL_VEC_INLINE V subus8(V a, V b) { return _mm256_subs_epu8(a, b); }
  PPL_VEC_INLINE V mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  PPL_VEC_INLINE V mulhi16(V a, V b) { return _mm256_mulhi_epi16(a, b); }
  PPL_VEC_INLINE V mulhiu16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
  PPL_VEC_INLINE V madd16(V a, V b) { return _mm256_madd_epi16(a, b); }
  PPL_VEC_INLINE V avgu8(V a, V b) { return _mm256_avg_epu8(a, b); }
  PPL_VEC_INLINE V avgu16(V a, V b) { return _mm256_avg_epu16(a, b); }
  PPL_VEC_INLINE V max16(V a, V b) { return _mm256_max_epi16(a, b); }
  PPL_VEC_INLINE V min16(V a, V b) { return _mm256_min_epi16(a, b); }
  PPL_VEC_INLINE V maxu8(V a, V b) { return _mm256_max_epu8(a, b); }
  PPL_VEC_INLINE V minu8(V a, V b) { return _mm256_min_epu8(a, b); }

  PPL_VEC_INLINE V cmpeq8(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
  PPL_VEC_INLINE V cmpeq16(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
  PPL_VEC_INLINE V cmpgt16(V a, V b) { return _mm256_cmpgt_epi16(a, b); }

  PPL_VEC_INLINE V and_(V a, V b) { return _mm256_and_si256(a, b); }
  PPL_VEC_INLINE V andnot(V a, V b) { return _mm256_andnot_si256(a, b); }
  PPL_VEC_INLINE V or_(V a, V b) { return _mm256_or_si256(a, b); }
  PPL_VEC_INLINE V xor_(V a, V b) { return _mm256_xor_si256(a, b); }

  template <int N> PPL_VEC_INLINE V sra16(V a) { return _mm256_srai_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl16(V a) { return _mm256_srli_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V sll16(V a) { return _mm256_slli_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl32(V a) { return _mm256_srli_epi32(a, N); }
  template <int N> PPL_VEC_INLINE V sll32(V a) { return _mm256_slli_epi32(a, N); }
  // byte shifts within each lane
  template <int N> PPL_VEC_INLINE V srl_bytes(V a) { return _mm256_srli_si256(a, N); }
  template <int N> PPL_VEC_INLINE V sll_bytes(V a) { return _mm256_slli_si256(a, N); }

  PPL_VEC_INLINE V packs16(V a, V b) { return _mm256_packs_epi16(a, b); }
  PPL_VEC_INLINE V packus16(V a, V b) { return _mm256_packus_epi16(a, b); }
  PPL_VEC_INLINE V packs32(V a, V b) { return _mm256_packs_epi32(a, b); }
  PPL_VEC_INLINE V unpacklo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
  PPL_VEC_INLINE V unpackhi8(V a, V b) { return _mm256_unpackhi_epi8(a, b); }
  PPL_VEC_INLINE V unpacklo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
  PPL_VEC_INLINE V unpackhi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
  PPL_VEC_INLINE V unpacklo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
  PPL_VEC_INLINE V unpackhi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
  PPL_VEC_INLINE V unpacklo64(V a, V b) { return _mm256_unpacklo_epi64(a, b); }
  PPL_VEC_INLINE V unpackhi64(V a, V b) { return _mm256_unpackhi_epi64(a, b); }
  template <int N> PPL_VEC_INLINE V srl64(V a) { return _mm256_srli_epi64(a, N); }
  template <int N> PPL_VEC_INLINE V sll64(V a) { return _mm256_slli_epi64(a, N); }
  template <int Imm> PPL_VEC_INLINE V shuffle16_in64(V a) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, Imm), Imm);
  }

  PPL_VEC_INLINE V even32(V a, V b) { return shuffle32x2<_MM_SHUFFLE(2, 0, 2, 0)>(a, b); }
  PPL_VEC_INLINE V odd32(V a, V b) { return shuffle32x2<_MM_SHUFFLE(3, 1, 3, 1)>(a, b); }
  PPL_VEC_INLINE V high_half(V a) { return _mm256_shuffle_epi32(a, 0xEE); }
  PPL_VEC_INLINE void interleave3_32(V x, V y, V z, V* out) { interleave3_32_by_shuffles<Avx2>(x, y, z, out); }
  template <int Imm> PPL_VEC_INLINE V shuffle32x2(V a, V b) {
    return _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), Imm));
  }

  PPL_VEC_INLINE V reverse16(V a) {
    a = _mm256_shufflelo_epi16(a, 0x1B);
    a = _mm256_shufflehi_epi16(a, 0x1B);
    return _mm256_shuffle_epi32(a, 0x4E);
  }
  // PSADBW: the sum of each 8 bytes, in its 64-bit element
  PPL_VEC_INLINE V sums8(V v) { return _mm256_sad_epu8(v, _mm256_setzero_si256()); }
  PPL_VEC_INLINE V add64(V a, V b) { return _mm256_add_epi64(a, b); }
  // the low 32 bits of the sum of the 64-bit elements
  PPL_VEC_INLINE uint32_t total(V v) {
    const Half s = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_add_epi64(s, _mm_srli_si128(s, 8))));
  }
  PPL_VEC_INLINE bool any(V v) { return !_mm256_testz_si256(v, v); }

  // ---- beyond Sse2
  // a 16-byte group constant in every lane
  PPL_VEC_INLINE V broadcast16(const void* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(static_cast<const Half*>(p)));
  }
  // one lane out, one lane in
  template <int L> PPL_VEC_INLINE Half lane(V a) { return _mm256_extracti128_si256(a, L); }
  PPL_VEC_INLINE V from_lanes(Half lo, Half hi) { return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1); }
  // Lane l of the result is lane Map::lane(l) of src[Map::reg(l)] (Map's
  // reg and lane are constexpr): one vperm2i128.
  template <class Map, int N> PPL_VEC_INLINE V pick_lanes(const V (&src)[N]) {
    return _mm256_permute2x128_si256(src[Map::reg(0)], src[Map::reg(1)], Map::lane(0) | (2 + Map::lane(1)) << 4);
  }
};

}  // namespace pplcam
