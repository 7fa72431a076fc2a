// The instruction sets of the kernels behind one set of names.
//
// Each struct is one instruction set: Mmx (8-byte registers, MMX with its
// integer extensions) and Sse2 (16-byte registers); the wide rows' Avx2 and
// Avx512 live in core/simd_avx2.h and core/simd_avx512.h, included only by
// the files built for those rows. A kernel is written once
// as a template over `S`, one of these structs, and instantiated once per
// kernel path (core/path_types.h). Every operation has the exact semantics
// of the instruction it names, lane for lane, so the instantiations compute
// the same bytes on the same lanes. S::kBytes is the register width.
//
// On x86-64 GCC lowers the MMX intrinsics to SSE2 instructions on the low
// half of an XMM register; in a 32-bit build they are real MMX instructions,
// and every MMX kernel must end with S::end() (EMMS) before returning.
#pragma once

#include <emmintrin.h>
#include <mmintrin.h>
#include <xmmintrin.h>

#include <cstdint>
#include <cstring>

#define PPL_VEC_INLINE static inline __attribute__((always_inline))
// The same for member functions of kernel helpers that carry state.
#define PPL_MEMBER_INLINE inline __attribute__((always_inline))
// And for lambdas inside a kernel (placed after the parameter list).
#define PPL_LAMBDA_INLINE __attribute__((always_inline))

namespace pplcam {

// ------------------------------------------------------------------- MMX
struct Mmx {
  using V = __m64;
  static constexpr int kBytes = 8;
  static constexpr int kLanes16 = 4;

  PPL_VEC_INLINE V load(const void* p) {
    V v;
    std::memcpy(&v, p, 8);
    return v;
  }
  PPL_VEC_INLINE void store(void* p, V v) { std::memcpy(p, &v, 8); }
  PPL_VEC_INLINE V zero() { return _mm_setzero_si64(); }
  PPL_VEC_INLINE V set1_16(int16_t x) { return _mm_set1_pi16(x); }
  PPL_VEC_INLINE V set1_8(int8_t x) { return _mm_set1_pi8(x); }
  PPL_VEC_INLINE V set1_32(int32_t x) { return _mm_set1_pi32(x); }
  PPL_VEC_INLINE void end() { _mm_empty(); }
  // The value unchanged, but unknown to the compiler's constant folding:
  // a multiply by it stays one multiply instead of a chain of shifts and
  // adds. (The MMX path needs only correctness and keeps the folding.)
  PPL_VEC_INLINE V opaque(V a) { return a; }

  // wrapping, saturating-signed and saturating-unsigned arithmetic
  PPL_VEC_INLINE V add8(V a, V b) { return _mm_add_pi8(a, b); }
  PPL_VEC_INLINE V sub8(V a, V b) { return _mm_sub_pi8(a, b); }
  PPL_VEC_INLINE V add16(V a, V b) { return _mm_add_pi16(a, b); }
  PPL_VEC_INLINE V sub16(V a, V b) { return _mm_sub_pi16(a, b); }
  PPL_VEC_INLINE V adds16(V a, V b) { return _mm_adds_pi16(a, b); }
  PPL_VEC_INLINE V subs16(V a, V b) { return _mm_subs_pi16(a, b); }
  PPL_VEC_INLINE V addus8(V a, V b) { return _mm_adds_pu8(a, b); }
  PPL_VEC_INLINE V subus8(V a, V b) { return _mm_subs_pu8(a, b); }
  PPL_VEC_INLINE V mullo16(V a, V b) { return _mm_mullo_pi16(a, b); }
  PPL_VEC_INLINE V mulhi16(V a, V b) { return _mm_mulhi_pi16(a, b); }
  PPL_VEC_INLINE V mulhiu16(V a, V b) { return _mm_mulhi_pu16(a, b); }   // unsigned
  PPL_VEC_INLINE V madd16(V a, V b) { return _mm_madd_pi16(a, b); }
  PPL_VEC_INLINE V avgu8(V a, V b) { return _mm_avg_pu8(a, b); }
  PPL_VEC_INLINE V avgu16(V a, V b) { return _mm_avg_pu16(a, b); }
  PPL_VEC_INLINE V max16(V a, V b) { return _mm_max_pi16(a, b); }
  PPL_VEC_INLINE V min16(V a, V b) { return _mm_min_pi16(a, b); }
  PPL_VEC_INLINE V maxu8(V a, V b) { return _mm_max_pu8(a, b); }
  PPL_VEC_INLINE V minu8(V a, V b) { return _mm_min_pu8(a, b); }

