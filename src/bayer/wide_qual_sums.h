// The histogram bins of the two samples of a wide statistics step
// (wide_statistics_sample.h), computed in registers: the 8-byte sums of
// the four qualifying channels packed four 16-bit fields to a 64-bit lane,
// added across each sample's lanes, shifted to bins and taken out with one
// store for both samples.
//
// Every channel sum of one sample fits in 16 bits (8 cells of at most 255),
// so the fields of a lane never carry into each other, and each field is
// exactly the sample's sum.
#pragma once

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

// The histogram bins of a step's two samples, from step_qual_bins().
struct StepQualBins {
  uint16_t bins[2][4];   // Gb, R, B, Gr of each sample
};

// Lane l (0 or 1) of the result is lane 2l + kOdd of the step, counted
// across its registers: the two samples' first (kOdd 0) or second lanes.
template <class W, int kOdd>
struct SampleLanes {
  static constexpr int reg(int l) { return (2 * (l % 2) + kOdd) / W::kGroupLanes; }
  static constexpr int lane(int l) { return (2 * (l % 2) + kOdd) % W::kGroupLanes; }
};

// `packed[r]`: the 8-byte sums of register r with Gb's in bits 0-15, R's
// in 16-31, B's in 32-47 and Gr's in 48-63 of each 64-bit lane. The first
// 32 bytes of a step (register 0 of two 32-byte registers, lanes 0-1 of
// one 64-byte register) are the first sample's. A bin is a sample's sum
// shifted right by kShift.
template <class W, int kRegs, int kShift>
PPL_MEMBER_INLINE StepQualBins step_qual_bins(const typename W::V (&packed)[kRegs]) {
  static_assert(kRegs * W::kGroupLanes == 4, "a step is four 16-byte lanes");
  using V = typename W::V;
  // Per 16-byte lane: the two 8-byte halves added in the low half.
  V halves[kRegs];
  for (int r = 0; r < kRegs; ++r) halves[r] = W::add64(packed[r], W::unpackhi64(packed[r], packed[r]));
  // Then each sample's two lanes added: sample 0 in lane 0, sample 1 in 1.
  const V both = W::add64(W::template pick_lanes<SampleLanes<W, 0>>(halves),
                          W::template pick_lanes<SampleLanes<W, 1>>(halves));
  alignas(64) uint16_t fields[W::kBytes / 2];
  W::store(fields, W::template srl16<kShift>(both));
  StepQualBins out;
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < 4; ++i) out.bins[s][i] = fields[8 * s + i];
  return out;
}

}  // namespace pplcam
