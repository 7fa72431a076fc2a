// The qual figures of the two samples of a wide statistics step
// (wide_statistics_sample.h), reduced in registers: the 8-byte sums of the
// mask and of the four qualifying channels, packed four 16-bit fields to a
// 64-bit lane, added across each sample's lanes and taken out with one
// store for both samples.
//
// Every figure of one sample fits in 16 bits (8 cells: mask bytes at most
// 8 x 510, channel sums at most 8 x 255), so the fields of a lane never
// carry into each other, and each field is exactly the sample's sum.
#pragma once

#include <cstdint>

#include "core/simd.h"

namespace pplcam {

// The qual sums of a step's two samples, unpacked from step_qual_sums().
struct StepQualSums {
  uint32_t mask[2];      // the mask's byte sum of each sample
  uint32_t sums[2][4];   // Gb, R, B, Gr of each sample's qualifying cells
};

// Lane l (0 or 1) of the result is lane 2l + kOdd of the step, counted
// across its registers: the two samples' first (kOdd 0) or second lanes.
template <class W, int kOdd>
struct SampleLanes {
  static constexpr int reg(int l) { return (2 * (l % 2) + kOdd) / W::kGroupLanes; }
  static constexpr int lane(int l) { return (2 * (l % 2) + kOdd) % W::kGroupLanes; }
};

// `packed[r]`: the 8-byte sums of register r with the mask's in bits 0-15,
// Gb's in 16-31, R's in 32-47 and B's in 48-63 of each 64-bit lane;
// `gr[r]`: the 8-byte sums of Gr. The first 32 bytes of a step (register 0
// of two 32-byte registers, lanes 0-1 of one 64-byte register) are the
// first sample's.
template <class W, int kRegs>
PPL_MEMBER_INLINE StepQualSums step_qual_sums(const typename W::V (&packed)[kRegs],
                                              const typename W::V (&gr)[kRegs]) {
  static_assert(kRegs * W::kGroupLanes == 4, "a step is four 16-byte lanes");
  using V = typename W::V;
  // Per 16-byte lane: [packed, Gr] added over the lane's two 8-byte halves.
  V halves[kRegs];
  for (int r = 0; r < kRegs; ++r)
    halves[r] = W::add64(W::unpacklo64(packed[r], gr[r]), W::unpackhi64(packed[r], gr[r]));
  // Then each sample's two lanes added: [packed, Gr] of sample 0, of sample 1.
  const V both = W::add64(W::template pick_lanes<SampleLanes<W, 0>>(halves),
                          W::template pick_lanes<SampleLanes<W, 1>>(halves));
  alignas(64) uint64_t lanes[W::kBytes / 8];
  W::store(lanes, both);
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
