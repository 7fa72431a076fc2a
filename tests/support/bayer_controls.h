// Bayer conversion controls for tests: packed constants of every width and
// the RGB gamma table written straight into a context, from plain values.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "model/bayer_model.h"

namespace pplcam::test {

// Gains 1.0, no offsets, studio BT.601 C_ycc, identity C_rgb and gamma.
model::BayerControls neutral_bayer_controls();

// Gains 0..255 (units of 1/32), wide offsets, coefficients -256..255,
// random offset words and a random gamma table.
model::BayerControls random_bayer_controls(uint32_t seed);

// Writes the values into every lane of every width's constants (gains and
// offsets alternating per column) and into c->rgb_gamma.
void load_bayer_controls(ppl_context* c, const model::BayerControls& k);

}  // namespace pplcam::test
