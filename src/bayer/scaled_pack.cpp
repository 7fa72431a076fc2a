#include "bayer/scaled_pack.h"

namespace pplcam {
namespace {

inline uint8_t avg(uint8_t a, uint8_t b) { return static_cast<uint8_t>((a + b + 1) >> 1); }

inline uint8_t limit_chroma(uint8_t c) {
  const int s = static_cast<int8_t>(c);
  return static_cast<uint8_t>((s < -112 ? -112 : s > 112 ? 112 : s) + 128);
}

// One row of converted values in a ring.
struct RingRow {
  const uint8_t* ring;
  uint32_t index;
  uint32_t mask;
  uint8_t operator[](int32_t x) const { return ring[(index + static_cast<uint32_t>(x)) & mask]; }
};

bool is_rgb(BayerOutput f) { return f == BayerOutput::kRgb24 || f == BayerOutput::kRgb32; }
int32_t bytes_per_pixel(BayerOutput f) {
  return f == BayerOutput::kRgb24 ? 3 : f == BayerOutput::kRgb32 ? 4 : 2;
}

// Writes picture pixel x of row y of a packed RGB plane.
void put_rgb(const ScaledFrame& f, int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
  uint8_t* p = pixel_at(f.main, x, y);
  p[0] = b;
  p[1] = g;
  p[2] = r;
  if (f.format == BayerOutput::kRgb32) p[3] = 0;
}

// Writes the pixel pair (2m, 2m + 1) of a 4:2:2 row: the pixel at the lower
// address comes first, so with the mirror the pair reads Y(2m+1) U Y(2m) V.
void put_pair(const ScaledFrame& f, int32_t m, int32_t y, uint8_t y_even, uint8_t y_odd, uint8_t u,
              uint8_t v) {
  const bool mirror = mirrored(f.main);
  uint8_t* p = pixel_at(f.main, mirror ? 2 * m + 1 : 2 * m, y);
  const uint8_t first = mirror ? y_odd : y_even, second = mirror ? y_even : y_odd;
  if (f.format == BayerOutput::kUyvy) {
    p[0] = u, p[1] = first, p[2] = v, p[3] = second;
  } else {
    p[0] = first, p[1] = u, p[2] = second, p[3] = v;
  }
}

// ---------------------------------------------------------- 2:1 and 4:1

// Mode d keeps every (2^d)-th column of every (2^d)-th source row; output
// row i comes from the first row of row pair i * 2^(d-1). I420 chroma row
// kc comes from row pair kc * 2^d (cell walk) or kc * 2^d + 1 (bilinear),
// at every (2^(d+1))-th column.
void pack_thinned(const ScaledFrame& f, int32_t k, uint32_t index) {
  const int32_t d = f.decimation, step = 1 << d;
  const int32_t out_w = f.width >> d, out_h = f.height >> d;
  const int32_t pairs_per_row = step / 2;
  const bool row_here = k % pairs_per_row == 0 && k / pairs_per_row < out_h;
  const int32_t i = k / pairs_per_row;

  if (is_rgb(f.format)) {
    if (!row_here) return;
    const RingRow r{f.ring[kPlaneRing1], index, f.ring_mask}, g{f.ring[kPlaneRing2], index, f.ring_mask},
        b{f.ring[kPlaneRing3], index, f.ring_mask};
    for (int32_t j = 0; j < out_w; ++j) put_rgb(f, j, i, r[j * step], g[j * step], b[j * step]);
    return;
  }

  const RingRow luma{f.ring[kLumaRing], index, f.ring_mask}, chroma{f.ring[kPlaneRing2], index, f.ring_mask};
  if (f.format == BayerOutput::kI420) {
    if (row_here)
      for (int32_t j = 0; j < out_w; ++j) *pixel_at(f.main, j, i) = luma[j * step];
    const int32_t first = f.cell_quality ? 0 : 1;
    if (k >= first && (k - first) % step == 0) {
      const int32_t kc = (k - first) / step;
      if (kc < out_h / 2) {
        for (int32_t l = 0; l < out_w / 2; ++l) {
          uint8_t* u = pixel_at(f.chroma, l, kc);
          u[0] = limit_chroma(chroma[2 * step * l]);
          u[f.quarter] = limit_chroma(chroma[2 * step * l + 1]);
        }
      }
    }
    return;
  }

  if (!row_here) return;
  for (int32_t m = 0; m < out_w / 2; ++m) {
    const int32_t x = 2 * step * m;
    put_pair(f, m, i, luma[x], luma[x + step], limit_chroma(chroma[x]), limit_chroma(chroma[x + 1]));
  }
}

// ------------------------------------------------------------------ 1:2

// The doubled row of n values p: the interpolated value comes before the
// converted one, h[2k] = avg(p[k-1], p[k]) with p[-1] = p[0], h[2k+1] = p[k].
// RGB24 under the horizontal mirror pairs each value with the one after
// it instead, h[2k] = avg(p[k], p[k+1]) with p[n] = p[n-1], so that in the
// mirrored (right-to-left) row the interpolated byte again follows the
// converted one in memory.
struct Doubler {
  int32_t n;
  bool forward;
  template <class Row>
  uint8_t operator()(const Row& p, int32_t x) const {
    const int32_t k = x >> 1;
    if (x & 1) return p[k];
    if (forward) return avg(p[k], p[k + 1 < n ? k + 1 : k]);
    return avg(p[k > 0 ? k - 1 : 0], p[k]);
  }
};

// A chroma row of a ring seen as one limited U or V value per pixel pair.
struct ChromaRow {
  RingRow ring;
  int32_t which;   // 0 = U, 1 = V
  uint8_t operator[](int32_t m) const { return limit_chroma(ring[2 * m + which]); }
};

// Picture row y of a plane becomes the byte average of rows y - 1 and y + 1
// (or, with `copy_from` set, a copy of that row) over `width` pixels.
void fill_row(const Plane& p, int32_t bpp, int32_t width, int32_t y, int32_t copy_from,
              int32_t extra_offset = -1) {
  for (int32_t x = 0; x < width; ++x) {
    uint8_t* out = pixel_at(p, x, y);
    if (copy_from >= 0) {
      const uint8_t* in = pixel_at(p, x, copy_from);
      for (int32_t b = 0; b < bpp; ++b) {
        out[b] = in[b];
        if (extra_offset >= 0) out[b + extra_offset] = in[b + extra_offset];
      }
    } else {
      const uint8_t* a = pixel_at(p, x, y - 1);
      const uint8_t* c = pixel_at(p, x, y + 1);
      for (int32_t b = 0; b < bpp; ++b) {
        out[b] = avg(a[b], c[b]);
        if (extra_offset >= 0) out[b + extra_offset] = avg(a[b + extra_offset], c[b + extra_offset]);
      }
    }
  }
}

// The RGB24 cell walk places the doubled row of source row r at picture row
// 2r + 1 and averages upwards; every other 1:2 picture has it at row 2r and
// averages downwards (see the header for the resulting pictures).
bool rows_shifted(const ScaledFrame& f) { return f.format == BayerOutput::kRgb24 && f.cell_quality; }

void fill_after_row(const ScaledFrame& f, const Plane& p, int32_t bpp, int32_t width, int32_t r,
                    int32_t extra_offset = -1) {
  if (rows_shifted(f)) {
    if (r == 0) fill_row(p, bpp, width, 0, 1, extra_offset);
    else fill_row(p, bpp, width, 2 * r, -1, extra_offset);
  } else if (r > 0) {
    fill_row(p, bpp, width, 2 * r - 1, -1, extra_offset);
  }
}

void pack_doubled_row(const ScaledFrame& f, int32_t r, uint32_t index) {
  const int32_t w = f.width, out_w = 2 * w;
  const int32_t y = rows_shifted(f) ? 2 * r + 1 : 2 * r;
  const bool rgb = is_rgb(f.format);
  const Doubler dbl{w, f.format == BayerOutput::kRgb24 && mirrored(f.main)};

  if (rgb) {
    const RingRow rr{f.ring[kPlaneRing1], index, f.ring_mask}, gg{f.ring[kPlaneRing2], index, f.ring_mask},
        bb{f.ring[kPlaneRing3], index, f.ring_mask};
    for (int32_t x = 0; x < out_w; ++x) put_rgb(f, x, y, dbl(rr, x), dbl(gg, x), dbl(bb, x));
    fill_after_row(f, f.main, bytes_per_pixel(f.format), out_w, r);
    return;
  }

  const RingRow luma{f.ring[kLumaRing], index, f.ring_mask};
  if (f.format == BayerOutput::kI420) {
    for (int32_t x = 0; x < out_w; ++x) *pixel_at(f.main, x, y) = dbl(luma, x);
    fill_after_row(f, f.main, 1, out_w, r);
    if (r % 2 == 0) {
      // Chroma row i of the full-size picture (one per row pair) doubled
      // the same way into chroma rows 2i and 2i + 1.
      const int32_t i = r / 2;
      const ChromaRow u{{f.ring[kPlaneRing2], index, f.ring_mask}, 0}, v{{f.ring[kPlaneRing2], index, f.ring_mask}, 1};
      const Doubler cdbl{w / 2, false};
      for (int32_t x = 0; x < w; ++x) {
        uint8_t* at = pixel_at(f.chroma, x, 2 * i);
        at[0] = cdbl(u, x);
        at[f.quarter] = cdbl(v, x);
      }
      if (i > 0) fill_row(f.chroma, 1, w, 2 * i - 1, -1, f.quarter);
    }
    return;
  }

  // YUYV / UYVY: w doubled chroma pairs per row.
  const ChromaRow u{{f.ring[kPlaneRing2], index, f.ring_mask}, 0}, v{{f.ring[kPlaneRing2], index, f.ring_mask}, 1};
  const Doubler cdbl{w / 2, false};
  for (int32_t m = 0; m < w; ++m)
    put_pair(f, m, y, dbl(luma, 2 * m), dbl(luma, 2 * m + 1), cdbl(u, m), cdbl(v, m));
  fill_after_row(f, f.main, 2, out_w, r);
}

}  // namespace

void pack_scaled_row_pair(const ScaledFrame& f, int32_t k, uint32_t index) {
  if (f.decimation > 0) {
    pack_thinned(f, k, index);
    return;
  }
  pack_doubled_row(f, 2 * k, index);
  pack_doubled_row(f, 2 * k + 1, index + static_cast<uint32_t>(f.width));
}

void pack_scaled_row(const ScaledFrame& f, int32_t r, uint32_t index) {
  if (f.decimation < 0) pack_doubled_row(f, r, index);
}

void finish_scaled_frame(const ScaledFrame& f) {
  if (f.decimation >= 0 || f.height < 2) return;
  const int32_t out_w = 2 * f.width, last = 2 * f.height - 1;
  if (!rows_shifted(f)) {
    const int32_t bpp = f.format == BayerOutput::kI420 ? 1 : bytes_per_pixel(f.format);
    fill_row(f.main, bpp, out_w, last, last - 1);
  }
  if (f.format == BayerOutput::kI420) {
    const int32_t chroma_last = f.height - 1;   // 2 x (height / 2) chroma rows
    fill_row(f.chroma, 1, f.width, chroma_last, chroma_last - 1, f.quarter);
  }
}

}  // namespace pplcam
