// The per-stream record behind the opaque `ppl_context` handle.
//
// Every byte the library uses lives here or in the caller's buffers. The
// record holds the plain control values; per column-group width (the
// behaviour a kernel path reproduces, core/path_table.h) the packed
// constants its paths read, its size-derived geometry and its walk scratch,
// all built from the same values at the same time; the output steps, the
// statistics results and a 32-byte-aligned work area for the ring buffers
// of the Bayer walk (or, for frames beyond the original limits, where the
// rings lie in a caller's larger area).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/path_table.h"

namespace pplcam {

// One packed 16-bit constant of a column group: a value per lane, 4 lanes
// (8-byte groups) or 8 (16-byte groups).
template <int Bytes>
struct alignas(Bytes) Packed16 {
  int16_t lane[Bytes / 2];
};

// One packed byte constant of a column group: 8 or 16 bytes.
template <int Bytes>
struct alignas(Bytes) Packed8 {
  uint8_t byte[Bytes];
};

// Index of the Bayer row type in per-row-pair constants.
enum RowType : int { kRowBG = 0, kRowGR = 1 };

// Index of the qualification difference sets, also the order of the limits.
enum QualLimit : int {
  kQualBmGb = 0,
  kQualGrmR = 1,
  kQualBmGbPGrmR = 2,
  kQualBmGbMGrmR = 3,
  kQualR = 4,
  kQualG = 5,
  kQualB = 6,
};

// Derived constants of one column-group width, `Bytes`: 8 or 16. Both
// blocks have the same layout; every path of that width reads the block.
template <int Bytes>
struct GroupConstants {
  Packed16<Bytes> qual_diff[4][2];   // per QualLimit 0..3: {min - 1, max + 1}
  Packed8<Bytes> qual_rgb[4];        // GR mins, GR spans, BG mins, BG spans
  Packed8<Bytes> qae[4];             // min, min - 1, max, max + 1 (mod 256)
  Packed16<Bytes> edge_threshold;
  Packed16<Bytes> edge_factor;       // factor >> 2, units of 1/64
  Packed16<Bytes> intl_3t_threshold;
  Packed16<Bytes> c_rgb[9];          // row-major, units of 1/64
  Packed16<Bytes> c_yuv[9];
  Packed16<Bytes> c_ycc[9];
  Packed16<Bytes> gain[2];           // per RowType, units of 1/32
  Packed16<Bytes> delta[2];          // per RowType
  Packed16<Bytes> matrix_offset[3];  // o_ycc, o_yuv, o_rgb words
};

// Where an output writer puts picture pixel (x, y) of one plane:
//   origin + y * row_stride + x * pixel_step   (bytes from the plane start).
// Mirrors and the bottom-up RGB order are folded into the signs, so a writer
// never tests a flag.
struct PlaneSteps {
  int32_t origin;
  int32_t pixel_step;
  int32_t row_stride;
};

// Output stepping table: one entry per plane kind. It depends on the output
// size and the mirrors only, so every path writes through the same table.
struct StepTable {
  PlaneSteps i420_y;
  PlaneSteps i420_c;   // U plane; V is the same offset in the V plane
  PlaneSteps yuv422;   // YUYV and UYVY
  PlaneSteps rgb24;
  PlaneSteps rgb32;
};

// Size-derived values of one column-group width (8 or 16 photosites).
struct GroupGeometry {
  uint32_t stats_scale[4];   // coverage of the sampling of qualities 0 to 3
  int32_t window_groups;     // ww: sub-window width in column groups
  int32_t window_pairs;      // wh: sub-window height in row pairs
  int32_t grid_pairs;        // 6 * wh
};

// Scratch that the Bayer walks of one column-group width keep from frame to
// frame and between the groups of a frame.
template <int Bytes>
struct GroupWalkState {
  alignas(Bytes) uint8_t saved_raw[2][Bytes];   // statistics: previous raw block
  uint32_t marker_cell;                          // raw-mode marker position 0..29
};

// Everything a context keeps for one column-group width.
template <int Bytes>
struct GroupState {
  GroupConstants<Bytes> constants;
  GroupGeometry geometry;
  GroupWalkState<Bytes> walk;
};

// Calls f(Behaviour<G>{}) for every column-group width a context keeps
// state for, narrowest first.
template <class F>
void for_each_group(F&& f) {
  f(Behaviour<8>{});
  f(Behaviour<16>{});
}

struct RgbSum {
  uint32_t r, g, b;
};

// The last Bayer frame as the level means of pplcam_ext.h need it: the
// walk's raw sums, kept before post-processing rescales them into the
// original means, and what says which cells were sampled.
struct LevelSums {
  RgbSum regions[49];        // 48 windows, then the region outside the grid
  RgbSum whole_frame;        // quality 3: four times the sampled cells' sums
  int32_t quality;
  int32_t group_bytes;       // column-group width of the walk: 8 or 16
  int32_t row_pairs, groups;         // of the walk
  int32_t window_pairs, window_groups;
  uint8_t sampled;           // the frame gathered statistics
};

struct LimitTriple {
  int32_t min, max, count;   // count = max - min + 1
};

// Work-area sizes: the green ring and the four 4096-byte rings.
constexpr int kGreenRingBytes = 8192;
constexpr int kRingBytes = 4096;
constexpr int kWorkAreaBytes = kGreenRingBytes + 4 * kRingBytes;   // 24576

enum WorkRing : int {
  kGreenRing = 0,
  kLumaRing = 1,
  kPlaneRing1 = 2,
  kPlaneRing2 = 3,
  kPlaneRing3 = 4,
};

}  // namespace pplcam

