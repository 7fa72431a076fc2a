#include "model/edge_model.h"

#include <cstdlib>

#include "model/pixel_ops.h"

namespace pplcam::model {
namespace {

// Reflection about the edge row or column without repeating it; on frames
// too small for that the nearest edge stands in.
int reflect(int c, int n) {
  const int r = c < 0 ? -c : c >= n ? 2 * (n - 1) - c : c;
  return r < 0 ? 0 : r >= n ? n - 1 : r;
}
bool is_green(int y, int x) { return ((y ^ x) & 1) != 0; }

int edge_green(const Mosaic& m, int y, int x) {
  if (is_green(y, x)) return m.at(y, x);
  const int c = m.at(y, x);
  const int n = m.at(y - 1, x), s = m.at(y + 1, x), w = m.at(y, x - 1), e = m.at(y, x + 1);
  // Above an R photosite of row 1 the reflection would give the photosite
  // itself; the sample two rows below stands in instead.
  const int nn = (y == 1) ? m.at(3, x) : m.at(y - 2, x);
  const int ss = m.at(y + 2, x), ww = m.at(y, x - 2), ee = m.at(y, x + 2);
  const int vsum = n + s - ((nn + ss) >> 1);
  const int hsum = w + e - ((ww + ee) >> 1);
  const int dv = std::abs(n - s), dh = std::abs(w - e);
  const int hi = dv > dh ? dv : dh, lo = dv > dh ? dh : dv;
  int g;
  if (hi > 30 && lo < 30) g = (c >> 1) + ((dh >= dv ? vsum : hsum) >> 1);
  else g = (c >> 1) + ((hsum + vsum) >> 2);
  return sat_u8(g);
}

}  // namespace

int Mosaic::at(int y, int x) const { return p[reflect(y, h) * pitch + reflect(x, w)]; }

std::vector<Rgb8> edge_demosaic(const Mosaic& m) {
  std::vector<int> green(static_cast<size_t>(m.w) * m.h);
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x) green[y * m.w + x] = edge_green(m, y, x);
  auto g_at = [&](int y, int x) { return green[reflect(y, m.h) * m.w + reflect(x, m.w)]; };
  auto d = [&](int y, int x) { return m.at(y, x) - g_at(y, x); };   // X - G at an R or B site

  std::vector<Rgb8> out(green.size());
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x) {
      const int g = g_at(y, x), c = m.at(y, x);
      const int diag = (d(y - 1, x - 1) + d(y - 1, x + 1) + d(y + 1, x - 1) + d(y + 1, x + 1)) >> 2;
      const int across = (d(y, x - 1) + d(y, x + 1)) >> 1;
      const int along = (d(y - 1, x) + d(y + 1, x)) >> 1;
      int r, b;
      if ((y & 1) == 0 && (x & 1) == 0) r = g + diag, b = c;          // B
      else if ((y & 1) == 0) b = g + across, r = g + along;           // Gb
      else if ((x & 1) == 0) r = g + across, b = g + along;           // Gr
      else b = g + diag, r = c;                                        // R
      out[y * m.w + x] = {sat_u8(r), static_cast<uint8_t>(g), sat_u8(b)};
    }
  return out;
}

uint8_t sharpen_pixel(const int n[3][3], int threshold, int factor_q6) {
  int gx = 0, gy = 0;
  for (int i = 0; i < 3; ++i) {
    gx += n[i][2] - n[i][0];
    gy += n[2][i] - n[0][i];
  }
  const int e = std::abs(gx) + std::abs(gy) > threshold ? gx + gy : 0;
  return sat_u8(n[1][1] + (mullo16(static_cast<int16_t>(e), static_cast<int16_t>(factor_q6)) >> 6));
}

std::vector<uint8_t> sharpen_luma(const std::vector<uint8_t>& luma, int w, int h, int threshold,
                                  int factor_q6) {
  std::vector<uint8_t> out(luma.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int n[3][3];
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) n[dy + 1][dx + 1] = luma[reflect(y + dy, h) * w + reflect(x + dx, w)];
      out[y * w + x] = sharpen_pixel(n, threshold, factor_q6);
    }
  return out;
}

FullYuv full_range_yuv(const int16_t k[9], int16_t offset, int r, int g, int b) {
  auto row = [&](int i, int add) { return wrap16(k[3 * i] * r + k[3 * i + 1] * g + k[3 * i + 2] * b + add) >> 6; };
  return {sat_u8(row(0, offset)), sat_s8(row(1, 32)), sat_s8(row(2, 32))};
}

Rgb8 fixed_yuv_to_rgb(uint8_t y, int8_t u, int8_t v) {
  auto add = [](int a, int b) { return static_cast<int>(sat_s16(a + b)); };
  const int y128 = 128 * y;
  const int r = add(add(add(y128, 0 * u), 175 * v), 32);
  const int g = add(add(add(y128, -89 * v), -43 * u), 32);
  const int b = add(add(add(y128, 222 * u), 0 * v), 32);
  return {sat_u8(r >> 7), sat_u8(g >> 7), sat_u8(b >> 7)};
}

}  // namespace pplcam::model