  // comparisons give all-ones lanes where true
  PPL_VEC_INLINE V cmpeq8(V a, V b) { return _mm_cmpeq_pi8(a, b); }
  PPL_VEC_INLINE V cmpeq16(V a, V b) { return _mm_cmpeq_pi16(a, b); }
  PPL_VEC_INLINE V cmpgt16(V a, V b) { return _mm_cmpgt_pi16(a, b); }

  PPL_VEC_INLINE V and_(V a, V b) { return _mm_and_si64(a, b); }
  PPL_VEC_INLINE V andnot(V a, V b) { return _mm_andnot_si64(a, b); }   // ~a & b
  PPL_VEC_INLINE V or_(V a, V b) { return _mm_or_si64(a, b); }
  PPL_VEC_INLINE V xor_(V a, V b) { return _mm_xor_si64(a, b); }

  template <int N> PPL_VEC_INLINE V sra16(V a) { return _mm_srai_pi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl16(V a) { return _mm_srli_pi16(a, N); }
  template <int N> PPL_VEC_INLINE V sll16(V a) { return _mm_slli_pi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl32(V a) { return _mm_srli_pi32(a, N); }
  template <int N> PPL_VEC_INLINE V sll32(V a) { return _mm_slli_pi32(a, N); }
  // whole-register shifts by N bytes (towards lane 0 / away from lane 0)
  template <int N> PPL_VEC_INLINE V srl_bytes(V a) { return _mm_srli_si64(a, 8 * N); }
  template <int N> PPL_VEC_INLINE V sll_bytes(V a) { return _mm_slli_si64(a, 8 * N); }

  PPL_VEC_INLINE V packs16(V a, V b) { return _mm_packs_pi16(a, b); }    // -> i8
  PPL_VEC_INLINE V packus16(V a, V b) { return _mm_packs_pu16(a, b); }   // -> u8
  PPL_VEC_INLINE V packs32(V a, V b) { return _mm_packs_pi32(a, b); }
  PPL_VEC_INLINE V unpacklo8(V a, V b) { return _mm_unpacklo_pi8(a, b); }
  PPL_VEC_INLINE V unpackhi8(V a, V b) { return _mm_unpackhi_pi8(a, b); }
  PPL_VEC_INLINE V unpacklo16(V a, V b) { return _mm_unpacklo_pi16(a, b); }
  PPL_VEC_INLINE V unpackhi16(V a, V b) { return _mm_unpackhi_pi16(a, b); }
  PPL_VEC_INLINE V unpacklo32(V a, V b) { return _mm_unpacklo_pi32(a, b); }
  PPL_VEC_INLINE V unpackhi32(V a, V b) { return _mm_unpackhi_pi32(a, b); }
  // bit shifts of each 64-bit lane (here the whole register)
  template <int N> PPL_VEC_INLINE V srl64(V a) { return _mm_srli_si64(a, N); }
  template <int N> PPL_VEC_INLINE V sll64(V a) { return _mm_slli_si64(a, N); }
  // 16-bit lanes of each 64-bit lane rearranged as PSHUFW does with Imm
  template <int Imm> PPL_VEC_INLINE V shuffle16_in64(V a) { return _mm_shuffle_pi16(a, Imm); }

  // 32-bit lanes: the even lanes of a then those of b, and the odd ones
  PPL_VEC_INLINE V even32(V a, V b) { return _mm_unpacklo_pi32(a, b); }
  PPL_VEC_INLINE V odd32(V a, V b) { return _mm_unpackhi_pi32(a, b); }
  // the high half of a in both halves
  PPL_VEC_INLINE V high_half(V a) { return _mm_shuffle_pi16(a, 0xEE); }
  // 32-bit lanes of x, y, z interleaved (x0 y0 z0 x1 y1 z1 ...) into out[0..2]
  PPL_VEC_INLINE void interleave3_32(V x, V y, V z, V* out) {
    out[0] = _mm_unpacklo_pi32(x, y);
    out[1] = _mm_unpacklo_pi32(z, high_half(x));
    out[2] = _mm_unpackhi_pi32(y, z);
  }

  // 16-bit lanes in reverse order (lane 0 becomes the last lane)
  PPL_VEC_INLINE V reverse16(V a) { return _mm_shuffle_pi16(a, 0x1B); }
  // stores the low kBytes / 2 bytes
  PPL_VEC_INLINE void store_half(void* p, V v) {
    const int32_t lo = _mm_cvtsi64_si32(v);
    std::memcpy(p, &lo, 4);
  }
  // sum of all bytes (PSADBW against zero)
  PPL_VEC_INLINE uint32_t byte_sum(V v) {
    return static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_sad_pu8(v, _mm_setzero_si64())));
  }
};

// x, y, z's 32-bit lanes interleaved (x0 y0 z0 x1 ...) into out[0..2] in
// each 16-byte lane, by the SHUFPS-style shuffles of a struct from Sse2 on.
template <class S, class V>
PPL_VEC_INLINE void interleave3_32_by_shuffles(V x, V y, V z, V* out) {
  const V x0x2y0y2 = S::template shuffle32x2<_MM_SHUFFLE(2, 0, 2, 0)>(x, y);
  const V y1y3z1z3 = S::template shuffle32x2<_MM_SHUFFLE(3, 1, 3, 1)>(y, z);
  const V z0z2x1x3 = S::template shuffle32x2<_MM_SHUFFLE(3, 1, 2, 0)>(z, x);
  out[0] = S::template shuffle32x2<_MM_SHUFFLE(2, 0, 2, 0)>(x0x2y0y2, z0z2x1x3);
  out[1] = S::template shuffle32x2<_MM_SHUFFLE(3, 1, 2, 0)>(y1y3z1z3, x0x2y0y2);
  out[2] = S::template shuffle32x2<_MM_SHUFFLE(3, 1, 3, 1)>(z0z2x1x3, y1y3z1z3);
}

// ------------------------------------------------------------------ SSE2
struct Sse2 {
  using V = __m128i;
  static constexpr int kBytes = 16;
  static constexpr int kLanes16 = 8;

