#include "model/yuv_model.h"

#include <algorithm>

namespace pplcam::model {
namespace {

// Byte of luma pixel x and of the chroma of pixel pair j (component 0 U,
// 1 V; YUYVYYYY lines carry one component) on one line.
int luma(YuvInput in, const uint8_t* line, int x) {
  static const int kUnitLuma[16] = {0, 2, 4, 6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 21, 22, 23};
  if (in == YuvInput::kYyyy) return line[x / 16 * 24 + kUnitLuma[x % 16]];
  return line[2 * x + (in == YuvInput::kUyvy ? 1 : 0)];
}
int chroma(YuvInput in, const uint8_t* line, int j, int component) {
  static const int kUnitChroma[8] = {1, 3, 5, 7, 13, 15, 17, 19};
  if (in == YuvInput::kYyyy) return line[j / 8 * 24 + kUnitChroma[j % 8]];
  return line[4 * j + 2 * component + (in == YuvInput::kYuyv ? 1 : 0)];
}

long line_bytes(YuvInput in, int width) { return in == YuvInput::kYyyy ? width * 3 / 2 : 2 * width; }

// Arithmetic shift right (rounds toward minus infinity), then clamp.
uint8_t shift_clamp(int v) {
  const int s = v >= 0 ? v >> 6 : -((-v + 63) >> 6);
  return static_cast<uint8_t>(std::min(255, std::max(0, s)));
}

}  // namespace

void model_to_i420(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst) {
  const long ow = g.out_width, oh = g.out_height, cw = ow / 2;
  uint8_t* u_plane = dst + ow * oh;
  uint8_t* v_plane = u_plane + ow * oh / 4;
  for (int k = 0; k < g.in_height / 2; ++k) {
    const uint8_t* l0 = src + 2 * k * line_bytes(in, g.in_width);
    const uint8_t* l1 = l0 + line_bytes(in, g.in_width);
    for (int r = 0; r < 2; ++r) {
      const long out_r = g.v_mirror ? oh - 1 - (2 * k + r) : 2 * k + r;
      for (int x = 0; x < g.in_width; ++x)
        dst[out_r * ow + (g.h_mirror ? ow - 1 - x : x)] = static_cast<uint8_t>(luma(in, r ? l1 : l0, x));
    }
    const long out_k = g.v_mirror ? oh / 2 - 1 - k : k;
    for (int j = 0; j < g.in_width / 2; ++j) {
      const long at = out_k * cw + (g.h_mirror ? cw - 1 - j : j);
      if (in == YuvInput::kYyyy) {
        u_plane[at] = static_cast<uint8_t>(chroma(in, l0, j, 0));
        v_plane[at] = static_cast<uint8_t>(chroma(in, l1, j, 0));
      } else {
        u_plane[at] = static_cast<uint8_t>((chroma(in, l0, j, 0) + chroma(in, l1, j, 0) + 1) >> 1);
        v_plane[at] = static_cast<uint8_t>((chroma(in, l0, j, 1) + chroma(in, l1, j, 1) + 1) >> 1);
      }
    }
  }
}

void model_to_rgb24(YuvInput in, const uint8_t* src, const YuvGeometry& g, uint8_t* dst) {
  for (int r = 0; r < g.in_height / 2 * 2; ++r) {
    const uint8_t* line = src + r * line_bytes(in, g.in_width);
    uint8_t* row = dst + static_cast<long>(g.out_height - 1 - r) * g.out_width * 3;
    for (int x = 0; x < g.in_width; ++x) {
      // Exact integer sums: where the 16-bit blue sum would overflow, the
      // exact one clamps to 255, as the saturating kernels do.
      const int y = 74 * std::max(luma(in, line, x) - 16, 0);
      const int u = chroma(in, line, x / 2, 0) - 128, v = chroma(in, line, x / 2, 1) - 128;
      row[3 * x] = shift_clamp(y + 129 * u);
      row[3 * x + 1] = shift_clamp(y - 25 * u - 52 * v);
      row[3 * x + 2] = shift_clamp(y + 102 * v);
    }
  }
}

}  // namespace pplcam::model
