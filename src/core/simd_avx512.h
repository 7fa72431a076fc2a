// The AVX-512 register struct (F, BW, VL, VBMI): 64-byte registers, four
// 16-byte column groups.
//
// Included only by files built for the AVX-512 row (*_avx512.cpp). As with
// Avx2 (core/simd_avx2.h), each operation it shares with Sse2 computes in
// each 16-byte lane what Sse2 computes for one group; comparisons give
// all-ones lanes as Sse2's do. Beyond Avx2's additions: the two-register
// byte permute (VBMI: one vpermi2b is a 128-entry byte lookup), mask
// registers and masked loads and stores, which end a row without touching
// a byte past it.
#pragma once

#include <immintrin.h>

#include "core/simd.h"

namespace pplcam {

struct Avx512 {
  using V = __m512i;
  using Half = __m128i;   // one lane: what Sse2 holds
  using Mask = __mmask64;   // one bit per byte
  static constexpr int kBytes = 64;
  static constexpr int kLanes16 = 32;
  static constexpr int kGroupLanes = 4;

  PPL_VEC_INLINE V load(const void* p) { return _mm512_loadu_si512(p); }
  PPL_VEC_INLINE void store(void* p, V v) { _mm512_storeu_si512(p, v); }
  PPL_VEC_INLINE V zero() { return _mm512_setzero_si512(); }
  PPL_VEC_INLINE V set1_16(int16_t x) { return _mm512_set1_epi16(x); }
  PPL_VEC_INLINE V set1_8(int8_t x) { return _mm512_set1_epi8(x); }
  PPL_VEC_INLINE V set1_32(int32_t x) { return _mm512_set1_epi32(x); }
  PPL_VEC_INLINE void end() {}
  PPL_VEC_INLINE V opaque(V a) {
    __asm__("" : "+v"(a));
    return a;
  }

  PPL_VEC_INLINE V add8(V a, V b) { return _mm512_add_epi8(a, b); }
  PPL_VEC_INLINE V sub8(V a, V b) { return _mm512_sub_epi8(a, b); }
  PPL_VEC_INLINE V add16(V a, V b) { return _mm512_add_epi16(a, b); }
  PPL_VEC_INLINE V sub16(V a, V b) { return _mm512_sub_epi16(a, b); }
  PPL_VEC_INLINE V adds16(V a, V b) { return _mm512_adds_epi16(a, b); }
  PPL_VEC_INLINE V subs16(V a, V b) { return _mm512_subs_epi16(a, b); }
  PPL_VEC_INLINE V addus8(V a, V b) { return _mm512_adds_epu8(a, b); }
  PPL_VEC_INLINE V subus8(V a, V b) { return _mm512_subs_epu8(a, b); }
  PPL_VEC_INLINE V mullo16(V a, V b) { return _mm512_mullo_epi16(a, b); }
  PPL_VEC_INLINE V mulhi16(V a, V b) { return _mm512_mulhi_epi16(a, b); }
  PPL_VEC_INLINE V mulhiu16(V a, V b) { return _mm512_mulhi_epu16(a, b); }
  PPL_VEC_INLINE V madd16(V a, V b) { return _mm512_madd_epi16(a, b); }
  PPL_VEC_INLINE V avgu8(V a, V b) { return _mm512_avg_epu8(a, b); }
  PPL_VEC_INLINE V avgu16(V a, V b) { return _mm512_avg_epu16(a, b); }
  PPL_VEC_INLINE V max16(V a, V b) { return _mm512_max_epi16(a, b); }
  PPL_VEC_INLINE V min16(V a, V b) { return _mm512_min_epi16(a, b); }
  PPL_VEC_INLINE V maxu8(V a, V b) { return _mm512_max_epu8(a, b); }
  PPL_VEC_INLINE V minu8(V a, V b) { return _mm512_min_epu8(a, b); }

  PPL_VEC_INLINE V cmpeq8(V a, V b) { return _mm512_movm_epi8(_mm512_cmpeq_epi8_mask(a, b)); }
  PPL_VEC_INLINE V cmpeq16(V a, V b) { return _mm512_movm_epi16(_mm512_cmpeq_epi16_mask(a, b)); }
  PPL_VEC_INLINE V cmpgt16(V a, V b) { return _mm512_movm_epi16(_mm512_cmpgt_epi16_mask(a, b)); }

