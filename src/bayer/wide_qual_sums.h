// The qual figures of the two samples of a wide statistics step
// (wide_statistics_sample.h), reduced in registers: the 8-byte sums of the
// mask and of the four qualifying channels, packed four 16-bit fields to a
// 64-bit lane, added across each sample's lanes and taken out with one
// store for both samples.
//
// Every figure of one sample fits in 16 bits (8 cells: mask bytes at most
// 8 x 510, channel sums at most 8 x 255), so the fields of a lane never
// carry into each other, and each field is exactly the sample's sum.
//
// For files built for the AVX2 or AVX-512 rows only: the lane moves below
// name their intrinsics directly and are instantiated only there.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

// The qual sums of a step's two samples, unpacked from step_qual_sums().
struct StepQualSums {
  uint32_t mask[2];      // the mask's byte sum of each sample
  uint32_t sums[2][4];   // Gb, R, B, Gr of each sample's qualifying cells
};

// `packed[r]`: the 8-byte sums of register r with the mask's in bits 0-15,
// Gb's in 16-31, R's in 32-47 and B's in 48-63 of each 64-bit lane;
// `gr[r]`: the 8-byte sums of Gr. The first 32 bytes of a step (register 0
// of two 32-byte registers, lanes 0-1 of one 64-byte register) are the
// first sample's.
template <class W, int kRegs>
PPL_MEMBER_INLINE StepQualSums step_qual_sums(const typename W::V (&packed)[kRegs],
                                              const typename W::V (&gr)[kRegs]) {
  alignas(32) uint64_t lanes[4];   // packed and Gr of sample 0, then of sample 1
  if constexpr (W::kBytes == 32) {
    static_assert(kRegs == 2, "two 32-byte registers a step");
    // Per 16-byte lane: [packed, Gr] of each register's half, then both
    // halves added: [packed, Gr] of the sample of each register.
    const __m256i p0 = _mm256_add_epi64(_mm256_unpacklo_epi64(packed[0], gr[0]),
                                        _mm256_unpackhi_epi64(packed[0], gr[0]));
    const __m256i p1 = _mm256_add_epi64(_mm256_unpacklo_epi64(packed[1], gr[1]),
                                        _mm256_unpackhi_epi64(packed[1], gr[1]));
    const __m256i both = _mm256_add_epi64(_mm256_permute2x128_si256(p0, p1, 0x20),
                                          _mm256_permute2x128_si256(p0, p1, 0x31));
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), both);
  } else {
    static_assert(W::kBytes == 64 && kRegs == 1, "one 64-byte register a step");
    // Per 16-byte lane: [packed, Gr]; then lanes 0 + 1 and 2 + 3.
    const __m512i p = _mm512_add_epi64(_mm512_unpacklo_epi64(packed[0], gr[0]),
                                       _mm512_unpackhi_epi64(packed[0], gr[0]));
    const __m512i pairs = _mm512_add_epi64(p, _mm512_shuffle_i64x2(p, p, _MM_SHUFFLE(2, 3, 0, 1)));
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm512_castsi512_si128(pairs));
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 2), _mm512_extracti32x4_epi32(pairs, 2));
  }
  StepQualSums out;
  for (int s = 0; s < 2; ++s) {
    const uint64_t p = lanes[2 * s];
    out.mask[s] = static_cast<uint32_t>(p & 0xFFFF);
    out.sums[s][0] = static_cast<uint32_t>((p >> 16) & 0xFFFF);
    out.sums[s][1] = static_cast<uint32_t>((p >> 32) & 0xFFFF);
    out.sums[s][2] = static_cast<uint32_t>(p >> 48);
    out.sums[s][3] = static_cast<uint32_t>(lanes[2 * s + 1]);
  }
  return out;
}

}  // namespace pplcam
