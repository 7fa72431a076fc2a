// One Bayer conversion case and its check against the scalar model on every
// path of the machine.
#pragma once

#include <cstdint>
#include <string>

#include "bayer/driver.h"
#include "pplcam/pplcam.h"
#include "support/buffers.h"

namespace pplcam::test {

enum class Pattern { kRandom, kFlat0, kFlat255, kStripes, kCheckers, kRamp };

struct BayerCase {
  BayerOutput format;
  int width, height;
  int quality;
  int decimation;
  bool h_mirror, v_mirror;
  uint32_t seed;
  bool random_controls;
  Pattern pattern = Pattern::kRandom;
  // The side of the source and the destination that touches an
  // inaccessible page.
  Guard guard = Guard::kAfter;
};

std::string describe(const BayerCase& c);

// Runs the case on every path of the machine with fresh guarded copies of
// one source frame and one pre-filled destination, and expects every
// destination and source after the call to equal the model's, the result
// to be the quality's and the frame counter to count the call.
void check_against_model(const BayerCase& c);

}  // namespace pplcam::test