  PPL_VEC_INLINE V load(const void* p) { return _mm_loadu_si128(static_cast<const V*>(p)); }
  PPL_VEC_INLINE void store(void* p, V v) { _mm_storeu_si128(static_cast<V*>(p), v); }
  PPL_VEC_INLINE V zero() { return _mm_setzero_si128(); }
  PPL_VEC_INLINE V set1_16(int16_t x) { return _mm_set1_epi16(x); }
  PPL_VEC_INLINE V set1_8(int8_t x) { return _mm_set1_epi8(x); }
  PPL_VEC_INLINE V set1_32(int32_t x) { return _mm_set1_epi32(x); }
  PPL_VEC_INLINE void end() {}
  PPL_VEC_INLINE V opaque(V a) {
    __asm__("" : "+x"(a));
    return a;
  }

  PPL_VEC_INLINE V add8(V a, V b) { return _mm_add_epi8(a, b); }
  PPL_VEC_INLINE V sub8(V a, V b) { return _mm_sub_epi8(a, b); }
  PPL_VEC_INLINE V add16(V a, V b) { return _mm_add_epi16(a, b); }
  PPL_VEC_INLINE V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
  PPL_VEC_INLINE V adds16(V a, V b) { return _mm_adds_epi16(a, b); }
  PPL_VEC_INLINE V subs16(V a, V b) { return _mm_subs_epi16(a, b); }
  PPL_VEC_INLINE V addus8(V a, V b) { return _mm_adds_epu8(a, b); }
  PPL_VEC_INLINE V subus8(V a, V b) { return _mm_subs_epu8(a, b); }
  PPL_VEC_INLINE V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
  PPL_VEC_INLINE V mulhi16(V a, V b) { return _mm_mulhi_epi16(a, b); }
  PPL_VEC_INLINE V mulhiu16(V a, V b) { return _mm_mulhi_epu16(a, b); }
  PPL_VEC_INLINE V madd16(V a, V b) { return _mm_madd_epi16(a, b); }
  PPL_VEC_INLINE V avgu8(V a, V b) { return _mm_avg_epu8(a, b); }
  PPL_VEC_INLINE V avgu16(V a, V b) { return _mm_avg_epu16(a, b); }
  PPL_VEC_INLINE V max16(V a, V b) { return _mm_max_epi16(a, b); }
  PPL_VEC_INLINE V min16(V a, V b) { return _mm_min_epi16(a, b); }
  PPL_VEC_INLINE V maxu8(V a, V b) { return _mm_max_epu8(a, b); }
  PPL_VEC_INLINE V minu8(V a, V b) { return _mm_min_epu8(a, b); }

  PPL_VEC_INLINE V cmpeq8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
  PPL_VEC_INLINE V cmpeq16(V a, V b) { return _mm_cmpeq_epi16(a, b); }
  PPL_VEC_INLINE V cmpgt16(V a, V b) { return _mm_cmpgt_epi16(a, b); }

  PPL_VEC_INLINE V and_(V a, V b) { return _mm_and_si128(a, b); }
  PPL_VEC_INLINE V andnot(V a, V b) { return _mm_andnot_si128(a, b); }
  PPL_VEC_INLINE V or_(V a, V b) { return _mm_or_si128(a, b); }
  PPL_VEC_INLINE V xor_(V a, V b) { return _mm_xor_si128(a, b); }

