// Level means: the walk's raw sums of the last Bayer frame divided by the
// number of cells each region really sampled, counted from the frame's
// geometry when a getter asks. The original means divide by a normaliser
// made for a nominal count, which windows with more or fewer samples miss.
#include "controls/level_statistics.h"

#include <cstring>

#include "bayer/statistics_reach.h"
#include "core/path_table.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam {

void keep_level_sums(ppl_context* c) {
  LevelSums& s = c->level_sums;
  std::memcpy(s.regions, c->sub_windows, sizeof s.regions);
  s.whole_frame = c->whole_frame;
  s.quality = c->quality;
  // The path of the walk that just ran (none before the first Bayer frame).
  s.group_bytes = path_traits(c->last_path).group_bytes;
  const GroupGeometry& g =
      with_group_of(c->last_path, c, [](auto& state) -> const GroupGeometry& { return state.geometry; });
  s.row_pairs = c->in_height / 2;
  s.groups = s.group_bytes != 0 ? c->in_width / s.group_bytes : 0;
  s.window_pairs = g.window_pairs;
  s.window_groups = g.window_groups;
  s.sampled = c->mean_collection != 0 && c->quality >= 0 && c->quality <= 3 && s.group_bytes != 0;
}

namespace {

constexpr int kRegions = 49;   // 48 windows, then the outside region

// Odd numbers in [0, x).
int32_t odd_below(int32_t x) { return x > 0 ? x / 2 : 0; }

// Odd numbers in [lo, hi) that are also below `end`.
int32_t odd_between(int32_t lo, int32_t hi, int32_t end) {
  const int32_t top = hi < end ? hi : end;
  return top > lo ? odd_below(top) - odd_below(lo) : 0;
}

// Cells sampled in each region of the last frame; returns the total. Every
// sample holds half a column group's width of cells (two blocks, their odd
// cells). At quality 3 every sample goes to the whole frame.
uint32_t sampled_cells(const LevelSums& s, uint32_t cells[kRegions]) {
  for (int i = 0; i < kRegions; ++i) cells[i] = 0;
  if (!s.sampled) return 0;
  const SampleReach r = sample_reach(s.quality, s.row_pairs, s.groups);
  const int32_t pairs_end = r.last_pair + 1, groups_end = r.last_group + 1;
  const uint32_t per_sample = static_cast<uint32_t>(s.group_bytes / 2);
  const uint32_t total = static_cast<uint32_t>(odd_below(pairs_end) * odd_below(groups_end)) * per_sample;
  if (s.quality == 3) return total;
  const int32_t wh = s.window_pairs, ww = s.window_groups;
  uint32_t in_grid = 0;
  for (int row = 0; row < 6; ++row) {
    const int32_t pairs = odd_between(row * wh, (row + 1) * wh, pairs_end);
    for (int col = 0; col < 8; ++col) {
      const int32_t groups = odd_between(col * ww, (col + 1) * ww, groups_end);
      cells[row * 8 + col] = static_cast<uint32_t>(pairs * groups) * per_sample;
      in_grid += cells[row * 8 + col];
    }
  }
  cells[kRegions - 1] = total - in_grid;
  return total;
}

// Rounded mean in 1/256 of a level; 0 without samples.
uint32_t level(uint32_t sum, uint32_t samples) {
  if (samples == 0) return 0;
  return static_cast<uint32_t>(((static_cast<uint64_t>(sum) << 8) + samples / 2) / samples);
}

// Green sums hold both greens of every cell.
void level_triple(const RgbSum& sum, uint32_t cells, uint32_t* out) {
  out[0] = level(sum.r, cells);
  out[1] = level(sum.g, 2 * cells);
  out[2] = level(sum.b, cells);
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint32_t PPLCALL ppl_ext_level_means_sub_windows(ppl_context* c, uint32_t* means, uint32_t* cells) {
  uint32_t n[kRegions];
  sampled_cells(c->level_sums, n);
  uint32_t in_regions = 0;
  for (int i = 0; i < kRegions; ++i) {
    if (means) level_triple(c->level_sums.regions[i], n[i], means + 3 * i);
    if (cells) cells[i] = n[i];
    in_regions += n[i];
  }
  return in_regions;
}

uint32_t PPLCALL ppl_ext_level_means_whole_frame(ppl_context* c, uint32_t* means) {
  const LevelSums& s = c->level_sums;
  uint32_t n[kRegions];
  const uint32_t total = sampled_cells(s, n);
  RgbSum sum{};
  if (s.quality == 3) {
    // The quality-3 walk adds four times each sample's sums.
    sum = {s.whole_frame.r >> 2, s.whole_frame.g >> 2, s.whole_frame.b >> 2};
  } else {
    for (const RgbSum& r : s.regions) sum.r += r.r, sum.g += r.g, sum.b += r.b;
  }
  if (means) level_triple(sum, total, means);
  return total;
}

}  // extern "C"
