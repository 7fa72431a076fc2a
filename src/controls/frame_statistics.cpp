#include "controls/frame_statistics.h"

#include <cstring>

#include "controls/level_statistics.h"
#include "core/geometry.h"
#include "core/large_frames.h"

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

namespace {

uint32_t* channels(RgbSum& s) { return &s.r; }
static_assert(sizeof(RgbSum) == 3 * sizeof(uint32_t), "an RgbSum is three packed channels");

// The arithmetic of the post-processing: 32-bit, wrapping as it always
// has, for frames within the original limits; 64-bit for larger frames,
// whose window sums times the scale pass 32 bits (green above level 192 at
// 3840 x 2160). Where 32 bits do not overflow both give the same numbers.
struct Arithmetic {
  bool wide;
  uint64_t word(uint64_t v) const { return wide ? v : static_cast<uint32_t>(v); }
  // (v x scale) >> 8: a sum or count scaled up by the sampling coverage.
  uint64_t scaled(uint64_t v, uint32_t scale) const { return word(v * scale) >> 8; }
};

// Rounded division of a sum in 8.8 by the number of samples; a frame too
// small to have samples gives 0 rather than a division fault.
uint32_t rounded_mean(uint64_t sum, uint64_t half, uint64_t samples) {
  if (samples == 0) return 0;
  return static_cast<uint32_t>(((sum << 8) + half) / samples);
}

// qAE and qual cells: means per cell (green has two samples per cell), then
// the count scaled to the whole frame like the sums.
void qualified_means(RgbSum& sums, uint32_t& count, uint32_t scale, Arithmetic a) {
  const uint32_t n = count;
  if (n == 0) return;
  sums.r = rounded_mean(sums.r, n / 2, n);
  sums.g = rounded_mean(sums.g, n, 2 * static_cast<uint64_t>(n));
  sums.b = rounded_mean(sums.b, n / 2, n);
  count = static_cast<uint32_t>(a.scaled(n, scale));
}

}  // namespace

void postprocess_frame_statistics(ppl_context* c) {
  keep_level_sums(c);
  const uint32_t scale = c->stats_scale;
  const Arithmetic a{beyond_original_limits(c)};
  const int norm_shift = window_norm_bits(c) - 8;
  uint64_t whole[3];
  for (int ch = 0; ch < 3; ++ch) whole[ch] = channels(c->whole_frame)[ch];
  uint32_t* all = channels(c->all_sub_windows);

  // Each window sum, scaled up to the frame by the sampling coverage, adds
  // to the whole-frame sum; divided by the window's sample count it becomes
  // the window's mean. The outside region uses the same normalisers.
  for (int w = 0; w < 49; ++w) {
    uint32_t* s = channels(c->sub_windows[w]);
    for (int ch = 0; ch < 3; ++ch) {
      const uint64_t t = a.scaled(s[ch], scale);
      whole[ch] = a.word(whole[ch] + t);
      s[ch] = static_cast<uint32_t>(a.word(c->window_norm[ch] * t) >> norm_shift);
      if (w < 48) all[ch] += s[ch];
    }
  }
  for (int ch = 0; ch < 3; ++ch) all[ch] = (all[ch] * 341) >> 14;   // about / 48

  // Rounded means over the frame's 2 x 2 cells (two green samples each).
  const uint64_t cells = c->in_cells, half_cells = c->in_half_cells;
  c->whole_frame.r = rounded_mean(whole[0], half_cells, cells);
  c->whole_frame.g = rounded_mean(whole[1], cells, c->in_half_pixels);
  c->whole_frame.b = rounded_mean(whole[2], half_cells, cells);

  qualified_means(c->qae_means, c->qae_count, scale, a);
  qualified_means(c->qual_means, c->qual_count, scale, a);
}

}  // namespace pplcam
