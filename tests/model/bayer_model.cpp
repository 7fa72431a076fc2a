#include "model/bayer_model.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "model/edge_model.h"
#include "model/pixel_ops.h"

namespace pplcam::model {
namespace {

using Plane8 = std::vector<std::vector<uint8_t>>;   // [row][column]

// Sum of three products and an addend, wrapped to 16 bits, shifted right by 6.
int matrix_row(const int16_t* k, int r, int g, int b, int add) {
  return static_cast<int16_t>(k[0] * r + k[1] * g + k[2] * b + add) >> 6;
}

// A demosaiced picture, row-major.
struct Picture {
  int w;
  std::vector<Rgb8> px;
  const Rgb8& at(int y, int x) const { return px[static_cast<size_t>(y) * w + x]; }
};

Picture demosaic(const uint8_t* src, int pitch, int w, int h, bool cells) {
  Picture p{w, std::vector<Rgb8>(static_cast<size_t>(w) * h)};
  const Mosaic mosaic{src, pitch, w, h};   // neighbours reflected at the borders
  auto at = [&](int y, int x) { return mosaic.at(y, x); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgb8& o = p.px[static_cast<size_t>(y) * w + x];
      if (cells) {
        const int cy = y & ~1, cx = x & ~1;
        const int b = at(cy, cx), gb = at(cy, cx + 1), gr = at(cy + 1, cx), r = at(cy + 1, cx + 1);
        const int g = (y & 1) == (x & 1) ? avg_u8(gb, gr) : (y & 1) ? gr : gb;
        o = {uint8_t(r), uint8_t(g), uint8_t(b)};
        continue;
      }
      const int m = at(y, x);
      auto vert = [&](int xx) { return avg_u8(at(y - 1, xx), at(y + 1, xx)); };
      const int hor = avg_u8(at(y, x - 1), at(y, x + 1));
      const int v = vert(x), v_lr = avg_u8(vert(x - 1), vert(x + 1));
      int r, g = m, b;
      if ((y & 1) == 0 && (x & 1) == 0) r = v_lr, g = avg_u8(hor, v), b = m;   // B
      else if ((y & 1) == 0) r = v, b = hor;                                   // Gb
      else if ((x & 1) == 0) r = hor, b = v;                                   // Gr
      else r = m, g = avg_u8(hor, v), b = v_lr;                                // R
      o = {uint8_t(r), uint8_t(g), uint8_t(b)};
    }
  return p;
}

uint8_t luma(const BayerControls& k, const Rgb8& p) {
  const int y = std::clamp(matrix_row(k.c_ycc, p.r, p.g, p.b, k.o_ycc), 0, 255);
  return static_cast<uint8_t>(std::min(y, 219) + 16);
}
uint8_t chroma(const BayerControls& k, const Rgb8& p, int row) {
  const int c = std::clamp(matrix_row(k.c_ycc + 3 * row, p.r, p.g, p.b, 32), -128, 127);
  return static_cast<uint8_t>(std::clamp(c, -112, 112) + 128);
}
uint8_t rgb_channel(const BayerControls& k, const Rgb8& p, int row) {
  return static_cast<uint8_t>(std::clamp(matrix_row(k.c_rgb + 3 * row, p.r, p.g, p.b, k.o_rgb), 0, 255));
}

// Twice the bytes of an output pixel, indexed by BayerOutput: I420 3,
// YUYV and UYVY 4, RGB24 6, RGB32 8. Halved (rounding down): the bytes per
// pixel of the main plane, 1 for I420's luma.
int bytes_x2(BayerOutput format) {
  constexpr int kBytesX2[] = {3, 4, 4, 6, 8};
  return kBytesX2[static_cast<int>(format)];
}

// Where picture pixel (x, y) of a w x h plane with `bpp` bytes lies.
struct Layout {
  uint8_t* base;
  int w, h, bpp;
  bool flip_x, flip_y;
  uint8_t* at(int x, int y) const {
    const int mx = flip_x ? w - 1 - x : x, my = flip_y ? h - 1 - y : y;
    return base + (static_cast<size_t>(my) * w + mx) * bpp;
  }
};

// The doubled row: interpolated value before the converted one (or, with
// `forward`, the interpolation with the next value).
std::vector<uint8_t> double_row(const std::vector<uint8_t>& p, bool forward) {
  const int n = static_cast<int>(p.size());
  std::vector<uint8_t> out(2 * n);
  for (int k = 0; k < n; ++k) {
    out[2 * k] = forward ? avg_u8(p[k], p[std::min(k + 1, n - 1)]) : avg_u8(p[std::max(k - 1, 0)], p[k]);
    out[2 * k + 1] = p[k];
  }
  return out;
}

// A plane doubled in both directions. `shifted`: doubled row r at row 2r+1,
// rows 2r the average with the row above, row 0 a copy of row 1; otherwise
// doubled row r at 2r, rows 2r+1 the average with the row below, the last
// row a copy of the one above.
Plane8 double_plane(const Plane8& p, bool forward, bool shifted) {
  const int n = static_cast<int>(p.size());
  Plane8 d(n);
  for (int r = 0; r < n; ++r) d[r] = double_row(p[r], forward);
  Plane8 out(2 * n);
  auto mean = [](const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::vector<uint8_t> m(a.size());
    for (size_t i = 0; i < a.size(); ++i) m[i] = avg_u8(a[i], b[i]);
    return m;
  };
  for (int r = 0; r < n; ++r) {
    if (shifted) {
      out[2 * r + 1] = d[r];
      out[2 * r] = r == 0 ? d[0] : mean(d[r - 1], d[r]);
    } else {
      out[2 * r] = d[r];
      out[2 * r + 1] = r + 1 < n ? mean(d[r], d[r + 1]) : d[r];
    }
  }
  return out;
}

void raw(const BayerFrame& f, const uint8_t* src, uint8_t* dst, uint32_t* marker) {
  const int w = f.width, h = f.height, d = f.decimation;
  const int bpp = bytes_x2(f.format) / 2;
  const bool i420 = bpp == 1, rgb24 = bpp == 3;
  const int s_at = f.format == BayerOutput::kUyvy ? 1 : 0;   // the sample's byte of a pixel
  // Mode 0 takes every sample, mode 1 every other one of every other row
  // (none into RGB24); the other modes write no picture.
  const int step = d == 0 ? 1 : d == 1 && !rgb24 ? 2 : 0;
  const Layout rgb_rows{dst, f.out_width, f.out_height, bpp, false, true};   // bottom-up
  for (int y = 0; step && y < h / step; ++y)
    for (int x = 0; x < w / step; ++x) {
      const uint8_t s = src[step * (y * w + x) + (step == 2 ? s_at : 0)];
      const size_t at = static_cast<size_t>(y) * (w / step) + x;
      if (i420) {
        dst[at] = s;
      } else if (bpp == 2) {
        dst[2 * at + s_at] = s, dst[2 * at + 1 - s_at] = 128;
      } else {
        uint8_t* o = rgb_rows.at(x, y);
        o[0] = o[1] = o[2] = s;
        if (bpp == 4) o[3] = 0;
      }
    }
  if (!i420) return;
  const size_t out_px = static_cast<size_t>(f.out_width) * f.out_height;
  if (step) std::memset(dst + out_px, 128, out_px / 2);
  const int cw = f.out_width / 10, ch = f.out_height / 12;
  if (cw % f.marker_group == 0) {
    uint8_t* v = dst + out_px + out_px / 4;
    const int col = *marker % 5, row = *marker / 5;
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) v[(row * ch + y) * (f.out_width / 2) + col * cw + x] = 255;
    *marker = (*marker + 1) % 30;
  }
}

}  // namespace

