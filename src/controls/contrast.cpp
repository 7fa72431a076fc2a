// The contrast curve and the two contrast-gamma composites.
//
// The curve is a polyline through (0, 0), (x, y), (255 - x, 255 - y) and
// (255, 255), evaluated in 4 fraction bits with slopes in 12 fraction bits
// so that it matches the luma gain that the contrast level puts into the
// colour matrices.
#include <cstring>

#include "controls/defaults.h"
#include "controls/tone.h"
#include "core/context.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

// 32-bit wrapping arithmetic: y is not range-checked, and a far-out y must
// give a (meaningless) curve rather than undefined behaviour.
int32_t wadd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
int32_t wsub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
int32_t wmul(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
int32_t sdiv(int32_t a, int32_t b) { return (a == INT32_MIN && b == -1) ? a : a / b; }

void build_contrast_curve(ppl_context* c, int32_t x, int32_t y) {
  uint8_t* out = c->contrast_table;
  if (x == 0) {
    // One line from (0, y) to (255, 255 - y).
    const int32_t s = sdiv(wmul(wsub(wmul(16, wsub(255, y)), wmul(16, y)), 4096), 4080);
    for (int32_t i = 0; i < 256; ++i) out[i] = static_cast<uint8_t>(wadd(wmul(16 * i, s) >> 12, wmul(16, y)) >> 4);
    return;
  }
  const int32_t px[4] = {0, 16 * x, 16 * (255 - x), 16 * 255};
  const int32_t py[4] = {0, wmul(16, y), wmul(16, wsub(255, y)), 16 * 255};
  int32_t slope[4] = {};
  for (int k = 1; k < 4; ++k) slope[k] = sdiv(wmul(wsub(py[k], py[k - 1]), 4096), px[k] - px[k - 1]);
  for (int32_t i = 0; i < 256; ++i) {
    int k = 1;
    while (k < 3 && 16 * i > px[k]) ++k;
    out[i] = static_cast<uint8_t>(wadd(wmul(16 * i - px[k - 1], slope[k]) >> 12, py[k - 1]) >> 4);
  }
}

}  // namespace

void recompute_contrast_gamma(ppl_context* c) {
  for (int i = 0; i < 256; ++i) {
    c->yuv_contrast_gamma[i] = c->yuv_gamma[c->contrast_table[i]];
    c->rgb_contrast_gamma[i] = c->rgb_gamma[c->contrast_table[i]];
  }
}

}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_set_contrast_xy(ppl_context* c, int32_t x, int32_t y) {
  if (static_cast<uint32_t>(x) > 127) return 0;
  c->contrast_x = x;
  c->contrast_y = y;
  build_contrast_curve(c, x, y);
  recompute_contrast_gamma(c);
  // The matrices pick up the luma gain of the stored contrast level.
  return ppl_set_sat_hue(c, c->sat, c->hue_degree);
}

uint8_t PPLCALL ppl_set_contrast_c(ppl_context* c, int32_t level, uint32_t* out_x, uint32_t* out_y) {
  if (level < -127 || level > 127) return 0;
  const int32_t x = level >= 0 ? level : 0;
  const int32_t y = level < 0 ? -level : 0;
  if (out_x) *out_x = static_cast<uint32_t>(x);
  if (out_y) *out_y = static_cast<uint32_t>(y);
  c->contrast_c = level;
  return ppl_set_contrast_xy(c, x, y);
}

uint8_t PPLCALL ppl_reset_contrast(ppl_context* c) {
  return ppl_set_contrast_c(c, control_defaults::kContrast, nullptr, nullptr);
}

uint8_t PPLCALL ppl_copy_contrast_table(ppl_context* c, const uint8_t* src) {
  if (!src) return 0;
  std::memcpy(c->contrast_table, src, 256);
  recompute_contrast_gamma(c);
  return 1;
}

const uint8_t* PPLCALL ppl_contrast_table(ppl_context* c) { return c->contrast_table; }
const uint8_t* PPLCALL ppl_yuv_contrast_gamma_table(ppl_context* c) { return c->yuv_contrast_gamma; }
const uint8_t* PPLCALL ppl_rgb_contrast_gamma_table(ppl_context* c) { return c->rgb_contrast_gamma; }

}  // extern "C"
