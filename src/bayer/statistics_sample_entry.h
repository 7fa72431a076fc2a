// One run-ahead block through the statistics sampling of each path, outside
// a frame walk: for the block tests, and for walks that keep their
// conditioning elsewhere.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

// Conditions the block of kBytes photosites at bg_row / gr_row in place with
// `table` (per photosite colour B, Gb, Gr, R), sampling statistics around it
// as the walk does for column group parity `odd_group`: an even group keeps
// the raw block, an odd group takes a sample from the kept block and this
// one, reading the previous block's conditioned bytes just left of it.
// `acc_shift` is 0 for a sub-window accumulator, 2 for the whole-frame sums.
void sample_run_ahead_mmx(ppl_context* c, RgbSum* acc, int acc_shift, bool odd_group, uint8_t* bg_row,
                          uint8_t* gr_row, const uint8_t (*table)[256]);
void sample_run_ahead_sse2(ppl_context* c, RgbSum* acc, int acc_shift, bool odd_group, uint8_t* bg_row,
                           uint8_t* gr_row, const uint8_t (*table)[256]);

}  // namespace pplcam
