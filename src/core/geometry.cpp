#include "core/geometry.h"

#include <climits>

#include "core/large_frames.h"
#include "core/path_build.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

// Division that yields 0 instead of trapping when a frame is too small for
// the divisor to be positive. The accepted sizes never get here; a caller
// of ppl_new_frame_size with a tiny frame gets zero scales rather than a
// crash. The operands are 64-bit so that no frame within the limits can
// overflow them; within today's limits every value also fits 32 bits, so
// the results are those of 32-bit arithmetic.
int64_t safe_div(int64_t num, int64_t den) { return den > 0 ? num / den : 0; }

uint32_t stats_scale(int64_t w, int64_t h, int64_t border_cols) {
  const int64_t cells = safe_div((w - 2 * border_cols) * (h - 4), 4);
  return static_cast<uint32_t>(safe_div((w * h) << 8, cells));
}

// One plane: bytes per pixel, picture size in pixels, whether rows run
// bottom-up.
// Called only for an output that output_fits accepts, so every offset fits
// 32 bits.
PlaneSteps plane_steps(int32_t bpp, int32_t width, int32_t height, bool bottom_up, bool h_mirror,
                       bool v_mirror) {
  PlaneSteps s;
  const int32_t row_bytes = width * bpp;
  const bool last_row_first = bottom_up != v_mirror;
  s.row_stride = last_row_first ? -row_bytes : row_bytes;
  s.pixel_step = h_mirror ? -bpp : bpp;
  s.origin = (last_row_first && height > 0 ? (height - 1) * row_bytes : 0) +
             (h_mirror && width > 0 ? (width - 1) * bpp : 0);
  return s;
}

// Output size in 64 bits: no int input overflows it.
void output_size(const ppl_context* c, int64_t* width, int64_t* height) {
  const int32_t d = c->decimation;
  const int64_t w = c->in_width, h = c->in_height;
  *width = d >= 0 ? w >> d : w * 2;
  *height = (d >= 0 ? h >> d : h * 2) + c->top_black_lines + c->bottom_black_lines;
}

// The sub-window grid, the window normalisers and the statistics scales of
// column-group width `Bytes`. Returns 1.
template <int Bytes>
bool build_size_tables(ppl_context* c) {
  GroupGeometry& g = group_geometry<Bytes>(c);
  const int32_t w = c->in_width, h = c->in_height;

  // The walks leave the border columns out of their sampling at quality 0,
  // half of them at quality 1 and none at quality 2 (16/8/0 columns with
  // 8-byte groups, 32/16/0 with 16-byte groups), and 2 rows at top and
  // bottom. Each scale is 1024 x (all cells) / (sampled cells).
  const int32_t side = Behaviour<Bytes>::kBorderColumns;
  g.stats_scale[0] = stats_scale(w, h, side);
  g.stats_scale[1] = stats_scale(w, h, side / 2);
  g.stats_scale[2] = stats_scale(w, h, 0);
  g.stats_scale[3] = 1024;

  g.window_groups = (w / Bytes) >> 3;
  g.window_pairs = (h / 2) / 6;
  g.grid_pairs = 6 * g.window_pairs;

  // One R and one B sample per cell, two G; a 16-byte group holds twice the
  // cells of an 8-byte group, so the same formula counts the same samples.
  // Every width in use writes the normalisers, the widest last: its values
  // stand for all of them. Windows of frames beyond the original limits
  // hold up to 90000 cells, where a 20-bit normaliser keeps only a few
  // significant bits: theirs carry kWideNormBits more.
  const int64_t cells = int64_t{Bytes / 2} * g.window_pairs * g.window_groups;   // cells of a group's row pair
  const int64_t one = int64_t{1} << window_norm_bits(c);
  c->window_norm[0] = static_cast<uint32_t>(safe_div(one, cells));
  c->window_norm[1] = static_cast<uint32_t>(safe_div(one, 2 * cells));
  c->window_norm[2] = c->window_norm[0];
  return true;
}

}  // namespace

int window_norm_bits(const ppl_context* c) { return beyond_original_limits(c) ? 20 + kWideNormBits : 20; }

bool output_fits(const ppl_context* c) {
  int64_t w, h;
  output_size(c, &w, &h);
  // w x h x bytes <= INT32_MAX, written as a division so that no product
  // can overflow whatever the stored sizes.
  return c->top_black_lines >= 0 && c->bottom_black_lines >= 0 && w >= 0 && h >= 0 &&
         (w == 0 || h <= INT32_MAX / kMaxOutputBytesPerPixel / w) && large_output_fits(c);
}

