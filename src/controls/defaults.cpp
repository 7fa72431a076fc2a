// ppl_init and ppl_reset_all_controls: a context from the pool with every
// control at its default (controls/defaults.h).
#include "controls/defaults.h"

#include <cstring>

#include "controls/tone.h"
#include "controls/tone_tables.h"
#include "core/geometry.h"
#include "core/lifecycle.h"
#include "pplcam/pplcam.h"

namespace pplcam {

using namespace control_defaults;

const uint8_t kIdentityTable[256] = {
#define PPL_ROW(b) b, b + 1, b + 2, b + 3, b + 4, b + 5, b + 6, b + 7
#define PPL_ROW64(b) PPL_ROW(b), PPL_ROW(b + 8), PPL_ROW(b + 16), PPL_ROW(b + 24), \
                     PPL_ROW(b + 32), PPL_ROW(b + 40), PPL_ROW(b + 48), PPL_ROW(b + 56)
    PPL_ROW64(0), PPL_ROW64(64), PPL_ROW64(128), PPL_ROW64(192)
#undef PPL_ROW64
#undef PPL_ROW
};

// Every control goes through its own setter (or reset) so that the packed
// constants of every column-group width are built exactly as a caller's
// call would build them; the order matters where one setter reads another's
// value (the colour matrices read contrast_c, the composites read both
// curves).
uint8_t set_default_controls(ppl_context* c) {
  ppl_set_decimation(c, 0, 0, 0);
  std::memcpy(c->dekneel[0], kIdentityTable, 256);
  c->quality = kQuality;
  c->mean_collection = kMeanCollection;
  c->P3_only = kP3Only;
  std::memcpy(c->dekneel[1], kIdentityTable, 256);
  std::memcpy(c->dekneel[2], kIdentityTable, 256);

  ppl_set_rgb_delta(c, kDelta, kDelta, kDelta);
  ppl_set_rgb_gain(c, kGain, kGain, kGain);
  ppl_copy_sensor_matrix(c, kSensorMatrix);
  ppl_set_quals_rgb_gain(c, kQualsGain, kQualsGain, kQualsGain);

  ppl_set_qual_BmGb_min_max(c, kQualDifferenceMin[kQualBmGb], kQualDifferenceMax[kQualBmGb]);
  ppl_set_qual_GrmR_min_max(c, kQualDifferenceMin[kQualGrmR], kQualDifferenceMax[kQualGrmR]);
  ppl_set_qual_BmGb_p_GrmR_min_max(c, kQualDifferenceMin[kQualBmGbPGrmR], kQualDifferenceMax[kQualBmGbPGrmR]);
  ppl_set_qual_BmGb_m_GrmR_min_max(c, kQualDifferenceMin[kQualBmGbMGrmR], kQualDifferenceMax[kQualBmGbMGrmR]);
  ppl_set_qual_RGB_min_max(c, kQualChannelMin, kQualChannelMax, kQualChannelMin, kQualChannelMax,
                           kQualChannelMin, kQualChannelMax);
  ppl_set_qAE_RGB_min_max(c, kQaeMin, kQaeMax);

  ppl_set_edge_threshold(c, kEdgeThreshold);
  ppl_reset_nf88_edge_enhance_factor(c);
  ppl_reset_intl_3T_threshold(c);

  // sat/hue first (with whatever contrast level the slot held), then the
  // neutral contrast, whose setter rebuilds the matrices with level 0.
  ppl_set_sat_hue(c, kSaturation, kHueDegree);
  ppl_reset_contrast(c);

  // The gamma setting's curves as ppl_set_gamma stores them, the YUV curve
  // first, each composite rebuilt after its curve.
  const int setting = kGammaSetting - kGammaSettingMin;
  std::memcpy(c->yuv_gamma, kYuvGammaTables[setting], 256);
  recompute_contrast_gamma(c);
  c->nf20_12_gamma = 0;
  ppl_copy_rgb_gamma_table(c, kRgbGammaTables[setting]);
  c->nf20_12_gamma = kGammaExponents[setting];
  c->gamma_setting = kGammaSetting;

  c->v_mirror = kMirror;
  rebuild_step_table(c);
  return ppl_set_h_mirror(c, kMirror);
}

}  // namespace pplcam

using namespace pplcam;

extern "C" {

ppl_context* PPLCALL ppl_init(void) {
  ppl_context* c = claim_slot();
  if (c) set_default_controls(c);
  return c;
}

uint8_t PPLCALL ppl_reset_all_controls(ppl_context* c) { return set_default_controls(c); }

}  // extern "C"
