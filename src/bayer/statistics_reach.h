// Which blocks of a Bayer frame feed the statistics at each quality: one
// rule for the walk that takes the samples and for the level means that
// count them afterwards.
#pragma once

#include <cstdint>

namespace pplcam {

// Samples are taken for the odd row pairs 1 .. last_pair and the odd column
// groups 1 .. last_group (each with the group before it); the block a
// group samples lies `ahead_groups` groups to the right and `ahead_pairs`
// row pairs below it.
struct SampleReach {
  int32_t ahead_groups, ahead_pairs, last_pair, last_group;
};

inline SampleReach sample_reach(int32_t quality, int32_t row_pairs, int32_t groups) {
  switch (quality) {
    case 0: return {2, 2, row_pairs - 3, groups - 4};
    case 1: return {1, 2, row_pairs - 3, groups - 3};
    case 2: return {1, 1, row_pairs - 2, groups - 2};
    default: return {0, 0, row_pairs - 1, groups - 1};
  }
}

}  // namespace pplcam
