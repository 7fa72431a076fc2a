// No Bayer conversion reads or writes outside the caller's buffers: every
// format, mode, mirror combination and quality with the source and the
// destination placed against inaccessible pages, on both paths.
#include <gtest/gtest.h>

#include "support/bayer_frames.h"

namespace pplcam::test {
namespace {

TEST(BayerGuards, EveryModeStaysInsideItsBuffers) {
  const BayerOutput formats[] = {BayerOutput::kI420, BayerOutput::kYuyv, BayerOutput::kUyvy,
                                 BayerOutput::kRgb24, BayerOutput::kRgb32};
  // 64 x 8 gives destination sizes that end exactly at the guard in every
  // mode; 40 x 6 runs on 8-wide groups; 16 x 2 is a single group and row pair.
  const int sizes[][2] = {{64, 8}, {40, 6}, {16, 2}};
  uint32_t seed = 500;
  for (auto guards : {BayerCase::Guards::kAfter, BayerCase::Guards::kBefore})
    for (BayerOutput f : formats)
      for (int q : {2, 3, 4})
        for (int d = -1; d <= 2; ++d)
          for (int mirrors : {0, 3, 1})
            for (const auto& s : sizes) {
              BayerCase c{f, s[0], s[1], q, d, (mirrors & 1) != 0, (mirrors & 2) != 0, ++seed, true};
              c.guards = guards;
              SCOPED_TRACE(describe(c));
              check_against_model(c);
              if (HasFailure()) return;
            }
}

}  // namespace
}  // namespace pplcam::test
