// Gamma: the 65 stored settings and caller-supplied curves.
#include <cstring>

#include "controls/defaults.h"
#include "controls/tone.h"
#include "controls/tone_tables.h"
#include "core/context.h"
#include "pplcam/pplcam.h"

namespace pplcam {

#include "controls/gamma_tables.inc"

}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_set_gamma(ppl_context* c, int32_t setting) {
  if (setting < kGammaSettingMin || setting > kGammaSettingMax) return 0;
  const int index = setting - kGammaSettingMin;
  std::memcpy(c->yuv_gamma, kYuvGammaTables[index], 256);
  recompute_contrast_gamma(c);
  std::memcpy(c->rgb_gamma, kRgbGammaTables[index], 256);
  recompute_contrast_gamma(c);
  c->gamma_setting = setting;
  c->nf20_12_gamma = kGammaExponents[index];
  return 1;
}

void PPLCALL ppl_reset_gamma(ppl_context* c) { ppl_set_gamma(c, control_defaults::kGammaSetting); }

uint8_t PPLCALL ppl_copy_yuv_gamma_table(ppl_context* c, const uint8_t* src) {
  if (!src) return 0;
  std::memcpy(c->yuv_gamma, src, 256);
  recompute_contrast_gamma(c);
  c->nf20_12_gamma = 0;   // a free curve has no exponent
  return 1;
}

uint8_t PPLCALL ppl_copy_rgb_gamma_table(ppl_context* c, const uint8_t* src) {
  if (!src) return 0;
  std::memcpy(c->rgb_gamma, src, 256);
  recompute_contrast_gamma(c);
  c->nf20_12_gamma = 0;
  return 1;
}

const uint8_t* PPLCALL ppl_yuv_gamma_table(ppl_context* c) { return c->yuv_gamma; }
const uint8_t* PPLCALL ppl_rgb_gamma_table(ppl_context* c) { return c->rgb_gamma; }

int32_t PPLCALL ppl_nf20_12_gamma(ppl_context* c, int32_t* setting, int32_t* min, int32_t* max) {
  if (setting) *setting = c->gamma_setting;
  if (min) *min = kGammaSettingMin;
  if (max) *max = kGammaSettingMax;
  return c->nf20_12_gamma;
}

}  // extern "C"
