#include "bayer/raw_passthrough.h"

#include <cstring>

namespace pplcam {
namespace {

// A block of 255 in the V plane, one cell of a 5 x 6 grid further per
// frame, so that a viewer can tell a raw frame at a glance.
void draw_marker(const ppl_context* c, uint8_t* dst, int32_t group_bytes, uint32_t* marker_cell) {
  const int32_t cell_w = c->out_width / 10;
  if (cell_w % group_bytes != 0) return;
  const int32_t cell_h = c->out_height / 12;
  const int32_t pitch = c->out_width / 2;
  uint8_t* v_plane = dst + c->out_pixels + c->out_quarter;
  const uint32_t m = *marker_cell % 30;
  const int32_t col = static_cast<int32_t>(m % 5), row = static_cast<int32_t>(m / 5);
  for (int32_t line = 0; line < cell_h; ++line)
    std::memset(v_plane + static_cast<ptrdiff_t>(row * cell_h + line) * pitch + col * cell_w, 255,
                static_cast<size_t>(cell_w));
  *marker_cell = (m + 1) % 30;
}

void raw_i420(const ppl_context* c, const uint8_t* src, uint8_t* dst) {
  const int32_t w = c->in_width, h = c->in_height, d = c->decimation;
  if (d == 0) {
    std::memcpy(dst, src, static_cast<size_t>(w) * static_cast<size_t>(h));
  } else if (d == 1) {
    for (int32_t i = 0; i < h / 2; ++i) {
      const uint8_t* s = src + static_cast<ptrdiff_t>(2 * i) * w;
      uint8_t* o = dst + static_cast<ptrdiff_t>(i) * (w / 2);
      for (int32_t j = 0; j < w / 2; ++j) o[j] = s[2 * j];
    }
  } else {
    return;
  }
  std::memset(dst + c->out_pixels, 128, c->out_pixels / 2);
}

// YUYV puts the sample first and 128 second, UYVY the other way round; in
// 2:1 mode YUYV keeps the even columns and UYVY the odd ones.
void raw_422(const ppl_context* c, bool uyvy, const uint8_t* src, uint8_t* dst) {
  const int32_t w = c->in_width, h = c->in_height, d = c->decimation;
  const int s_at = uyvy ? 1 : 0;
  if (d == 0) {
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t i = 0; i < n; ++i) {
      dst[2 * i + s_at] = src[i];
      dst[2 * i + 1 - s_at] = 128;
    }
  } else if (d == 1) {
    for (int32_t i = 0; i < h / 2; ++i) {
      const uint8_t* s = src + static_cast<ptrdiff_t>(2 * i) * w + s_at;
      uint8_t* o = dst + static_cast<ptrdiff_t>(i) * (w / 2) * 2;
      for (int32_t j = 0; j < w / 2; ++j) {
        o[2 * j + s_at] = s[2 * j];
        o[2 * j + 1 - s_at] = 128;
      }
    }
  }
}

// Grey pixels, bottom-up: picture row i in buffer row out_height - 1 - i.
void raw_rgb(const ppl_context* c, int32_t bpp, const uint8_t* src, uint8_t* dst) {
  const int32_t w = c->in_width, h = c->in_height, d = c->decimation;
  int32_t rows, cols, row_step, col_step;
  if (d == 0) {
    rows = h, cols = w, row_step = 1, col_step = 1;
  } else if (d == 1 && bpp == 4) {
    rows = h / 2, cols = w / 2, row_step = 2, col_step = 2;
  } else {
    return;
  }
  const ptrdiff_t out_row = static_cast<ptrdiff_t>(c->out_width) * bpp;
  for (int32_t i = 0; i < rows; ++i) {
    const uint8_t* s = src + static_cast<ptrdiff_t>(i) * row_step * w;
    uint8_t* o = dst + (c->out_height - 1 - i) * out_row;
    for (int32_t j = 0; j < cols; ++j) {
      const uint8_t v = s[j * col_step];
      o[bpp * j] = v;
      o[bpp * j + 1] = v;
      o[bpp * j + 2] = v;
      if (bpp == 4) o[bpp * j + 3] = 0;
    }
  }
}

}  // namespace

void raw_passthrough(const ppl_context* c, BayerOutput out, const uint8_t* src, uint8_t* dst,
                     int32_t group_bytes, uint32_t* marker_cell) {
  switch (out) {
    case BayerOutput::kI420:
      raw_i420(c, src, dst);
      draw_marker(c, dst, group_bytes, marker_cell);
      break;
    case BayerOutput::kYuyv:
      raw_422(c, false, src, dst);
      break;
    case BayerOutput::kUyvy:
      raw_422(c, true, src, dst);
      break;
    case BayerOutput::kRgb24:
      raw_rgb(c, 3, src, dst);
      break;
    case BayerOutput::kRgb32:
      raw_rgb(c, 4, src, dst);
      break;
  }
}

}  // namespace pplcam
