// Qualification (qual) and qAE limits of the statistics, with the packed
// forms the sampling kernels compare against.
//
// Difference limits are compared as strict inequalities against min - 1
// and max + 1 in signed 16-bit lanes. Channel limits are tested as
// (x - min) mod 256 <= max - min on bytes, so they pack a minimum and a
// span per channel, laid out for the two Bayer row types (G, R on GR rows;
// B, G on BG rows). qAE packs min, min - 1, max and max + 1 as bytes.
#include "controls/defaults.h"
#include "controls/packing.h"
#include "core/path_build.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

// qual_rgb slots.
enum : int { kGrMins = 0, kGrSpans = 1, kBgMins = 2, kBgSpans = 3 };
constexpr unsigned kRowsGR = 1, kRowsBG = 2;

void store_limits(LimitTriple& t, int32_t min, int32_t max) {
  t.max = max;
  t.count = static_cast<int32_t>(static_cast<uint32_t>(max) - static_cast<uint32_t>(min) + 1u);
  t.min = min;
}

template <int Bytes>
bool build_difference_limits(ppl_context* c, int set) {
  const LimitTriple& t = c->qual_limits[set];
  const int64_t below = static_cast<int64_t>(t.min) - 1, above = static_cast<int64_t>(t.max) + 1;
  if (!fits_int16(below) || !fits_int16(above)) return false;
  GroupConstants<Bytes>& k = group_constants<Bytes>(c);
  pack_all16(k.qual_diff[set][0], static_cast<int32_t>(below));
  pack_all16(k.qual_diff[set][1], static_cast<int32_t>(above));
  return true;
}

template <int Bytes>
bool build_channel_limits(ppl_context* c, unsigned rows) {
  const LimitTriple& r = c->qual_limits[kQualR];
  const LimitTriple& g = c->qual_limits[kQualG];
  const LimitTriple& b = c->qual_limits[kQualB];
  GroupConstants<Bytes>& k = group_constants<Bytes>(c);
  if (rows & kRowsGR) {
    pack_pair8(k.qual_rgb[kGrMins], g.min, r.min);
    pack_pair8(k.qual_rgb[kGrSpans], g.max - g.min, r.max - r.min);
  }
  if (rows & kRowsBG) {
    pack_pair8(k.qual_rgb[kBgMins], b.min, g.min);
    pack_pair8(k.qual_rgb[kBgSpans], b.max - b.min, g.max - g.min);
  }
  return true;
}

template <int Bytes>
bool build_qae_limits(ppl_context* c) {
  const LimitTriple& t = c->qae_limits;
  GroupConstants<Bytes>& k = group_constants<Bytes>(c);
  pack_all8(k.qae[0], t.min);
  pack_all8(k.qae[1], t.min - 1);   // mod 256
  pack_all8(k.qae[2], t.max);
  pack_all8(k.qae[3], t.max + 1);   // mod 256
  return true;
}

uint8_t set_difference_limits(ppl_context* c, int set, int32_t min, int32_t max) {
  if (min > max) return 0;
  store_limits(c->qual_limits[set], min, max);
  return build_for_groups(1, [c, set](auto tag) { return build_difference_limits<decltype(tag)::kGroup>(c, set); });
}

bool byte_range(int32_t min, int32_t max) { return 0 <= min && min <= max && max <= 255; }

uint8_t rebuild_channel_limits(ppl_context* c, unsigned rows) {
  return build_for_groups(1, [c, rows](auto tag) { return build_channel_limits<decltype(tag)::kGroup>(c, rows); });
}

uint8_t set_channel_limits(ppl_context* c, int set, unsigned rows, int32_t min, int32_t max) {
  if (!byte_range(min, max)) return 0;
  store_limits(c->qual_limits[set], min, max);
  return rebuild_channel_limits(c, rows);
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_set_qual_BmGb_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_difference_limits(c, kQualBmGb, min, max);
}
uint8_t PPLCALL ppl_set_qual_GrmR_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_difference_limits(c, kQualGrmR, min, max);
}
uint8_t PPLCALL ppl_set_qual_BmGb_p_GrmR_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_difference_limits(c, kQualBmGbPGrmR, min, max);
}
uint8_t PPLCALL ppl_set_qual_BmGb_m_GrmR_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_difference_limits(c, kQualBmGbMGrmR, min, max);
}

