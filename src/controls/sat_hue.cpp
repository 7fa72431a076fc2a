// Saturation and hue: the adjustment matrices that the colour matrix
// builder multiplies with the sensor matrix.
//
// The adjustment acts in a luma/chroma space: it scales luma by the
// contrast gain cp/256 and rotates the two chroma components by the hue
// while scaling them by sat/256. Expressed back in each output route it
// gives P_ycc (r, g, b to studio YCbCr), P_yuv (to full-range YUV) and
// P_rgb (r, g, b to r, g, b), with luma offsets that keep level 128 fixed
// under the contrast gain.
#include "controls/colour_matrix.h"
#include "controls/defaults.h"
#include "controls/tone_tables.h"
#include "pplcam/pplcam.h"

namespace pplcam {

const int32_t kSineTable[91] = {
    0,    71,   142,  214,  285,  356,  428,  499,  570,  640,  711,  781,  851,  921,  990,  1060,
    1129, 1197, 1265, 1333, 1400, 1467, 1534, 1600, 1665, 1731, 1795, 1859, 1922, 1985, 2048, 2109,
    2170, 2230, 2290, 2349, 2407, 2465, 2521, 2577, 2632, 2687, 2740, 2793, 2845, 2896, 2946, 2995,
    3043, 3091, 3137, 3183, 3227, 3271, 3313, 3355, 3395, 3435, 3473, 3510, 3547, 3582, 3616, 3649,
    3681, 3712, 3741, 3770, 3797, 3823, 3848, 3872, 3895, 3917, 3937, 3956, 3974, 3991, 4006, 4020,
    4033, 4045, 4056, 4065, 4073, 4080, 4086, 4090, 4093, 4095, 4096};

const int32_t kRgbToYcc[3][3] = {{1053, 2064, 401}, {-606, -1192, 1798}, {1798, -1507, -291}};
const int32_t kRgbToYuv[3][3] = {{1225, 2404, 467}, {-707, -1389, 2095}, {2095, -1754, -340}};
const int32_t kYuvToRgb[3][3] = {{4096, 0, 5616}, {4096, -1376, -2859}, {4096, 7094, 0}};

namespace {
int32_t degrees_0_359(int32_t a) {
  const int32_t m = a % 360;
  return m < 0 ? m + 360 : m;
}
}  // namespace

int32_t sine_4_12(int32_t degrees) {
  const int32_t a = degrees_0_359(degrees);
  if (a > 180) return -kSineTable[360 - a > 90 ? 180 - (360 - a) : 360 - a];
  return kSineTable[a > 90 ? 180 - a : a];
}

int32_t cosine_4_12(int32_t degrees) {
  // 90 - degrees cannot overflow for the reduced angle.
  return sine_4_12(90 - degrees_0_359(degrees));
}

namespace {

// 4.12 x 4.12 product of two 3 x 3 matrices, rounded back to 4.12.
void multiply_4_12(const int32_t a[3][3], const int32_t b[3][3], int32_t out[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      int32_t s = 0;
      for (int k = 0; k < 3; ++k) s += a[i][k] * b[k][j];
      out[i][j] = (s + 2048) >> 12;
    }
}

// 4.12 to nf88, rounded.
void store_nf88(const int32_t m[3][3], int32_t out[9]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out[3 * i + j] = (m[i][j] + 8) >> 4;
}

constexpr int kAdjRgb = 0, kAdjYuv = 1, kAdjYcc = 2;
constexpr int kOffYcc = 0, kOffYuv = 1, kOffRgb = 2;

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_set_sat_hue(ppl_context* c, int32_t sat, int32_t hue) {
  if (static_cast<uint32_t>(sat) > 512) return 0;
  const int32_t h = degrees_0_359(hue);
  c->sat = sat;
  c->hue_degree = h;
  const int32_t cs = (cosine_4_12(h) * sat) >> 8;
  const int32_t sn = (sine_4_12(h) * sat) >> 8;

  // The contrast setters keep contrast_c within -127..127; a context whose
  // field was overwritten some other way is refused after sat and hue have
  // been stored.
  const int32_t cc = c->contrast_c;
  if (cc < -128 || cc > 128) return 0;
  const int32_t cp = cc >= 0 ? 256 + 2 * cc : 256 + cc;

  const int32_t adjust[3][3] = {{16 * cp, 0, 0}, {0, cs, -sn}, {0, sn, cs}};
  int32_t ycc[3][3], yuv[3][3], rgb[3][3];
  multiply_4_12(adjust, kRgbToYcc, ycc);
  multiply_4_12(adjust, kRgbToYuv, yuv);
  multiply_4_12(kYuvToRgb, yuv, rgb);   // from the 4.12 yuv elements
  store_nf88(ycc, c->adjust[kAdjYcc]);
  store_nf88(yuv, c->adjust[kAdjYuv]);
  store_nf88(rgb, c->adjust[kAdjRgb]);
  // nf88 offsets: 256 x 128 x (1 - cp / 256).
  c->adjust_offset[kOffYcc] = 256 * kContrastPivot - kContrastPivot * cp;
  c->adjust_offset[kOffYuv] = 256 * kContrastPivot - kContrastPivot * cp;
  c->adjust_offset[kOffRgb] = (c->adjust_offset[kOffYuv] * kYuvToRgb[0][0]) >> 12;
  return rebuild_colour_matrices(c, 1);
}

uint8_t PPLCALL ppl_set_sat(ppl_context* c, int32_t sat) { return ppl_set_sat_hue(c, sat, c->hue_degree); }
uint8_t PPLCALL ppl_set_hue(ppl_context* c, int32_t hue) { return ppl_set_sat_hue(c, c->sat, hue); }
uint8_t PPLCALL ppl_reset_sat_hue(ppl_context* c) {
  return ppl_set_sat_hue(c, control_defaults::kSaturation, control_defaults::kHueDegree);
}
int32_t PPLCALL ppl_nf88_sat(ppl_context* c) { return c->sat; }
int32_t PPLCALL ppl_hue_degree(ppl_context* c) { return c->hue_degree; }

}  // extern "C"
