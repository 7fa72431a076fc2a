// A register operation of the Bayer walk's wide rows: the output blocks of
// the kGroupLanes groups of a wide register put in the order of their
// contiguous run in the picture, so that they go out as whole-register
// stores.
//
// A full-size pack over W leaves each group's block of N x 16 bytes spread
// over N registers: piece i of the block of the group in lane L is lane L
// of register i (packs and interleaves work lane by lane). The groups'
// blocks lie end to end in the picture row, left to right in lane order,
// or, mirrored, in the reverse lane order. `run_order` moves the N x
// kGroupLanes pieces so that register m holds pieces m x kGroupLanes ..
// (m + 1) x kGroupLanes - 1 of the run: lane permutes only (AVX2
// vperm2i128; AVX-512 vpermt2q plus a merging vpermq per further source),
// every index a constant.
//
// The intrinsics' arguments depend on W, so nothing here is compiled
// unless a wide row's object instantiates it.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

// Where piece `c` of the run (0-based, 16 bytes each) comes from: the
// register holding that piece of its group's block and the group's lane.
template <int N, int kLanes, bool kReversed>
struct RunPiece {
  static constexpr int reg(int c) { return c % N; }
  static constexpr int lane(int c) { return kReversed ? kLanes - 1 - c / N : c / N; }
};

// AVX2: two lanes per register, each output a two-source lane permute.
template <class W, int N, bool kReversed, int M>
PPL_VEC_INLINE typename W::V run_register_2(const typename W::V (&v)[N]) {
  using Piece = RunPiece<N, 2, kReversed>;
  constexpr int lo = 2 * M, hi = 2 * M + 1;
  return _mm256_permute2x128_si256(v[Piece::reg(lo)], v[Piece::reg(hi)], Piece::lane(lo) | (2 + Piece::lane(hi)) << 4);
}

// AVX-512: four lanes per register. The lanes from the first two source
// registers in one vpermt2q, each lane from a further one merged in.
template <int N, bool kReversed, int M>
struct Run4 {
  using Piece = RunPiece<N, 4, kReversed>;
  static constexpr int first = Piece::reg(4 * M);
  static constexpr int second = Piece::reg(4 * M + 1);
  // qword index of lane l in vpermt2q(first, idx, second), 0 for a lane of
  // neither (filled in by a merge)
  static constexpr int64_t pair_index(int l, int half) {
    const int c = 4 * M + l, base = 2 * Piece::lane(c) + half;
    return Piece::reg(c) == first ? base : Piece::reg(c) == second ? 8 + base : 0;
  }
  static constexpr int64_t from_index(int l, int half) { return 2 * Piece::lane(4 * M + l) + half; }
  static constexpr __mmask8 lanes_of(int reg) {
    int m = 0;
    for (int l = 0; l < 4; ++l)
      if (Piece::reg(4 * M + l) == reg) m |= 3 << (2 * l);
    return static_cast<__mmask8>(m);
  }
};

// The lanes of `out` that come from register Reg (and from no register
// before Reg in the permute), merged in from Reg on.
template <class W, int N, bool kReversed, int M, int Reg>
PPL_VEC_INLINE void merge_lanes(typename W::V* out, const typename W::V (&v)[N]) {
  using R = Run4<N, kReversed, M>;
  if constexpr (Reg < N) {
    if constexpr (Reg != R::first && Reg != R::second && R::lanes_of(Reg) != 0)
      *out = _mm512_mask_permutexvar_epi64(
          *out, R::lanes_of(Reg),
          _mm512_setr_epi64(R::from_index(0, 0), R::from_index(0, 1), R::from_index(1, 0), R::from_index(1, 1),
                            R::from_index(2, 0), R::from_index(2, 1), R::from_index(3, 0), R::from_index(3, 1)),
          v[Reg]);
    merge_lanes<W, N, kReversed, M, Reg + 1>(out, v);
  }
}

template <class W, int N, bool kReversed, int M>
PPL_VEC_INLINE typename W::V run_register_4(const typename W::V (&v)[N]) {
  using R = Run4<N, kReversed, M>;
  typename W::V out = _mm512_permutex2var_epi64(
      v[R::first],
      _mm512_setr_epi64(R::pair_index(0, 0), R::pair_index(0, 1), R::pair_index(1, 0), R::pair_index(1, 1),
                        R::pair_index(2, 0), R::pair_index(2, 1), R::pair_index(3, 0), R::pair_index(3, 1)),
      v[R::second]);
  merge_lanes<W, N, kReversed, M, 0>(&out, v);
  return out;
}

template <class W, int N, bool kReversed, int M = 0>
PPL_VEC_INLINE void run_order(const typename W::V (&in)[N], typename W::V (&out)[N]) {
  if constexpr (M < N) {
    if constexpr (W::kGroupLanes == 2) out[M] = run_register_2<W, N, kReversed, M>(in);
    else out[M] = run_register_4<W, N, kReversed, M>(in);
    run_order<W, N, kReversed, M + 1>(in, out);
  }
}

// The N registers of block pieces stored as the run at `run` (its lowest
// address), groups in lane order or, `reversed`, in the reverse order.
template <class W, int N>
PPL_VEC_INLINE void store_run(uint8_t* run, bool reversed, const typename W::V (&pieces)[N]) {
  typename W::V out[N];
  if (reversed) run_order<W, N, true>(pieces, out);
  else run_order<W, N, false>(pieces, out);
  for (int i = 0; i < N; ++i) W::store(run + i * W::kBytes, out[i]);
}

}  // namespace pplcam
