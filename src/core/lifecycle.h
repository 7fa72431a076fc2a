// Context pool internals shared with the platform layer and the tests.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

constexpr int kPoolSlots = 8;

// Byte offsets of the five rings in the work area (indexed by WorkRing).
constexpr int kRingOffset[5] = {0, 8192, 12288, 16384, 20480};

// Slot i of the pool (0..7).
ppl_context* pool_slot(int i);

// What the driver-load entry does: clears the whole pool.
void load_entry();

// Hands out the lowest free slot, its rings placed and no path limit (the
// controls are set by ppl_init); nullptr when all eight are in use.
ppl_context* claim_slot();

}  // namespace pplcam
