// Scalar model of the edge-directed demosaic (qualities 0 and 1), the luma
// sharpening of quality 0, the full-range conversion and the fixed
// YUV-to-RGB step: each output value computed per pixel from the formulas,
// with the reflected neighbours at the borders and no groups or rings.
#pragma once

#include <cstdint>
#include <vector>

namespace pplcam::model {

struct Rgb8 {
  uint8_t r, g, b;
};

// A conditioned mosaic (B at row 0, column 0) of w x h photosites.
struct Mosaic {
  const uint8_t* p;
  int pitch, w, h;
  // The photosite at (y, x), reflected about the edge rows and columns.
  int at(int y, int x) const;
};

// R, G, B of every photosite, row-major: the green first, then red and
// blue from the colour differences.
std::vector<Rgb8> edge_demosaic(const Mosaic& m);

// Sharpened luma of a w x h plane (row-major) with the packed threshold
// and factor >> 2.
std::vector<uint8_t> sharpen_luma(const std::vector<uint8_t>& luma, int w, int h, int threshold,
                                  int factor_q6);
// One pixel of it: `n` is the 3 x 3 neighbourhood, n[1][1] the pixel.
uint8_t sharpen_pixel(const int n[3][3], int threshold, int factor_q6);

struct FullYuv {
  uint8_t y;
  int8_t u, v;
};
// C_yuv (nine coefficients, units of 1/64) and its luma offset word.
FullYuv full_range_yuv(const int16_t k[9], int16_t offset, int r, int g, int b);
Rgb8 fixed_yuv_to_rgb(uint8_t y, int8_t u, int8_t v);

}  // namespace pplcam::model