  PPL_VEC_INLINE V and_(V a, V b) { return _mm512_and_si512(a, b); }
  PPL_VEC_INLINE V andnot(V a, V b) { return _mm512_andnot_si512(a, b); }
  PPL_VEC_INLINE V or_(V a, V b) { return _mm512_or_si512(a, b); }
  PPL_VEC_INLINE V xor_(V a, V b) { return _mm512_xor_si512(a, b); }

  template <int N> PPL_VEC_INLINE V sra16(V a) { return _mm512_srai_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl16(V a) { return _mm512_srli_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V sll16(V a) { return _mm512_slli_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl32(V a) { return _mm512_srli_epi32(a, N); }
  template <int N> PPL_VEC_INLINE V sll32(V a) { return _mm512_slli_epi32(a, N); }
  template <int N> PPL_VEC_INLINE V srl_bytes(V a) { return _mm512_bsrli_epi128(a, N); }
  template <int N> PPL_VEC_INLINE V sll_bytes(V a) { return _mm512_bslli_epi128(a, N); }

  PPL_VEC_INLINE V packs16(V a, V b) { return _mm512_packs_epi16(a, b); }
  PPL_VEC_INLINE V packus16(V a, V b) { return _mm512_packus_epi16(a, b); }
  PPL_VEC_INLINE V packs32(V a, V b) { return _mm512_packs_epi32(a, b); }
  PPL_VEC_INLINE V unpacklo8(V a, V b) { return _mm512_unpacklo_epi8(a, b); }
  PPL_VEC_INLINE V unpackhi8(V a, V b) { return _mm512_unpackhi_epi8(a, b); }
  PPL_VEC_INLINE V unpacklo16(V a, V b) { return _mm512_unpacklo_epi16(a, b); }
  PPL_VEC_INLINE V unpackhi16(V a, V b) { return _mm512_unpackhi_epi16(a, b); }
  PPL_VEC_INLINE V unpacklo32(V a, V b) { return _mm512_unpacklo_epi32(a, b); }
  PPL_VEC_INLINE V unpackhi32(V a, V b) { return _mm512_unpackhi_epi32(a, b); }
  PPL_VEC_INLINE V unpacklo64(V a, V b) { return _mm512_unpacklo_epi64(a, b); }
  PPL_VEC_INLINE V unpackhi64(V a, V b) { return _mm512_unpackhi_epi64(a, b); }
  template <int N> PPL_VEC_INLINE V srl64(V a) { return _mm512_srli_epi64(a, N); }
  template <int N> PPL_VEC_INLINE V sll64(V a) { return _mm512_slli_epi64(a, N); }
  template <int Imm> PPL_VEC_INLINE V shuffle16_in64(V a) {
    return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(a, Imm), Imm);
  }

  PPL_VEC_INLINE V even32(V a, V b) { return shuffle32x2<_MM_SHUFFLE(2, 0, 2, 0)>(a, b); }
  PPL_VEC_INLINE V odd32(V a, V b) { return shuffle32x2<_MM_SHUFFLE(3, 1, 3, 1)>(a, b); }
  PPL_VEC_INLINE V high_half(V a) { return _mm512_shuffle_epi32(a, static_cast<_MM_PERM_ENUM>(0xEE)); }
  PPL_VEC_INLINE void interleave3_32(V x, V y, V z, V* out) { interleave3_32_by_shuffles<Avx512>(x, y, z, out); }
  template <int Imm> PPL_VEC_INLINE V shuffle32x2(V a, V b) {
    return _mm512_castps_si512(_mm512_shuffle_ps(_mm512_castsi512_ps(a), _mm512_castsi512_ps(b), Imm));
  }

  PPL_VEC_INLINE V reverse16(V a) {
    a = _mm512_shufflelo_epi16(a, 0x1B);
    a = _mm512_shufflehi_epi16(a, 0x1B);
    return _mm512_shuffle_epi32(a, static_cast<_MM_PERM_ENUM>(0x4E));
  }
  // PSADBW: the sum of each 8 bytes, in its 64-bit element
  PPL_VEC_INLINE V sums8(V v) { return _mm512_sad_epu8(v, _mm512_setzero_si512()); }
  PPL_VEC_INLINE V add64(V a, V b) { return _mm512_add_epi64(a, b); }
  // the low 32 bits of the sum of the 64-bit elements
  PPL_VEC_INLINE uint32_t total(V v) { return static_cast<uint32_t>(_mm512_reduce_add_epi64(v)); }
  PPL_VEC_INLINE bool any(V v) { return _mm512_test_epi64_mask(v, v) != 0; }

  // ---- beyond Sse2
  PPL_VEC_INLINE V broadcast16(const void* p) {
    return _mm512_broadcast_i32x4(_mm_loadu_si128(static_cast<const Half*>(p)));
  }
  // VPERMI2B: byte i is byte (idx & 63) of a, or of b when idx bit 6 is set
  // (a 128-entry byte lookup)
  PPL_VEC_INLINE V permutex2var8(V a, V idx, V b) { return _mm512_permutex2var_epi8(a, idx, b); }
  // masks: one bit per byte
  PPL_VEC_INLINE Mask movepi8_mask(V a) { return _mm512_movepi8_mask(a); }   // top bits
  PPL_VEC_INLINE V mask_blend8(Mask m, V a, V b) { return _mm512_mask_blend_epi8(m, a, b); }
  template <int L> PPL_VEC_INLINE Half lane(V a) { return _mm512_extracti32x4_epi32(a, L); }
  // The first n lanes (0 < n < kGroupLanes: a register's partial end) from
  // p, the rest zero, and the first n lanes to p: masked, so nothing beyond
  // n * 16 bytes is touched (masked-out bytes do not fault).
  PPL_VEC_INLINE Mask lanes_mask(int n) { return (Mask{1} << (16 * n)) - 1; }
  PPL_VEC_INLINE V load_lanes(const void* p, int n) { return _mm512_maskz_loadu_epi8(lanes_mask(n), p); }
  PPL_VEC_INLINE void store_lanes(void* p, V v, int n) { _mm512_mask_storeu_epi8(p, lanes_mask(n), v); }

  // Lane l of the result is lane Map::lane(l) of src[Map::reg(l)] (Map's
  // reg and lane are constexpr): one vpermt2q for the lanes of the first
  // two registers named, a merging vpermq for each further one.
  template <class Map, int N> PPL_VEC_INLINE V pick_lanes(const V (&src)[N]) {
    constexpr int a = Map::reg(0), b = second_source<Map>();
    V out = _mm512_permutex2var_epi64(src[a], qword_index<Map>(a, b), src[b]);
    merge_lanes<Map, N, 0>(&out, src);
    return out;
  }

 private:
  template <class Map> static constexpr int second_source() {
    for (int l = 1; l < kGroupLanes; ++l)
      if (Map::reg(l) != Map::reg(0)) return Map::reg(l);
    return Map::reg(0);
  }
  // vpermt2q's index: a lane from register a (qwords 0-7) or b (8-15), 0
  // for a lane of neither (merged in after)
  template <class Map> static constexpr int64_t qword(int l, int half, int a, int b) {
    return Map::reg(l) == a ? 2 * Map::lane(l) + half : Map::reg(l) == b ? 8 + 2 * Map::lane(l) + half : 0;
  }
  template <class Map> PPL_VEC_INLINE V qword_index(int a, int b) {
    return _mm512_setr_epi64(qword<Map>(0, 0, a, b), qword<Map>(0, 1, a, b), qword<Map>(1, 0, a, b),
                             qword<Map>(1, 1, a, b), qword<Map>(2, 0, a, b), qword<Map>(2, 1, a, b),
                             qword<Map>(3, 0, a, b), qword<Map>(3, 1, a, b));
  }
  template <class Map> static constexpr __mmask8 lanes_from(int reg) {
    int m = 0;
    for (int l = 0; l < kGroupLanes; ++l)
      if (Map::reg(l) == reg) m |= 3 << (2 * l);
    return static_cast<__mmask8>(m);
  }
  // the lanes from register Reg and on that the vpermt2q did not take
  template <class Map, int N, int Reg> PPL_VEC_INLINE void merge_lanes(V* out, const V (&src)[N]) {
    if constexpr (Reg < N) {
      constexpr bool taken = Reg == Map::reg(0) || Reg == second_source<Map>();
      if constexpr (!taken && lanes_from<Map>(Reg) != 0)
        *out = _mm512_mask_permutexvar_epi64(*out, lanes_from<Map>(Reg), qword_index<Map>(Reg, -1), src[Reg]);
      merge_lanes<Map, N, Reg + 1>(out, src);
    }
  }
};

}  // namespace pplcam
