// The AVX2 register struct: 32-byte registers, two 16-byte column groups.
//
// Included only by files built for the AVX2 or AVX-512 rows (*_avx2.cpp,
// *_avx512.cpp). Every operation that Sse2 has keeps its name and computes,
// in each 16-byte lane, exactly what Sse2 computes for one group (the AVX2
// instructions work lane by lane: packs, unpacks, byte shifts and shuffles
// never move data between lanes), so a kernel written over S gives each
// group the SSE2 path's bytes. The operations beyond Sse2's are the ones the
// wide kernels need: in-lane byte shuffles, blends, lane moves, broadcasts
// of a group constant, per-lane variable shifts and loads and stores of
// whole lanes for the end of a row.
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
  // the low half of each lane, lane 0's first: what Sse2's store_half
  // writes for each group, groups side by side
  PPL_VEC_INLINE void store_half(void* p, V v) {
    _mm_storeu_si128(static_cast<Half*>(p), _mm256_castsi256_si128(_mm256_permute4x64_epi64(v, 0x08)));
  }
  // the sum of all bytes (every group's)
  PPL_VEC_INLINE uint32_t byte_sum(V v) {
    const V q = _mm256_sad_epu8(v, _mm256_setzero_si256());
    const Half s = _mm_add_epi64(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_add_epi64(s, _mm_srli_si128(s, 8))));
  }

  // ---- beyond Sse2
  // PSHUFB: byte i of each lane is byte (idx & 15) of a's same lane, or 0
  // where idx has its top bit set
  PPL_VEC_INLINE V shuffle8(V a, V idx) { return _mm256_shuffle_epi8(a, idx); }
  // bytes of b where the mask byte's top bit is set, else of a
  PPL_VEC_INLINE V blend8(V a, V b, V mask) { return _mm256_blendv_epi8(a, b, mask); }
  // 16-bit lanes of b where bit (i % 8) of Imm is set, else of a
  template <int Imm> PPL_VEC_INLINE V blend16(V a, V b) { return _mm256_blend_epi16(a, b, Imm); }
  // VPERM2I128: each result lane is a lane of a or b (Imm as the instruction)
  template <int Imm> PPL_VEC_INLINE V permute2x128(V a, V b) { return _mm256_permute2x128_si256(a, b, Imm); }
  // VPERMQ: 64-bit lanes across the register, chosen by Imm
  template <int Imm> PPL_VEC_INLINE V permute4x64(V a) { return _mm256_permute4x64_epi64(a, Imm); }
  // a 16-byte group constant in every lane
  PPL_VEC_INLINE V broadcast16(const void* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(static_cast<const Half*>(p)));
  }
  // per-element variable shifts (each 32-bit element by the count in n's)
  PPL_VEC_INLINE V sllv32(V a, V n) { return _mm256_sllv_epi32(a, n); }
  PPL_VEC_INLINE V srlv32(V a, V n) { return _mm256_srlv_epi32(a, n); }
  PPL_VEC_INLINE V srav32(V a, V n) { return _mm256_srav_epi32(a, n); }
  // one lane out, one lane in
  template <int L> PPL_VEC_INLINE Half lane(V a) { return _mm256_extracti128_si256(a, L); }
  PPL_VEC_INLINE V from_lanes(Half lo, Half hi) { return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1); }
  // The first n lanes (0 < n <= kGroupLanes) from p, the rest zero; and the
  // first n lanes to p. Nothing beyond n * 16 bytes is read or written, for
  // the last groups of a row.
  PPL_VEC_INLINE V load_lanes(const void* p, int n) {
    return n >= 2 ? load(p) : _mm256_zextsi128_si256(_mm_loadu_si128(static_cast<const Half*>(p)));
  }
  PPL_VEC_INLINE void store_lanes(void* p, V v, int n) {
    if (n >= 2) store(p, v);
    else _mm_storeu_si128(static_cast<Half*>(p), _mm256_castsi256_si128(v));
  }
};

}  // namespace pplcam
