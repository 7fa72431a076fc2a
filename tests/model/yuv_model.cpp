#include "model/yuv_model.h"

#include <algorithm>

namespace pplcam::model {
namespace {

// Byte offset of pixel i (0..15) of a 24-byte YUYVYYYY unit.
int yyyy_luma_offset(int i) {
  if (i < 4) return 2 * i;
  if (i < 8) return 8 + (i - 4);
  if (i < 12) return 12 + 2 * (i - 8);
  return 20 + (i - 12);
}

// Byte offset of the chroma of pixel pair k (0..7) of a unit.
int yyyy_chroma_offset(int k) { return k < 4 ? 2 * k + 1 : 13 + 2 * (k - 4); }

int clamp255(int v) { return std::min(255, std::max(0, v)); }

// Arithmetic shift right, rounding toward minus infinity.
int asr(int v, int n) { return v >= 0 ? v >> n : -((-v + (1 << n) - 1) >> n); }

}  // namespace

int model_luma(YuvInput in, const uint8_t* src, int width, int line, int x) {
  switch (in) {
    case YuvInput::kYuyv:
      return src[static_cast<long>(line) * 2 * width + 2 * x];
    case YuvInput::kUyvy:
      return src[static_cast<long>(line) * 2 * width + 2 * x + 1];
    case YuvInput::kYyyy:
      return src[static_cast<long>(line) * width * 3 / 2 + x / 16 * 24 + yyyy_luma_offset(x % 16)];
  }
  return 0;
}

int model_chroma(YuvInput in, const uint8_t* src, int width, int line, int j, int component) {
  switch (in) {
    case YuvInput::kYuyv:
      return src[static_cast<long>(line) * 2 * width + 4 * j + 1 + 2 * component];
    case YuvInput::kUyvy:
      return src[static_cast<long>(line) * 2 * width + 4 * j + 2 * component];
    case YuvInput::kYyyy:
      return src[static_cast<long>(line) * width * 3 / 2 + j / 8 * 24 + yyyy_chroma_offset(j % 8)];
  }
  return 0;
}

void model_to_i420(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst) {
  const int w = g.in_width, ow = g.out_width, oh = g.out_height;
  uint8_t* u_plane = dst + static_cast<long>(ow) * oh;
  uint8_t* v_plane = u_plane + static_cast<long>(ow) * oh / 4;
  for (int r = 0; r < g.in_height / 2 * 2; ++r) {
    const int out_r = g.v_mirror ? oh - 1 - r : r;
    for (int x = 0; x < w; ++x) {
      const int out_x = g.h_mirror ? ow - 1 - x : x;
      dst[static_cast<long>(out_r) * ow + out_x] = static_cast<uint8_t>(model_luma(in, src, w, r, x));
    }
  }
  for (int k = 0; k < g.in_height / 2; ++k) {
    const int out_k = g.v_mirror ? oh / 2 - 1 - k : k;
    for (int j = 0; j < w / 2; ++j) {
      const int out_j = g.h_mirror ? ow / 2 - 1 - j : j;
      int u, v;
      if (in == YuvInput::kYyyy) {
        u = model_chroma(in, src, w, 2 * k, j, 0);
        v = model_chroma(in, src, w, 2 * k + 1, j, 0);
      } else {
        u = (model_chroma(in, src, w, 2 * k, j, 0) + model_chroma(in, src, w, 2 * k + 1, j, 0) + 1) >> 1;
        v = (model_chroma(in, src, w, 2 * k, j, 1) + model_chroma(in, src, w, 2 * k + 1, j, 1) + 1) >> 1;
      }
      const long at = static_cast<long>(out_k) * (ow / 2) + out_j;
      u_plane[at] = static_cast<uint8_t>(u);
      v_plane[at] = static_cast<uint8_t>(v);
    }
  }
}

Bgr model_bgr(int y, int u, int v) {
  const int luma = 74 * std::max(y - 16, 0);
  const int cu = u - 128, cv = v - 128;
  Bgr p;
  p.r = static_cast<uint8_t>(clamp255(asr(luma + 102 * cv, 6)));
  p.g = static_cast<uint8_t>(clamp255(asr(luma - 25 * cu - 52 * cv, 6)));
  p.b = static_cast<uint8_t>(clamp255(asr(luma + 129 * cu, 6)));
  return p;
}

void model_to_rgb24(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst) {
  const int w = g.in_width;
  for (int r = 0; r < g.in_height / 2 * 2; ++r) {
    uint8_t* row = dst + static_cast<long>(g.out_height - 1 - r) * g.out_width * 3;
    for (int x = 0; x < w; ++x) {
      const Bgr p = model_bgr(model_luma(in, src, w, r, x), model_chroma(in, src, w, r, x / 2, 0),
                              model_chroma(in, src, w, r, x / 2, 1));
      row[3 * x] = p.b;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.r;
    }
  }
}

}  // namespace pplcam::model
