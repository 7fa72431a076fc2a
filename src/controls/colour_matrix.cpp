#include "controls/colour_matrix.h"

#include "controls/packing.h"
#include "core/path_build.h"

namespace pplcam {
namespace {

int16_t clamp_coefficient(int32_t q) { return static_cast<int16_t>(q > 255 ? 255 : q < -256 ? -256 : q); }

// Adjustment indices in the context: adjust[0] P_rgb, [1] P_yuv, [2] P_ycc.
constexpr int kAdjRgb = 0, kAdjYuv = 1, kAdjYcc = 2;

// Element (i, j) of P x M: nf88 x nf88 = 16 fraction bits, summed in
// wrapping 32-bit arithmetic with no overflow check: the clamp below is the
// only range guard, so extreme matrices wrap rather than saturate.
int32_t product(const int32_t p[9], const int32_t m[9], int i, int j) {
  uint32_t s = 0;
  for (int k = 0; k < 3; ++k)
    s += static_cast<uint32_t>(p[3 * i + k]) * static_cast<uint32_t>(m[3 * k + j]);
  return static_cast<int32_t>(s);
}

int32_t wrap_add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

ColourWords compute_colour_words(const ppl_context* c) {
  ColourWords w;
  const int32_t* m = c->sensor_matrix;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int32_t s_rgb = product(c->adjust[kAdjRgb], m, i, j);
      // RGB: round to 8 fraction bits, then to 6.
      w.c_rgb[3 * i + j] = clamp_coefficient(wrap_add(wrap_add(s_rgb, 128) >> 8, 2) >> 2);
      w.c_yuv[3 * i + j] = clamp_coefficient(wrap_add(product(c->adjust[kAdjYuv], m, i, j), 512) >> 10);
      w.c_ycc[3 * i + j] = clamp_coefficient(wrap_add(product(c->adjust[kAdjYcc], m, i, j), 512) >> 10);
    }
  }
  // 6 fraction bits, with the rounding half (32) of the kernels' final
  // shift by 6 folded in.
  for (int k = 0; k < 3; ++k)
    w.offset[k] = low16(wrap_add(wrap_add(c->adjust_offset[k], 2) >> 2, 32));
  return w;
}

namespace {

// The packed matrices of one column-group width; always succeeds.
template <int Bytes>
bool build_colour_matrices(ppl_context* c) {
  const ColourWords w = compute_colour_words(c);
  GroupConstants<Bytes>& k = group_constants<Bytes>(c);
  for (int i = 0; i < 9; ++i) {
    pack_all16(k.c_rgb[i], w.c_rgb[i]);
    pack_all16(k.c_yuv[i], w.c_yuv[i]);
    pack_all16(k.c_ycc[i], w.c_ycc[i]);
  }
  for (int i = 0; i < 3; ++i) pack_all16(k.matrix_offset[i], w.offset[i]);
  return true;
}

}  // namespace

uint8_t rebuild_colour_matrices(ppl_context* c, uint8_t if_bracket_fails) {
  return build_for_groups(if_bracket_fails,
                         [c](auto tag) { return build_colour_matrices<decltype(tag)::kGroup>(c); });
}

}  // namespace pplcam