void condition(const BayerControls& k, uint8_t* src, int pitch, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t& s = src[y * pitch + x];
      const int colour = 2 * (y & 1) + (x & 1);
      const int scaled = (s * k.gain[colour]) >> 5;
      const int sum = static_cast<int16_t>(scaled + k.delta[colour]);
      s = k.gamma[std::clamp(sum, 0, 255)];
    }
}

size_t output_bytes(BayerOutput format, int out_width, int out_height) {
  return static_cast<size_t>(out_width) * out_height * bytes_x2(format) / 2;
}

void convert(const BayerControls& k, const BayerFrame& f, uint8_t* src, uint8_t* dst,
             uint32_t* marker) {
  if (f.quality > 3 || f.quality < 0) {
    raw(f, src, dst, marker);
    return;
  }
  const int w = f.width / 8 * 8, h = f.height / 2 * 2;
  if (w == 0 || h == 0) return;
  condition(k, src, f.width, w, h);
  const bool cells = f.quality == 3;
  const Picture p = f.quality <= 1 ? Picture{w, edge_demosaic(Mosaic{src, f.width, w, h})}
                                   : demosaic(src, f.width, w, h, cells);
  const int bpp = bytes_x2(f.format) / 2;
  const bool i420 = bpp == 1, rgb = bpp >= 3;
  // Quality 0 sharpens the luma of the whole picture: the studio luma of
  // the YUV outputs, or the full-range luma of the RGB outputs, which then
  // goes back to R, G, B through the fixed YUV-to-RGB step.
  std::vector<uint8_t> sharp_luma;
  std::vector<Rgb8> sharp_rgb;
  if (f.quality == 0) {
    std::vector<uint8_t> y_plane(p.px.size());
    std::vector<FullYuv> full(p.px.size());
    for (size_t i = 0; i < p.px.size(); ++i) {
      const Rgb8& s = p.px[i];
      full[i] = full_range_yuv(k.c_yuv, k.o_yuv, s.r, s.g, s.b);
      y_plane[i] = rgb ? full[i].y : luma(k, s);
    }
    sharp_luma = sharpen_luma(y_plane, w, h, k.edge_threshold, k.edge_factor);
    for (size_t i = 0; rgb && i < y_plane.size(); ++i)
      sharp_rgb.push_back(fixed_yuv_to_rgb(sharp_luma[i], full[i].u, full[i].v));
  }
  auto luma_at = [&](int y, int x) { return f.quality == 0 ? sharp_luma[y * w + x] : luma(k, p.at(y, x)); };
  auto rgb_at = [&](int y, int x, int ch) {
    if (f.quality != 0) return rgb_channel(k, p.at(y, x), ch);
    const Rgb8& c = sharp_rgb[y * w + x];
    return ch == 0 ? c.r : ch == 1 ? c.g : c.b;
  };
  // Chroma of the pixel pair starting at (x, y), x even: per pixel on the
  // bilinear walk, per cell on the cell walk.
  auto chroma_at = [&](int y, int x, int row) { return chroma(k, p.at(cells ? y & ~1 : y, x), row); };

  const int d = f.decimation;
  const Layout main{dst, f.out_width, f.out_height, bpp, f.h_mirror, f.v_mirror != rgb};
  const size_t out_px = static_cast<size_t>(f.out_width) * f.out_height;

  // The picture of the mode as planes: channel 0..2 = Y, U, V (I420: U and
  // V at half size; 4:2:2: one U, V per pixel pair) or R, G, B, taken every
  // `step` pixels; 1:2 doubles the full-size planes afterwards.
  Plane8 ch[3];
  const int step = d > 0 ? 1 << d : 1, bw = w / step, bh = h / step;
  for (int y = 0; y < bh; ++y)
    for (int i = 0; i < (rgb ? 3 : 1); ++i) {
      std::vector<uint8_t> row(bw);
      for (int x = 0; x < bw; ++x) row[x] = rgb ? rgb_at(y * step, x * step, i) : luma_at(y * step, x * step);
      ch[i].push_back(row);
    }
  if (!rgb) {
    // I420 chroma row r from source row 2 * (r * step + offset), where the
    // thinned modes take the bilinear walk's odd row pairs.
    const int offset = d > 0 && !cells ? 1 : 0;
    for (int r = 0; r < (i420 ? bh / 2 : bh); ++r) {
      const int sy = i420 ? 2 * (r * step + offset) : r * step;
      std::vector<uint8_t> u(bw / 2), v(bw / 2);
      for (int m = 0; m < bw / 2; ++m) u[m] = chroma_at(sy, 2 * m * step, 1), v[m] = chroma_at(sy, 2 * m * step, 2);
      ch[1].push_back(u), ch[2].push_back(v);
    }
  }
  if (d < 0) {
    const bool forward = bpp == 3 && f.h_mirror, shifted = bpp == 3 && cells;
    for (int i = 0; i < 3; ++i)
      if (!ch[i].empty()) ch[i] = double_plane(ch[i], i == 0 || rgb ? forward : false, shifted);
  }
  const int pw = d < 0 ? 2 * bw : bw, ph = d < 0 ? 2 * bh : bh;

  // Placement.
  for (int y = 0; y < ph; ++y) {
    if (i420) {
      for (int x = 0; x < pw; ++x) *main.at(x, y) = ch[0][y][x];
    } else if (rgb) {
      for (int x = 0; x < pw; ++x) {
        uint8_t* o = main.at(x, y);
        o[0] = ch[2][y][x], o[1] = ch[1][y][x], o[2] = ch[0][y][x];
        if (bpp == 4) o[3] = 0;
      }
    } else {
      for (int m = 0; m < pw / 2; ++m) {
        // The pixel of the pair at the lower address comes first.
        const bool swap = f.h_mirror;
        uint8_t* o = main.at(swap ? 2 * m + 1 : 2 * m, y);
        const uint8_t y0 = ch[0][y][swap ? 2 * m + 1 : 2 * m], y1 = ch[0][y][swap ? 2 * m : 2 * m + 1];
        if (f.format == BayerOutput::kYuyv) o[0] = y0, o[1] = ch[1][y][m], o[2] = y1, o[3] = ch[2][y][m];
        else o[0] = ch[1][y][m], o[1] = y0, o[2] = ch[2][y][m], o[3] = y1;
      }
    }
  }
  // I420 chroma: the U plane, then the V plane.
  for (int i = 1; i420 && i <= 2; ++i) {
    const Layout plane{dst + out_px + (i - 1) * (out_px / 4), f.out_width / 2, f.out_height / 2, 1, f.h_mirror,
                       f.v_mirror};
    for (int y = 0; y < static_cast<int>(ch[i].size()); ++y)
      for (int x = 0; x < static_cast<int>(ch[i][y].size()); ++x) *plane.at(x, y) = ch[i][y][x];
  }
}

}  // namespace pplcam::model
