// The per-stream record behind the opaque `ppl_context` handle.
//
// Every byte the library uses lives here or in the caller's buffers. The
// record holds the plain control values, the packed constants that the two
// kernel paths read (8-byte MMX lanes and 16-byte SSE2 lanes, built from the
// same values at the same time), the frame geometry with each path's derived
// sizes and output steps, the statistics results and a 32-byte-aligned work
// area for the ring buffers of the Bayer walk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pplcam {

// One packed 16-bit constant: a value per lane, 4 lanes (MMX) or 8 (SSE2).
template <int Bytes>
struct alignas(Bytes) Packed16 {
  int16_t lane[Bytes / 2];
};

// One packed byte constant: 8 (MMX) or 16 (SSE2) bytes.
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

// Derived constants of one kernel path. `Bytes` is the register width: 8 on
// the MMX path, 16 on the SSE2 path; both blocks have the same layout.
template <int Bytes>
struct PathConstants {
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
// never tests a flag. `group_step` is the cursor move per input column group
// of the path and `block_offset` the offset from the address of a group's
// first picture pixel to the lowest byte of the group's block (non-zero only
// with the horizontal mirror, where blocks are stored reversed).
struct PlaneSteps {
  int32_t origin;
  int32_t pixel_step;
  int32_t row_stride;
  int32_t group_step;
  int32_t block_offset;
};

// Output stepping table of one path: one entry per plane kind.
struct StepTable {
  PlaneSteps i420_y;
  PlaneSteps i420_c;   // U plane; V is the same offset in the V plane
  PlaneSteps yuv422;   // YUYV and UYVY
  PlaneSteps rgb24;
  PlaneSteps rgb32;
};

// Size-derived values of one path, in its column groups (8 or 16 photosites).
struct PathGeometry {
  int32_t groups_per_row;    // in_width / group width
  int32_t row_pairs;         // in_height / 2
  uint32_t stats_scale[4];   // S1..S4 (coverage of each sampling pattern)
  int32_t window_groups;     // ww: sub-window width in column groups
  int32_t grid_groups;       // 8 * ww
  int32_t window_pairs;      // wh: sub-window height in row pairs
  int32_t grid_pairs;        // 6 * wh
  int32_t grid_col0;         // grid origin (always 0)
  int32_t grid_row0;
  StepTable steps;
};

// Scratch that a path's Bayer walk keeps between column groups of a frame.
template <int Bytes>
struct PathWalkState {
  alignas(Bytes) uint8_t saved_raw[2][Bytes];   // statistics: previous raw block
  alignas(Bytes) uint8_t row_planes[6][Bytes];  // bilinear R, G, B of both rows
  uint32_t marker_cell;                          // raw-mode marker position 0..29
};

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

  pplcam::PathConstants<8> mmx;
  pplcam::PathGeometry mmx_geometry;
  pplcam::PathConstants<16> sse2;
  pplcam::PathGeometry sse2_geometry;
  pplcam::PathWalkState<8> mmx_walk;
  pplcam::PathWalkState<16> sse2_walk;

  uint8_t P3_only;
  int32_t sensor_type;
  int32_t decimation;
  int32_t top_black_lines, bottom_black_lines;
  int32_t in_width, in_height;
  uint32_t in_pixels[4];        // W*H, W*H/2, W*H/4, W*H/8
  int32_t out_width, out_height;
  uint32_t out_counts[3];       // out_width/2, out pixels, out pixels/4
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
  uint8_t bayer_group_bytes;    // written by the Bayer walk: 8 or 16

  // Raw conditioning of the current Bayer frame (either path): gain, offset
  // and RGB gamma folded into one lookup per row kind (blue-green, green-red)
  // and byte position in a 32-bit word, the conditioned byte already shifted
  // to its position, so that four lookups ORed give four conditioned bytes.
  // Rebuilt from the running path's packed constants at the start of every
  // frame.
  uint32_t condition_words[2][4][256];

  alignas(32) uint8_t work_area[pplcam::kWorkAreaBytes];
  uint8_t* ring[5];             // indexed by WorkRing
};

namespace pplcam {

template <int Bytes>
inline PathConstants<Bytes>& path_constants(ppl_context* c);
template <>
inline PathConstants<8>& path_constants<8>(ppl_context* c) { return c->mmx; }
template <>
inline PathConstants<16>& path_constants<16>(ppl_context* c) { return c->sse2; }

template <int Bytes>
inline PathGeometry& path_geometry(ppl_context* c) {
  return Bytes == 8 ? c->mmx_geometry : c->sse2_geometry;
}

static_assert(offsetof(ppl_context, sse2) % 16 == 0, "SSE2 block must be 16-byte aligned");
static_assert(offsetof(ppl_context, work_area) % 32 == 0, "work area must be 32-byte aligned");
static_assert(sizeof(ppl_context) % 32 == 0, "every slot keeps the same alignment");

}  // namespace pplcam
