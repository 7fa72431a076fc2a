// Scalar model of the Bayer conversions: every output byte computed per
// pixel from the formulas (conditioning, bilinear or cell demosaic, colour
// matrix, chroma limit, thinning, doubling, placement), with no column
// groups, rings or stepping tables. The kernels of both paths must
// reproduce it byte for byte.
#pragma once

#include <cstdint>

#include "bayer/driver.h"

namespace pplcam::model {

// The plain values the kernels read (tests load them into every lane of
// the constant blocks, gains and offsets alternating per column).
struct BayerControls {
  uint16_t gain[4];    // B, Gb, Gr, R
  int16_t delta[4];
  int16_t c_ycc[9];
  int16_t c_rgb[9];
  int16_t o_ycc, o_rgb;
  uint8_t gamma[256];
  // Quality 0: C_yuv with its luma offset word, the sharpening threshold
  // and factor >> 2.
  int16_t c_yuv[9];
  int16_t o_yuv;
  int16_t edge_threshold, edge_factor;
};

// Gains, offsets and the gamma curve applied to a mosaic in place.
void condition(const BayerControls& k, uint8_t* src, int pitch, int w, int h);

struct BayerFrame {
  BayerOutput format;
  int quality;
  int decimation;
  bool h_mirror, v_mirror;
  int width, height;            // input size
  int out_width, out_height;    // from the context's geometry
  int marker_group;             // 8 or 16: the path's marker width rule
};

// Converts `src` (conditioned in place at qualities 0..3) into `dst`,
// leaving every byte the conversion does not write as it was. `marker` is
// the raw-mode marker counter of the path.
void convert(const BayerControls& k, const BayerFrame& f, uint8_t* src, uint8_t* dst,
             uint32_t* marker);

// Destination size of a format at the frame's output size.
size_t output_bytes(BayerOutput format, int out_width, int out_height);

}  // namespace pplcam::model
