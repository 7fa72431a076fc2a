#include "controls/frame_statistics.h"

#include <cstring>

namespace pplcam {

void clear_frame_statistics(ppl_context* c) {
  std::memset(c->sub_windows, 0, sizeof c->sub_windows);
  c->all_sub_windows = RgbSum{};
  c->whole_frame = RgbSum{};
  c->qae_means = RgbSum{};
  c->qae_count = 0;
  c->qual_means = RgbSum{};
  c->qual_count = 0;
  std::memset(c->histogram, 0, sizeof c->histogram);
}

}  // namespace pplcam
