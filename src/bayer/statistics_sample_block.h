// Body of the per-path entries of statistics_sample_entry.h.
#pragma once

#include "bayer/statistics_sample.h"

namespace pplcam {

template <class S>
void sample_run_ahead_block(ppl_context* c, RgbSum* acc, int acc_shift, bool odd_group, uint8_t* bg_row,
                            uint8_t* gr_row, const uint8_t (*table)[256]) {
  const StatisticsSampler<S> sampler(c, acc_shift);
  sampler.run_ahead(odd_group, acc, walk_state_of<S::kBytes>(c), bg_row, gr_row, [&] {
    for (int i = 0; i < S::kBytes; i += 2) {
      bg_row[i] = table[0][bg_row[i]];
      bg_row[i + 1] = table[1][bg_row[i + 1]];
      gr_row[i] = table[2][gr_row[i]];
      gr_row[i + 1] = table[3][gr_row[i + 1]];
    }
  });
  S::end();
}

}  // namespace pplcam
