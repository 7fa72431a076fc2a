#include "model/controls_model.h"

#include <cmath>

namespace pplcam::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Floor division and arithmetic shift on 64-bit values.
int64_t shr(int64_t v, int n) { return v >= 0 ? v >> n : -((-v + (int64_t{1} << n) - 1) >> n); }

int64_t clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

const int64_t kYcc[3][3] = {{1053, 2064, 401}, {-606, -1192, 1798}, {1798, -1507, -291}};
const int64_t kYuv[3][3] = {{1225, 2404, 467}, {-707, -1389, 2095}, {2095, -1754, -340}};
const int64_t kInv[3][3] = {{4096, 0, 5616}, {4096, -1376, -2859}, {4096, 7094, 0}};

}  // namespace

int32_t model_sin(int32_t degrees) {
  const int64_t a = ((int64_t{degrees} % 360) + 360) % 360;
  const double exact = std::sin(static_cast<double>(a) * kPi / 180.0) * 4096.0;
  // A tiny bias keeps exact values (2048 at 30, 4096 at 90) from rounding
  // down through floating-point error.
  const int32_t magnitude = static_cast<int32_t>(std::floor(std::fabs(exact) + 1e-6));
  return exact < 0 ? -magnitude : magnitude;
}

int32_t model_cos(int32_t degrees) { return model_sin(90 - static_cast<int32_t>(((int64_t{degrees} % 360) + 360) % 360)); }

Adjustment model_adjustment(int32_t sat, int32_t hue, int32_t contrast_c) {
  const int64_t cs = shr(int64_t{model_cos(hue)} * sat, 8);
  const int64_t sn = shr(int64_t{model_sin(hue)} * sat, 8);
  const int64_t cp = contrast_c >= 0 ? 256 + 2 * contrast_c : 256 + contrast_c;
  const int64_t a[3][3] = {{16 * cp, 0, 0}, {0, cs, -sn}, {0, sn, cs}};

  int64_t ycc[3][3], yuv[3][3], rgb[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      int64_t sy = 0, su = 0;
      for (int k = 0; k < 3; ++k) {
        sy += a[i][k] * kYcc[k][j];
        su += a[i][k] * kYuv[k][j];
      }
      ycc[i][j] = shr(sy + 2048, 12);
      yuv[i][j] = shr(su + 2048, 12);
    }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      int64_t s = 0;
      for (int k = 0; k < 3; ++k) s += kInv[i][k] * yuv[k][j];
      rgb[i][j] = shr(s + 2048, 12);
    }

  Adjustment out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      out.p[0][3 * i + j] = static_cast<int32_t>(shr(rgb[i][j] + 8, 4));
      out.p[1][3 * i + j] = static_cast<int32_t>(shr(yuv[i][j] + 8, 4));
      out.p[2][3 * i + j] = static_cast<int32_t>(shr(ycc[i][j] + 8, 4));
    }
  const int64_t o = 32768 - 128 * cp;
  out.offset[0] = static_cast<int32_t>(o);
  out.offset[1] = static_cast<int32_t>(o);
  out.offset[2] = static_cast<int32_t>(shr(o * 4096, 12));
  return out;
}

ColourModel model_colour(const Adjustment& a, const Matrix9& m) {
  ColourModel out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      int64_t s[3] = {0, 0, 0};
      for (int x = 0; x < 3; ++x)
        for (int k = 0; k < 3; ++k) s[x] += int64_t{a.p[x][3 * i + k]} * m[3 * k + j];
      out.c_rgb[3 * i + j] = static_cast<int32_t>(clamp(shr(shr(s[0] + 128, 8) + 2, 2), -256, 255));
      out.c_yuv[3 * i + j] = static_cast<int32_t>(clamp(shr(s[1] + 512, 10), -256, 255));
      out.c_ycc[3 * i + j] = static_cast<int32_t>(clamp(shr(s[2] + 512, 10), -256, 255));
    }
  // Offsets in the order o_ycc, o_yuv, o_rgb.
  for (int k = 0; k < 3; ++k) out.offset[k] = static_cast<int32_t>(shr(a.offset[k] + 2, 2) + 32);
  return out;
}

std::array<uint8_t, 256> model_contrast(int32_t x, int32_t y) {
  std::array<uint8_t, 256> t{};
  if (x == 0) {
    const int64_t slope = (int64_t{16} * (255 - y) - 16 * y) * 4096 / 4080;   // truncating
    for (int64_t i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(shr(shr(16 * i * slope, 12) + 16 * y, 4));
    return t;
  }
  const int64_t px[4] = {0, 16 * x, 16 * (255 - x), 16 * 255};
  const int64_t py[4] = {0, 16 * y, 16 * (255 - y), 16 * 255};
  for (int64_t i = 0; i < 256; ++i) {
    int k = 1;
    while (16 * i > px[k]) ++k;
    const int64_t slope = (py[k] - py[k - 1]) * 4096 / (px[k] - px[k - 1]);
    t[i] = static_cast<uint8_t>(shr(shr((16 * i - px[k - 1]) * slope, 12) + py[k - 1], 4));
  }
  return t;
}

}  // namespace pplcam::test