  template <int N> PPL_VEC_INLINE V sra16(V a) { return _mm_srai_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl16(V a) { return _mm_srli_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V sll16(V a) { return _mm_slli_epi16(a, N); }
  template <int N> PPL_VEC_INLINE V srl32(V a) { return _mm_srli_epi32(a, N); }
  template <int N> PPL_VEC_INLINE V sll32(V a) { return _mm_slli_epi32(a, N); }
  template <int N> PPL_VEC_INLINE V srl_bytes(V a) { return _mm_srli_si128(a, N); }
  template <int N> PPL_VEC_INLINE V sll_bytes(V a) { return _mm_slli_si128(a, N); }

  PPL_VEC_INLINE V packs16(V a, V b) { return _mm_packs_epi16(a, b); }
  PPL_VEC_INLINE V packus16(V a, V b) { return _mm_packus_epi16(a, b); }
  PPL_VEC_INLINE V packs32(V a, V b) { return _mm_packs_epi32(a, b); }
  PPL_VEC_INLINE V unpacklo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
  PPL_VEC_INLINE V unpackhi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
  PPL_VEC_INLINE V unpacklo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
  PPL_VEC_INLINE V unpackhi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
  PPL_VEC_INLINE V unpacklo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
  PPL_VEC_INLINE V unpackhi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
  // the low halves of a and b (a's low half first)
  PPL_VEC_INLINE V unpacklo64(V a, V b) { return _mm_unpacklo_epi64(a, b); }
  template <int N> PPL_VEC_INLINE V srl64(V a) { return _mm_srli_epi64(a, N); }
  template <int N> PPL_VEC_INLINE V sll64(V a) { return _mm_slli_epi64(a, N); }
  PPL_VEC_INLINE V add64(V a, V b) { return _mm_add_epi64(a, b); }
  template <int Imm> PPL_VEC_INLINE V shuffle16_in64(V a) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, Imm), Imm);
  }

  PPL_VEC_INLINE V even32(V a, V b) { return shuffle32x2<_MM_SHUFFLE(2, 0, 2, 0)>(a, b); }
  PPL_VEC_INLINE V odd32(V a, V b) { return shuffle32x2<_MM_SHUFFLE(3, 1, 3, 1)>(a, b); }
  PPL_VEC_INLINE V high_half(V a) { return _mm_shuffle_epi32(a, 0xEE); }
  PPL_VEC_INLINE void interleave3_32(V x, V y, V z, V* out) { interleave3_32_by_shuffles<Sse2>(x, y, z, out); }
  // SHUFPS: two 32-bit lanes of a, then two of b, chosen by Imm
  template <int Imm> PPL_VEC_INLINE V shuffle32x2(V a, V b) {
    return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), Imm));
  }

  PPL_VEC_INLINE V reverse16(V a) {
    a = _mm_shufflelo_epi16(a, 0x1B);
    a = _mm_shufflehi_epi16(a, 0x1B);
    return _mm_shuffle_epi32(a, 0x4E);
  }
  PPL_VEC_INLINE void store_half(void* p, V v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
  // the sums of both halves added
  PPL_VEC_INLINE uint32_t byte_sum(V v) {
    const V halves = _mm_sad_epu8(v, _mm_setzero_si128());
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_add_epi32(halves, _mm_srli_si128(halves, 8))));
  }
};

// The Sse2 operations under a type of path row `Row`'s own, for a wider row
// that runs the 16-byte kernels: every kernel template it instantiates is
// then a symbol of its own, built with the row's instruction set, which the
// linker cannot merge with the SSE2 path's copy (the merged copy could be
// the wider one, run on a processor without it).
template <int Row>
struct Sse2Row : Sse2 {};

// Loads one packed constant of the register's width; a 16-byte group
// constant into a wider register goes into every 16-byte lane.
template <class S, class Packed>
PPL_VEC_INLINE typename S::V load_const(const Packed& p) {
  static_assert(sizeof(Packed) == S::kBytes || (sizeof(Packed) == 16 && S::kBytes > 16),
                "a constant of the register's width, or a 16-byte group constant");
  if constexpr (sizeof(Packed) == S::kBytes) return S::load(&p);
  else return S::broadcast16(&p);
}

// Bytes in reverse order (byte 0 becomes the last byte).
template <class S>
PPL_VEC_INLINE typename S::V reverse8(typename S::V a) {
  a = S::reverse16(a);
  return S::or_(S::template srl16<8>(a), S::template sll16<8>(a));
}

}  // namespace pplcam
