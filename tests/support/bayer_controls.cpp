#include "support/bayer_controls.h"

#include <cstring>
#include <random>

namespace pplcam::test {
namespace {

template <int Bytes>
void load_path(GroupConstants<Bytes>& p, const model::BayerControls& k) {
  for (int lane = 0; lane < Bytes / 2; ++lane) {
    for (int row = 0; row < 2; ++row) {
      p.gain[row].lane[lane] = static_cast<int16_t>(k.gain[2 * row + (lane & 1)]);
      p.delta[row].lane[lane] = k.delta[2 * row + (lane & 1)];
    }
    for (int i = 0; i < 9; ++i) {
      p.c_ycc[i].lane[lane] = k.c_ycc[i];
      p.c_rgb[i].lane[lane] = k.c_rgb[i];
      p.c_yuv[i].lane[lane] = k.c_yuv[i];
    }
    p.matrix_offset[1].lane[lane] = k.o_yuv;
    p.edge_threshold.lane[lane] = k.edge_threshold;
    p.edge_factor.lane[lane] = k.edge_factor;
    p.matrix_offset[0].lane[lane] = k.o_ycc;
    p.matrix_offset[2].lane[lane] = k.o_rgb;
  }
}

}  // namespace

model::BayerControls neutral_bayer_controls() {
  // Gains, offsets, C_ycc (studio BT.601), C_rgb, o_ycc, o_rgb, gamma,
  // C_yuv (full-range BT.601), o_yuv, sharpening threshold and factor.
  model::BayerControls k{{32, 32, 32, 32}, {0, 0, 0, 0}, {16, 32, 6, -9, -19, 28, 28, -24, -5},
                         {64, 0, 0, 0, 64, 0, 0, 0, 64}, 16 * 64 + 32, 32, {},
                         {19, 38, 7, -11, -21, 32, 32, -27, -5}, 32, 100, 8};
  for (int i = 0; i < 256; ++i) k.gamma[i] = static_cast<uint8_t>(i);
  return k;
}

model::BayerControls random_bayer_controls(uint32_t seed) {
  std::mt19937 rng(seed);
  auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  model::BayerControls k{};
  for (int i = 0; i < 4; ++i) {
    k.gain[i] = static_cast<uint16_t>(in(0, 255));
    // Mostly moderate offsets, now and then one that wraps the 16-bit sum.
    k.delta[i] = static_cast<int16_t>(in(0, 7) == 0 ? in(-32768, 32767) : in(-300, 300));
  }
  for (int i = 0; i < 9; ++i) {
    k.c_ycc[i] = static_cast<int16_t>(in(-256, 255));
    k.c_rgb[i] = static_cast<int16_t>(in(-256, 255));
  }
  k.o_ycc = static_cast<int16_t>(in(-32768, 32767));
  k.o_rgb = static_cast<int16_t>(in(-4096, 4096));
  for (int i = 0; i < 9; ++i) k.c_yuv[i] = static_cast<int16_t>(in(-256, 255));
  k.o_yuv = static_cast<int16_t>(in(-4096, 4096));
  // Thresholds across the range (0 sharpens every gradient, 1530 none) and
  // factors up to 1.0, whose 16-bit product wraps.
  k.edge_threshold = static_cast<int16_t>(in(0, 3) == 0 ? in(0, 1) * 1530 : in(0, 400));
  k.edge_factor = static_cast<int16_t>(in(0, 3) == 0 ? 64 : in(0, 64));
  for (int i = 0; i < 256; ++i) k.gamma[i] = static_cast<uint8_t>(in(0, 255));
  return k;
}

void load_bayer_controls(ppl_context* c, const model::BayerControls& k) {
  for_each_group([&](auto tag) { load_path(group_constants<decltype(tag)::kGroup>(c), k); });
  std::memcpy(c->rgb_gamma, k.gamma, 256);
}

}  // namespace pplcam::test
