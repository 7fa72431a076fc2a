// Getters of the statistics of the last Bayer frame, and the centre-
// weighted whole-frame means derived from the sub-window means.
#include "core/context.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

constexpr int kColumns = 8, kRows = 6, kWindows = kColumns * kRows;
constexpr int kOutside = kWindows;

const uint32_t* triple(const RgbSum& s) { return &s.r; }

// Storage of the weighted results, shared by every context (callers
// serialise these getters). Zero-initialised: no constructor runs.
uint32_t g_four_points[3];
uint32_t g_central4[3];
uint32_t g_central8[3];
uint32_t g_central16[3];

uint32_t window_mean(const ppl_context* c, int row, int col, int ch) {
  return (&c->sub_windows[row * kColumns + col].r)[ch];
}

// The four central windows: rows 2-3, columns 3-4.
bool is_central(int row, int col) { return (row == 2 || row == 3) && (col == 3 || col == 4); }

// weight x (central four) + (the other twenty windows of rows 1..4 and
// columns 1..6) + 48 x (mean of all windows), over the sum of the weights.
// The outer ring enters only through the all-windows mean.
const uint32_t* central_means(ppl_context* c, int32_t weight, uint32_t out[3]) {
  if (c->quality >= 3) return triple(c->whole_frame);
  for (int ch = 0; ch < 3; ++ch) {
    uint32_t centre = 0, ring = 0;
    for (int row = 1; row <= 4; ++row)
      for (int col = 1; col <= 6; ++col) (is_central(row, col) ? centre : ring) += window_mean(c, row, col, ch);
    const uint32_t numerator =
        static_cast<uint32_t>(weight) * centre + ring + 48u * (&c->all_sub_windows.r)[ch];
    out[ch] = static_cast<uint32_t>(static_cast<int32_t>(numerator) / (4 * weight + 68));
  }
  return out;
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint32_t PPLCALL ppl_n_sub_windows(ppl_context*, uint32_t* columns, uint32_t* rows) {
  if (columns) *columns = kColumns;
  if (rows) *rows = kRows;
  return kWindows;
}

const uint32_t* PPLCALL ppl_rgb_means_sub_windows(ppl_context* c) { return triple(c->sub_windows[0]); }
const uint32_t* PPLCALL ppl_rgb_means_outside_all_sub_windows(ppl_context* c) {
  return triple(c->sub_windows[kOutside]);
}
const uint32_t* PPLCALL ppl_rgb_means_all_sub_windows(ppl_context* c) { return triple(c->all_sub_windows); }
const uint32_t* PPLCALL ppl_rgb_means_whole_frame(ppl_context* c) { return triple(c->whole_frame); }
const uint32_t* PPLCALL ppl_qAE_rgb_means_whole_frame(ppl_context* c) { return triple(c->qae_means); }
const uint32_t* PPLCALL ppl_qual_rgb_means_whole_frame(ppl_context* c) { return triple(c->qual_means); }

const uint32_t* PPLCALL ppl_rgb_means_whole_frame_4pts(ppl_context* c) {
  if (c->quality >= 3) return triple(c->whole_frame);
  for (int ch = 0; ch < 3; ++ch)
    g_four_points[ch] = (window_mean(c, 2, 3, ch) + window_mean(c, 2, 4, ch) + window_mean(c, 3, 3, ch) +
                         window_mean(c, 3, 4, ch)) >> 2;
  return g_four_points;
}
const uint32_t* PPLCALL ppl_rgb_means_whole_frame_central4(ppl_context* c) {
  return central_means(c, 3, g_central4);
}
const uint32_t* PPLCALL ppl_rgb_means_whole_frame_central8(ppl_context* c) {
  return central_means(c, 7, g_central8);
}
const uint32_t* PPLCALL ppl_rgb_means_whole_frame_central16(ppl_context* c) {
  return central_means(c, 15, g_central16);
}

uint32_t PPLCALL ppl_n_qAE_2x2_whole_frame(ppl_context* c) { return c->qae_count; }
uint32_t PPLCALL ppl_n_qual_2x2_whole_frame(ppl_context* c) { return c->qual_count; }
uint32_t PPLCALL ppl_n_frame(ppl_context* c) { return c->n_frame; }

const uint32_t* PPLCALL ppl_r_histogram(ppl_context* c) { return c->histogram[0]; }
const uint32_t* PPLCALL ppl_g_histogram(ppl_context* c) { return c->histogram[1]; }
const uint32_t* PPLCALL ppl_b_histogram(ppl_context* c) { return c->histogram[2]; }

}  // extern "C"
