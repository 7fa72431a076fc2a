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
// (m + 1) x kGroupLanes - 1 of the run: lane moves only (W::pick_lanes),
// every index a constant.
#pragma once

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

// Where lane l of run register M comes from: piece c = M x kLanes + l of
// the run is piece c % N of its group's block (that register), and the
// group is the (c / N)-th of the run (counted from the last lane when
// reversed).
template <int N, int kLanes, bool kReversed, int M>
struct RunPieces {
  static constexpr int reg(int l) { return (kLanes * M + l) % N; }
  static constexpr int lane(int l) {
    const int group = (kLanes * M + l) / N;
    return kReversed ? kLanes - 1 - group : group;
  }
};

template <class W, int N, bool kReversed, int M = 0>
PPL_VEC_INLINE void run_order(const typename W::V (&in)[N], typename W::V (&out)[N]) {
  if constexpr (M < N) {
    out[M] = W::template pick_lanes<RunPieces<N, W::kGroupLanes, kReversed, M>>(in);
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
