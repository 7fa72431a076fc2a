#include "model/statistics_model.h"

#include <cstring>

namespace pplcam::model {

StatisticsLimits statistics_limits_of(const ppl_context* c) {
  StatisticsLimits l{};
  for (int i = 0; i < 8; ++i) {
    const LimitTriple& range = i < 7 ? c->qual_limits[i] : c->qae_limits;
    l.min[i] = range.min, l.max[i] = range.max;
  }
  return l;
}

StatisticsSums statistics_sums_of(const ppl_context* c) {
  StatisticsSums s{};
  std::memcpy(s.sub_windows, c->sub_windows, sizeof s.sub_windows);
  s.whole_frame = c->whole_frame;
  s.qae = c->qae_means;
  s.qae_count = c->qae_count;
  s.qual = c->qual_means;
  s.qual_count = c->qual_count;
  std::memcpy(s.histogram, c->histogram, sizeof s.histogram);
  return s;
}

namespace {

bool qual_passes(const StatisticsLimits& l, const Cell& x) {
  const int d1 = x.b - x.gb, d2 = x.gr - x.r;
  const int value[8] = {d1, d2, d1 + d2, d1 - d2, x.r, x.gb, x.b, x.gr};
  const int range[8] = {0, 1, 2, 3, 4, 5, 6, 5};   // both greens against the G range
  for (int i = 0; i < 8; ++i)
    if (value[i] < l.min[range[i]] || value[i] > l.max[range[i]]) return false;
  return true;
}

bool qae_passes(const StatisticsLimits& l, const Cell& x) {
  const int s[4] = {x.b, x.gb, x.gr, x.r};
  bool all_below = l.min[7] > 0, all_above = l.max[7] < 255;
  for (int v : s) {
    all_below = all_below && v < l.min[7];
    all_above = all_above && v > l.max[7];
  }
  return !all_below && !all_above;
}

// Adds the cell, times m, to an R, G, B sum (G: both greens).
void add(RgbSum* sum, const Cell& x, uint32_t m) {
  sum->r += m * x.r;
  sum->g += m * (x.gb + x.gr);
  sum->b += m * x.b;
}

// One sample of n cells (4 on the MMX path, 8 on SSE2): raw cells for the
// qual test and histograms, conditioned cells for the qAE test and the
// sums; the plain sums times `multiplier` go to `acc`.
void add_sample(const StatisticsLimits& l, const Cell* raw, const Cell* cond, int n, RgbSum* acc,
                uint32_t multiplier, StatisticsSums* out) {
  Cell q{0, 0, 0, 0};   // sums of the qualifying cells
  for (int i = 0; i < n; ++i) {
    if (qual_passes(l, raw[i])) {
      ++out->qual_count;
      q.b += raw[i].b, q.gb += raw[i].gb, q.gr += raw[i].gr, q.r += raw[i].r;
    }
    if (qae_passes(l, cond[i])) {
      ++out->qae_count;
      add(&out->qae, cond[i], 1);
    }
    add(acc, cond[i], multiplier);
  }
  add(&out->qual, q, 1);
  // Each histogram entry is the mean over all n cells (failing cells as 0),
  // weighted n.
  out->histogram[1][q.gb / n] += n;
  out->histogram[0][q.r / n] += n;
  out->histogram[2][q.b / n] += n;
  out->histogram[1][q.gr / n] += n;
}

// The triple of the 8 x 6 grid (or 48 outside it) of row pair k and column
// group j, from the frame size and the group width.
int sub_window_of(int width, int height, int group, int k, int j) {
  const int ww = (width / group) >> 3, wh = (height / 2) / 6;
  if (k >= 6 * wh || j >= 8 * ww) return 48;
  return 8 * (k / wh) + j / ww;
}

Cell cell_at(const uint8_t* frame, int width, int k, int column) {
  const uint8_t* top = frame + static_cast<size_t>(2 * k) * width + column;
  const uint8_t* bottom = top + width;
  return Cell{top[0], top[1], bottom[0], bottom[1]};
}

}  // namespace

void frame_statistics(const uint8_t* raw, const uint8_t* conditioned, int width, int height, int quality,
                      int group, const StatisticsLimits& l, StatisticsSums* out) {
  const int n = height / 2, groups = width / group;
  // Row pairs and groups whose sample is taken, and where the run-ahead
  // block of group j lies: `ahead_groups` to the right, `ahead_pairs` below.
  int last_pair, last_group, ahead_groups, ahead_pairs;
  switch (quality) {
    case 0: last_pair = n - 3; last_group = groups - 4; ahead_groups = 2; ahead_pairs = 2; break;
    case 1: last_pair = n - 3; last_group = groups - 3; ahead_groups = 1; ahead_pairs = 2; break;
    case 2: last_pair = n - 2; last_group = groups - 2; ahead_groups = 1; ahead_pairs = 1; break;
    case 3: last_pair = n - 1; last_group = groups - 1; ahead_groups = 0; ahead_pairs = 0; break;
    default: return;
  }
  const int first_pair = quality == 3 ? 0 : 1;
  const int block_cells = group / 2;
  for (int k = first_pair; k <= last_pair; ++k) {
    if (k % 2 == 0) continue;
    for (int j = 1; j <= last_group; j += 2) {
      Cell r[8], c[8];
      int m = 0;
      // Odd cells of the previous group's run-ahead block, then of this one.
      for (int block = j - 1; block <= j; ++block) {
        for (int cell = 1; cell < block_cells; cell += 2, ++m) {
          const int column = (block + ahead_groups) * group + 2 * cell;
          r[m] = cell_at(raw, width, k + ahead_pairs, column);
          c[m] = cell_at(conditioned, width, k + ahead_pairs, column);
        }
      }
      RgbSum* acc = quality == 3 ? &out->whole_frame : &out->sub_windows[sub_window_of(width, height, group, k, j)];
      add_sample(l, r, c, m, acc, quality == 3 ? 4 : 1, out);
    }
  }
}

}  // namespace pplcam::model
