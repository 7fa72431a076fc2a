// Scalar model of the progressive YUV converters, written pixel by pixel
// from the formulas, independently of the kernels' walk: each function
// writes what the converter writes into dst and leaves every other byte.
#pragma once

#include <cstdint>

namespace pplcam::model {

enum class YuvInput {
  kYuyv,   // Y0 U Y1 V
  kUyvy,   // U Y0 V Y1
  kYyyy,   // YUYVYYYY: 16 pixels in 24 bytes, U on even lines, V on odd
};

struct YuvGeometry {
  int in_width, in_height, out_width, out_height;
  bool h_mirror, v_mirror;
};

// I420 at decimation 0: Y plane, U at out_width*out_height, V a quarter on.
void model_to_i420(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst);
// Bottom-up RGB24 in rows of out_width pixels; mirrors ignored.
void model_to_rgb24(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst);

}  // namespace pplcam::model