uint8_t PPLCALL ppl_set_qual_RGB_min_max(ppl_context* c, int32_t rmin, int32_t rmax, int32_t gmin, int32_t gmax,
                                         int32_t bmin, int32_t bmax) {
  if (!byte_range(rmin, rmax) || !byte_range(gmin, gmax) || !byte_range(bmin, bmax)) return 0;
  store_limits(c->qual_limits[kQualR], rmin, rmax);
  store_limits(c->qual_limits[kQualG], gmin, gmax);
  store_limits(c->qual_limits[kQualB], bmin, bmax);
  return rebuild_channel_limits(c, kRowsGR | kRowsBG);
}
uint8_t PPLCALL ppl_set_qual_R_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_channel_limits(c, kQualR, kRowsGR, min, max);
}
uint8_t PPLCALL ppl_set_qual_G_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_channel_limits(c, kQualG, kRowsGR | kRowsBG, min, max);
}
uint8_t PPLCALL ppl_set_qual_B_min_max(ppl_context* c, int32_t min, int32_t max) {
  return set_channel_limits(c, kQualB, kRowsBG, min, max);
}

uint8_t PPLCALL ppl_set_qAE_RGB_min_max(ppl_context* c, int32_t min, int32_t max) {
  if (!byte_range(min, max)) return 0;
  store_limits(c->qae_limits, min, max);
  return build_for_groups(1, [c](auto tag) { return build_qae_limits<decltype(tag)::kGroup>(c); });
}

uint8_t PPLCALL ppl_reset_qual_min_max(ppl_context* c) {
  using namespace control_defaults;
  for (int set = kQualBmGb; set <= kQualBmGbMGrmR; ++set)
    set_difference_limits(c, set, kQualDifferenceMin[set], kQualDifferenceMax[set]);
  return ppl_set_qual_RGB_min_max(c, kQualChannelMin, kQualChannelMax, kQualChannelMin, kQualChannelMax,
                                  kQualChannelMin, kQualChannelMax);
}
void PPLCALL ppl_reset_qAE_min_max(ppl_context* c) {
  ppl_set_qAE_RGB_min_max(c, control_defaults::kQaeMin, control_defaults::kQaeMax);
}

int32_t PPLCALL ppl_qual_BmGb_min(ppl_context* c) { return c->qual_limits[kQualBmGb].min; }
int32_t PPLCALL ppl_qual_BmGb_max(ppl_context* c) { return c->qual_limits[kQualBmGb].max; }
int32_t PPLCALL ppl_qual_GrmR_min(ppl_context* c) { return c->qual_limits[kQualGrmR].min; }
int32_t PPLCALL ppl_qual_GrmR_max(ppl_context* c) { return c->qual_limits[kQualGrmR].max; }
int32_t PPLCALL ppl_qual_BmGb_p_GrmR_min(ppl_context* c) { return c->qual_limits[kQualBmGbPGrmR].min; }
int32_t PPLCALL ppl_qual_BmGb_p_GrmR_max(ppl_context* c) { return c->qual_limits[kQualBmGbPGrmR].max; }
int32_t PPLCALL ppl_qual_BmGb_m_GrmR_min(ppl_context* c) { return c->qual_limits[kQualBmGbMGrmR].min; }
int32_t PPLCALL ppl_qual_BmGb_m_GrmR_max(ppl_context* c) { return c->qual_limits[kQualBmGbMGrmR].max; }
int32_t PPLCALL ppl_qual_R_min(ppl_context* c) { return c->qual_limits[kQualR].min; }
int32_t PPLCALL ppl_qual_R_max(ppl_context* c) { return c->qual_limits[kQualR].max; }
int32_t PPLCALL ppl_qual_G_min(ppl_context* c) { return c->qual_limits[kQualG].min; }
int32_t PPLCALL ppl_qual_G_max(ppl_context* c) { return c->qual_limits[kQualG].max; }
int32_t PPLCALL ppl_qual_B_min(ppl_context* c) { return c->qual_limits[kQualB].min; }
int32_t PPLCALL ppl_qual_B_max(ppl_context* c) { return c->qual_limits[kQualB].max; }
int32_t PPLCALL ppl_qAE_RGB_min(ppl_context* c) { return c->qae_limits.min; }
int32_t PPLCALL ppl_qAE_RGB_max(ppl_context* c) { return c->qae_limits.max; }

}  // extern "C"
