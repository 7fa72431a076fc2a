// The context pool: eight static slots, handed out lowest-free-first.
//
// The pool lives in zero-initialised static storage and is cleared again by
// the load entry; nothing else clears it, so a slot handed out again keeps
// its frame size, statistics and frame counter.
#include <cstring>

#include "controls/tone.h"
#include "controls/tone_tables.h"
#include "core/context.h"
#include "core/geometry.h"
#include "core/lifecycle.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {
alignas(32) ppl_context g_pool[kPoolSlots];
}  // namespace

ppl_context* pool_slot(int i) { return &g_pool[i]; }

void load_entry() { std::memset(static_cast<void*>(g_pool), 0, sizeof g_pool); }

const uint8_t kIdentityTable[256] = {
#define PPL_ROW(b) b, b + 1, b + 2, b + 3, b + 4, b + 5, b + 6, b + 7
#define PPL_ROW64(b) PPL_ROW(b), PPL_ROW(b + 8), PPL_ROW(b + 16), PPL_ROW(b + 24), \
                     PPL_ROW(b + 32), PPL_ROW(b + 40), PPL_ROW(b + 48), PPL_ROW(b + 56)
    PPL_ROW64(0), PPL_ROW64(64), PPL_ROW64(128), PPL_ROW64(192)
#undef PPL_ROW64
#undef PPL_ROW
};

// Steps 2 to 9 of the initialisation, shared with ppl_reset_all_controls.
// Every control goes through its own setter (or reset) so that the packed
// constants of both paths are built exactly as a caller's call would build
// them; the order matters where one setter reads another's value (the
// colour matrices read contrast_c, the composites read both curves).
uint8_t set_default_controls(ppl_context* c) {
  ppl_set_decimation(c, 0, 0, 0);
  std::memcpy(c->dekneel[0], kIdentityTable, 256);
  c->quality = 3;
  c->mean_collection = 1;
  c->P3_only = 0;
  std::memcpy(c->dekneel[1], kIdentityTable, 256);
  std::memcpy(c->dekneel[2], kIdentityTable, 256);

  static constexpr int32_t kIdentityMatrix[9] = {256, 0, 0, 0, 256, 0, 0, 0, 256};
  ppl_set_rgb_delta(c, 0, 0, 0);
  ppl_set_rgb_gain(c, 256, 256, 256);
  ppl_copy_sensor_matrix(c, kIdentityMatrix);
  ppl_set_quals_rgb_gain(c, 256, 256, 256);

  ppl_set_qual_BmGb_min_max(c, -25, 25);
  ppl_set_qual_GrmR_min_max(c, -25, 25);
  ppl_set_qual_BmGb_p_GrmR_min_max(c, -30, 30);
  ppl_set_qual_BmGb_m_GrmR_min_max(c, -30, 30);
  ppl_set_qual_RGB_min_max(c, 0, 255, 0, 255, 0, 255);
  ppl_set_qAE_RGB_min_max(c, 0, 255);

  ppl_set_edge_threshold(c, 100);
  ppl_reset_nf88_edge_enhance_factor(c);   // 32
  ppl_reset_intl_3T_threshold(c);          // 50

  // sat/hue first (with whatever contrast level the slot held), then the
  // neutral contrast, whose setter rebuilds the matrices with level 0.
  ppl_set_sat_hue(c, 256, 0);
  c->contrast_c = 0;
  ppl_set_contrast_xy(c, 0, 0);

  const int setting0 = -kGammaSettingMin;
  std::memcpy(c->yuv_gamma, kYuvGammaTables[setting0], 256);
  recompute_contrast_gamma(c);
  c->nf20_12_gamma = 0;
  ppl_copy_rgb_gamma_table(c, kRgbGammaTables[setting0]);
  c->nf20_12_gamma = kGammaExponents[setting0];
  c->gamma_setting = 0;

  c->v_mirror = 0;
  rebuild_step_table(c);
  return ppl_set_h_mirror(c, 0);
}

}  // namespace pplcam

using namespace pplcam;

extern "C" {

ppl_context* PPLCALL ppl_init(void) {
  for (int i = 0; i < kPoolSlots; ++i) {
    ppl_context* c = pool_slot(i);
    if (c->in_use) continue;
    c->in_use = 1;
    c->path_limit = kWidestPath;
    c->last_path = PathId::kNone;
    for (int r = 0; r < 5; ++r) c->ring[r] = c->work_area + kRingOffset[r];
    set_default_controls(c);
    return c;
  }
  return nullptr;
}

uint8_t PPLCALL ppl_free(ppl_context* c) {
  if (!c) return 0;
  c->in_use = 0;
  return 1;
}

uint8_t PPLCALL ppl_reset_all_controls(ppl_context* c) { return set_default_controls(c); }

uint32_t PPLCALL DllUnload(void) { return 0; }

}  // extern "C"