// The record itself. Declared in the global namespace because the public C
// header names it; its layout is private to the library.
struct alignas(32) ppl_context {
  uint8_t in_use;

  // Per column-group width: 8 bytes (the MMX path), 16 (the SSE2 path).
  pplcam::GroupState<8> group8;
  pplcam::GroupState<16> group16;

  uint8_t P3_only;
  uint8_t wide_state_saved;     // an exported converter's bracket saved the YMM/ZMM state
  pplcam::PathId path_limit;    // the widest path the context may choose
  pplcam::PathId last_path;     // the path that ran the last frame
  int32_t sensor_type;
  int32_t decimation;
  int32_t top_black_lines, bottom_black_lines;
  int32_t in_width, in_height;
  uint32_t in_half_pixels;      // W*H/2
  uint32_t in_cells;            // W*H/4: the 2 x 2 cells
  uint32_t in_half_cells;       // W*H/8
  int32_t out_width, out_height;
  uint32_t out_pixels;          // out_width * out_height
  uint32_t out_quarter;         // out pixels / 4: one I420 chroma plane
  pplcam::StepTable steps;      // where the writers put the picture
  uint32_t n_frame;
  int32_t quality;

  uint8_t dekneel[3][256];      // r, g, b
  uint8_t contrast_table[256];
  uint8_t yuv_contrast_gamma[256];
  uint8_t rgb_contrast_gamma[256];
  uint8_t yuv_gamma[256];
  uint8_t rgb_gamma[256];
  uint8_t mean_collection;

  int32_t gain[3];              // r, g, b, nf88
  int32_t delta[3];             // r, g, b
  int32_t sensor_matrix[9];     // nf88, row-major
  int32_t quals_gain[3];        // r, g, b, nf88; stored for the caller
  pplcam::LimitTriple qual_limits[7];   // indexed by QualLimit
  pplcam::LimitTriple qae_limits;

  uint32_t histogram[3][256];   // r, g, b

  int32_t edge_threshold;
  int32_t edge_enhance_factor;
  int32_t intl_3t_threshold;
  int32_t contrast_c, contrast_x, contrast_y;
  int32_t sat, hue_degree;
  int32_t adjust[3][9];         // P_rgb, P_yuv, P_ycc (nf88, row-major)
  int32_t adjust_offset[3];     // o_ycc, o_yuv, o_rgb (nf88)
  int32_t nf20_12_gamma, gamma_setting;
  uint8_t h_mirror, v_mirror;
  uint32_t window_norm[3];      // R, G, B normalisers

  pplcam::RgbSum sub_windows[49];   // 48 windows, then the outside region
  pplcam::RgbSum all_sub_windows;
  pplcam::RgbSum whole_frame;
  pplcam::RgbSum qae_means;
  uint32_t qae_count;
  pplcam::RgbSum qual_means;
  uint32_t qual_count;
  uint32_t stats_scale;
  pplcam::LevelSums level_sums;

  // Raw conditioning of the current Bayer frame (any path): gain, offset
  // and RGB gamma folded into one lookup per row kind (blue-green, green-red)
  // and byte position in a 32-bit word, the conditioned byte already shifted
  // to its position, so that four lookups ORed give four conditioned bytes.
  // Rebuilt from the packed constants of the running path's group width at
  // the start of every frame.
  uint32_t condition_words[2][4][256];

  alignas(32) uint8_t work_area[pplcam::kWorkAreaBytes];
  uint8_t* ring[5];             // indexed by WorkRing
  // Ring sizes less one (powers of two): the green ring's and that of each
  // of the other four. The rings lie in work_area, or in the caller's area
  // while large frames are on (core/large_frames.h).
  uint32_t green_ring_mask;
  uint32_t ring_mask;
  uint8_t large_frames;         // a caller's work area is in place
};

namespace pplcam {

template <int Bytes>
inline GroupState<Bytes>& group_state(ppl_context* c) {
  if constexpr (Bytes == 8) return c->group8;
  else return c->group16;
}
template <int Bytes>
inline const GroupState<Bytes>& group_state(const ppl_context* c) {
  return group_state<Bytes>(const_cast<ppl_context*>(c));
}

template <int Bytes>
inline GroupConstants<Bytes>& group_constants(ppl_context* c) { return group_state<Bytes>(c).constants; }
template <int Bytes>
inline const GroupConstants<Bytes>& group_constants(const ppl_context* c) { return group_state<Bytes>(c).constants; }
template <int Bytes>
inline GroupGeometry& group_geometry(ppl_context* c) { return group_state<Bytes>(c).geometry; }
template <int Bytes>
inline GroupWalkState<Bytes>* group_walk(ppl_context* c) { return &group_state<Bytes>(c).walk; }

// Calls f(state) with the state of the column-group width of `path`.
template <class F>
decltype(auto) with_group_of(PathId path, ppl_context* c, F&& f) {
  if (path_traits(path).group_bytes == 8) return f(c->group8);
  return f(c->group16);
}

static_assert(offsetof(ppl_context, group16) % 16 == 0, "16-byte constants must be 16-byte aligned");
static_assert(offsetof(ppl_context, work_area) % 32 == 0, "work area must be 32-byte aligned");
static_assert(sizeof(ppl_context) % 32 == 0, "every slot keeps the same alignment");

}  // namespace pplcam
