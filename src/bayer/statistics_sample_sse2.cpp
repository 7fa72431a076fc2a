// Statistics sampling of one run-ahead block on the SSE2 path.
#include "bayer/statistics_sample_block.h"
#include "bayer/statistics_sample_entry.h"

namespace pplcam {

void sample_run_ahead_sse2(ppl_context* c, RgbSum* acc, int acc_shift, bool odd_group, uint8_t* bg_row,
                          uint8_t* gr_row, const uint8_t (*table)[256]) {
  sample_run_ahead_block<Sse2>(c, acc, acc_shift, odd_group, bg_row, gr_row, table);
}

}  // namespace pplcam