void recompute_output_size(ppl_context* c) {
  int64_t w, h;
  output_size(c, &w, &h);
  // An output that does not fit keeps the 32-bit wrap of the sum; no
  // operation converts into it (output_fits).
  c->out_width = static_cast<int32_t>(w);
  c->out_height = static_cast<int32_t>(static_cast<uint32_t>(h));
  c->out_pixels = static_cast<uint32_t>(w) * static_cast<uint32_t>(h);
  c->out_quarter = c->out_pixels / 4;
}

void build_step_table(ppl_context* c) {
  if (!output_fits(c)) {
    c->steps = StepTable{};
    return;
  }
  const bool h = c->h_mirror != 0, v = c->v_mirror != 0;
  const int32_t w = c->out_width, hgt = c->out_height;
  StepTable& t = c->steps;
  t.i420_y = plane_steps(1, w, hgt, false, h, v);
  t.i420_c = plane_steps(1, w / 2, hgt / 2, false, h, v);
  t.yuv422 = plane_steps(2, w, hgt, false, h, v);
  t.rgb24 = plane_steps(3, w, hgt, true, h, v);
  t.rgb32 = plane_steps(4, w, hgt, true, h, v);
}

uint8_t rebuild_step_table(ppl_context* c) {
  return build_shared(1, [c] { build_step_table(c); });
}

bool lookup_size_pair(int32_t iw, int32_t ih, int32_t ow, int32_t oh, int32_t* mode, int32_t* top,
                      int32_t* bottom) {
  // Keep every byte count of the largest output (RGB24) within 32 bits:
  // ow x oh x 3 <= INT32_MAX, as a division so that no product overflows.
  if (ow <= 0 || oh <= 0 || oh > INT32_MAX / 3 / ow) return false;
  int32_t m = 0;
  bool split = false;
  const bool h480_576 = ih == 480 || ih == 576;
  if (iw == 320 && ih == 240 && ow == 320 && oh == 240) {
    m = 0;
  } else if (iw == 320 && ih == 240 && ow == 160 && oh == 120) {
    m = 1;
  } else if (iw == 480 && h480_576 && ow == 480 && (oh == 480 || oh == 576) && oh >= ih) {
    m = 0, split = true;
  } else if (iw == 640 && ih == 480 && ow == 640 && oh == 480) {
    m = 0;
  } else if (iw == 640 && ih == 480 && ow == 320 && oh == 240) {
    m = 1;
  } else if (iw == 640 && ih == 480 && ow == 160 && oh == 120) {
    m = 2;
  } else if (iw == 640 && ih == 480 && ow == 1280 && oh == 960) {
    m = -1;
  } else if (iw == 704 && h480_576 && ow == 704 && oh >= ih) {
    m = 0, split = true;
  } else if (iw == 704 && h480_576 && ow == 352 && oh >= ih / 2) {
    m = 1, split = true;
  } else if (iw == 704 && h480_576 && ow == 176 && oh >= ih / 4) {
    m = 2, split = true;
  } else if (iw == 720 && h480_576 && ow == 720 && oh >= ih) {
    m = 0, split = true;
  } else if (iw == 1280 && ih == 1024 && ow == 1280 && oh == 1024) {
    m = 0;
  } else {
    // 640 x 480 to 352 x 240 or 352 x 288 lands here too: the library has
    // no 640-to-352 scaler, so those pairs are refused rather than
    // producing a 640-wide picture in a 352-wide buffer.
    return false;
  }
  const int32_t scaled = m >= 0 ? ih >> m : ih << 1;
  const int32_t surplus = split ? oh - scaled : 0;
  *mode = m;
  *top = surplus / 2;
  *bottom = surplus - surplus / 2;
  return true;
}

