// Scalar model of the progressive YUV converters, written pixel by pixel
// from the formulas, independently of the kernels' walk: each function
// writes what the converter writes into dst and leaves every other byte.
#pragma once

#include <cstdint>

namespace pplcam::model {

enum class YuvInput {
  kYuyv,   // Y0 U Y1 V
  kUyvy,   // U Y0 V Y1
  kYyyy,   // YUYVYYYY / UYVYYYYY: 16 pixels in 24 bytes, U on even lines, V on odd
};

struct YuvGeometry {
  int in_width, in_height, out_width, out_height;
  bool h_mirror, v_mirror;
};

// Luma of pixel x on source line `line`.
int model_luma(YuvInput in, const uint8_t* src, int width, int line, int x);
// Chroma byte of pixel pair j on source line `line`: for packed 4:2:2 U
// (component 0) or V (component 1); for YUYVYYYY the line's only chroma.
int model_chroma(YuvInput in, const uint8_t* src, int width, int line, int j, int component);

// I420 into dst (Y plane, then U at out_width*out_height, V a quarter
// further), decimation 0.
void model_to_i420(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst);

struct Bgr {
  uint8_t b, g, r;
};
// One pixel with the studio-range arithmetic (blue clamps to 255 when its
// sum leaves 16 bits).
Bgr model_bgr(int y, int u, int v);

// Bottom-up RGB24 into dst, rows of out_width pixels; mirrors ignored.
void model_to_rgb24(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst);

}  // namespace pplcam::model