namespace {

// The limits of ppl_new_frame_size (unsigned, so negative sizes fail too):
// the largest frame and what the work-area rows hold; beyond them, the
// sizes of large frames when the context has them on.
bool size_accepted(const ppl_context* c, int32_t width, int32_t height) {
  return (static_cast<uint32_t>(width) <= kMaxFrameWidth && static_cast<uint32_t>(height) <= kMaxFrameHeight &&
          4u * static_cast<uint32_t>(width) + 48 <= kGreenRingBytes &&
          3u * static_cast<uint32_t>(width) + 48 <= kRingBytes) ||
         large_size_accepted(c, width, height);
}

// With large frames on, a pair outside the table whose output is the input
// scaled by a decimation mode, without black lines.
bool scaled_size_pair(const ppl_context* c, int32_t iw, int32_t ih, int32_t ow, int32_t oh, int32_t* mode) {
  if (!c->large_frames) return false;
  for (int32_t m = -1; m <= 2; ++m) {
    const int64_t w = m >= 0 ? iw >> m : int64_t{iw} * 2, h = m >= 0 ? ih >> m : int64_t{ih} * 2;
    if (ow == w && oh == h && ow > 0 && oh > 0) {
      *mode = m;
      return true;
    }
  }
  return false;
}

// Stores an accepted input size and its pixel counts; the output size
// follows with recompute_output_size.
void store_input_size(ppl_context* c, int32_t width, int32_t height) {
  const int64_t pixels = static_cast<int64_t>(width) * height;
  c->in_half_pixels = static_cast<uint32_t>(pixels / 2);
  c->in_cells = static_cast<uint32_t>(pixels / 4);
  c->in_half_cells = static_cast<uint32_t>(pixels / 8);
  c->in_width = width;
  c->in_height = height;
}

// A size pair of the table: the input size, its decimation mode and black
// lines. False with nothing stored for any other pair.
bool store_size_pair(ppl_context* c, int32_t iw, int32_t ih, int32_t ow, int32_t oh) {
  int32_t mode, top = 0, bottom = 0;
  if (!lookup_size_pair(iw, ih, ow, oh, &mode, &top, &bottom) && !scaled_size_pair(c, iw, ih, ow, oh, &mode))
    return false;
  if (!size_accepted(c, iw, ih)) return false;
  store_input_size(c, iw, ih);
  c->top_black_lines = top;
  c->decimation = mode;
  c->bottom_black_lines = bottom;
  recompute_output_size(c);
  return true;
}

// The tables a new size derives: every width's grid, normalisers and
// scales, and the stepping table.
uint8_t build_size_tables_in_use(ppl_context* c) {
  return build_groups_in_use([c](auto tag) { return build_size_tables<decltype(tag)::kGroup>(c); },
                             [c] { build_step_table(c); });
}

}  // namespace

void forget_input_size(ppl_context* c) {
  store_input_size(c, 0, 0);
  recompute_output_size(c);
}

bool resize_frame(ppl_context* c, int32_t width, int32_t height) {
  if (!size_accepted(c, width, height)) return false;
  store_input_size(c, width, height);
  recompute_output_size(c);
  build_size_tables_in_use(c);
  return true;
}

bool resize_frames(ppl_context* c, int32_t iw, int32_t ih, int32_t ow, int32_t oh) {
  if (!store_size_pair(c, iw, ih, ow, oh)) return false;
  build_size_tables_in_use(c);
  return true;
}

}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_new_frame_size(ppl_context* c, int32_t width, int32_t height) {
  if (!size_accepted(c, width, height)) return 0;
  store_input_size(c, width, height);
  recompute_output_size(c);
  FpBracket bracket;
  return bracket.ok() ? build_size_tables_in_use(c) : 1;
}

uint8_t PPLCALL ppl_set_decimation(ppl_context* c, int32_t mode, int32_t top, int32_t bottom) {
  if (mode == c->decimation && top == c->top_black_lines && bottom == c->bottom_black_lines)
    return 1;
  if (mode < -1 || mode > 2) return 0;
  c->top_black_lines = top;
  c->decimation = mode;
  c->bottom_black_lines = bottom;
  recompute_output_size(c);
  return rebuild_step_table(c);
}

uint8_t PPLCALL ppl_new_frame_sizes(ppl_context* c, int32_t in_width, int32_t in_height,
                                    int32_t out_width, int32_t out_height) {
  if (!store_size_pair(c, in_width, in_height, out_width, out_height)) return 0;
  FpBracket bracket;
  if (bracket.ok()) build_size_tables_in_use(c);
  return 1;
}

uint8_t PPLCALL ppl_reset_decimation(ppl_context* c) { return ppl_set_decimation(c, 0, 0, 0); }
int32_t PPLCALL ppl_decimation(ppl_context* c) { return c->decimation; }
int32_t PPLCALL ppl_decimation_top_black_lines(ppl_context* c) { return c->top_black_lines; }
int32_t PPLCALL ppl_decimation_bottom_black_lines(ppl_context* c) { return c->bottom_black_lines; }

}  // extern "C"
