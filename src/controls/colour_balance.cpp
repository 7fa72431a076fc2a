// White balance (gains and deltas), the sensor matrix, and the quals gains
// and dekneel tables that are kept for the caller.
//
// The raw conditioning reads gains and deltas per Bayer row type: a BG row
// holds b and g samples in alternating lanes, a GR row g and r. A setter
// rebuilds only the row types that hold the channel it changed, taking the
// other channel of those rows from the stored values unchecked.
#include <cstring>

#include "controls/colour_matrix.h"
#include "controls/defaults.h"
#include "controls/packing.h"
#include "core/path_build.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

enum Channel : int { kR = 0, kG = 1, kB = 2 };
constexpr unsigned kChanR = 1u << kR, kChanG = 1u << kG, kChanB = 1u << kB;

// Row types a channel appears in.
constexpr unsigned kRowsBG = 1u << kRowBG, kRowsGR = 1u << kRowGR;
constexpr unsigned rows_of(unsigned channels) {
  return ((channels & (kChanB | kChanG)) ? kRowsBG : 0u) | ((channels & (kChanG | kChanR)) ? kRowsGR : 0u);
}

bool gain_in_range(int32_t v) { return v >= 0 && v <= 2047; }
bool delta_in_range(int32_t v) { return fits_int16(v); }

// Checks the channels in r, g, b order, then writes the row types that hold
// them. Nothing is written when a checked channel is out of range.
template <int Bytes>
bool build_gains(ppl_context* c, unsigned channels) {
  for (int ch = kR; ch <= kB; ++ch)
    if ((channels & (1u << ch)) && !gain_in_range(c->gain[ch])) return false;
  const unsigned rows = rows_of(channels);
  GroupConstants<Bytes>& k = group_constants<Bytes>(c);
  // Units of 1/32: the conditioning multiplies 8-bit samples by a 8-bit
  // gain and keeps the product within 16 bits.
  if (rows & kRowsBG) pack_pair16(k.gain[kRowBG], c->gain[kB] >> 3, c->gain[kG] >> 3);
  if (rows & kRowsGR) pack_pair16(k.gain[kRowGR], c->gain[kG] >> 3, c->gain[kR] >> 3);
  return true;
}

template <int Bytes>
bool build_deltas(ppl_context* c, unsigned channels) {
  for (int ch = kR; ch <= kB; ++ch)
    if ((channels & (1u << ch)) && !delta_in_range(c->delta[ch])) return false;
  const unsigned rows = rows_of(channels);
  GroupConstants<Bytes>& k = group_constants<Bytes>(c);
  if (rows & kRowsBG) pack_pair16(k.delta[kRowBG], c->delta[kB], c->delta[kG]);
  if (rows & kRowsGR) pack_pair16(k.delta[kRowGR], c->delta[kG], c->delta[kR]);
  return true;
}

// With the bracket unavailable the gain and delta setters report success:
// the value is stored and takes effect with the next successful rebuild.
uint8_t rebuild_gains(ppl_context* c, unsigned channels) {
  return build_for_groups(1, [c, channels](auto tag) { return build_gains<decltype(tag)::kGroup>(c, channels); });
}
uint8_t rebuild_deltas(ppl_context* c, unsigned channels) {
  return build_for_groups(1, [c, channels](auto tag) { return build_deltas<decltype(tag)::kGroup>(c, channels); });
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

// ------------------------------------------------------------------ gains
uint8_t PPLCALL ppl_set_rgb_gain(ppl_context* c, int32_t r, int32_t g, int32_t b) {
  c->gain[kR] = r;
  c->gain[kG] = g;
  c->gain[kB] = b;
  return rebuild_gains(c, kChanR | kChanG | kChanB);
}
uint8_t PPLCALL ppl_set_r_gain(ppl_context* c, int32_t r) {
  c->gain[kR] = r;
  return rebuild_gains(c, kChanR);
}
uint8_t PPLCALL ppl_set_g_gain(ppl_context* c, int32_t g) {
  c->gain[kG] = g;
  return rebuild_gains(c, kChanG);
}
uint8_t PPLCALL ppl_set_b_gain(ppl_context* c, int32_t b) {
  c->gain[kB] = b;
  return rebuild_gains(c, kChanB);
}
void PPLCALL ppl_reset_rgb_gain(ppl_context* c) {
  using control_defaults::kGain;
  ppl_set_rgb_gain(c, kGain, kGain, kGain);
}
int32_t PPLCALL ppl_nf88_r_gain(ppl_context* c) { return c->gain[kR]; }
int32_t PPLCALL ppl_nf88_g_gain(ppl_context* c) { return c->gain[kG]; }
int32_t PPLCALL ppl_nf88_b_gain(ppl_context* c) { return c->gain[kB]; }

// ----------------------------------------------------------------- deltas
uint8_t PPLCALL ppl_set_rgb_delta(ppl_context* c, int32_t r, int32_t g, int32_t b) {
  c->delta[kR] = r;
  c->delta[kG] = g;
  c->delta[kB] = b;
  return rebuild_deltas(c, kChanR | kChanG | kChanB);
}
uint8_t PPLCALL ppl_set_r_delta(ppl_context* c, int32_t r) {
  c->delta[kR] = r;
  return rebuild_deltas(c, kChanR);
}
uint8_t PPLCALL ppl_set_g_delta(ppl_context* c, int32_t g) {
  c->delta[kG] = g;
  return rebuild_deltas(c, kChanG);
}
uint8_t PPLCALL ppl_set_b_delta(ppl_context* c, int32_t b) {
  c->delta[kB] = b;
  return rebuild_deltas(c, kChanB);
}
void PPLCALL ppl_reset_rgb_delta(ppl_context* c) {
  using control_defaults::kDelta;
  ppl_set_rgb_delta(c, kDelta, kDelta, kDelta);
}
int32_t PPLCALL ppl_r_delta(ppl_context* c) { return c->delta[kR]; }
int32_t PPLCALL ppl_g_delta(ppl_context* c) { return c->delta[kG]; }
int32_t PPLCALL ppl_b_delta(ppl_context* c) { return c->delta[kB]; }

// --------------------------------------------------------- sensor matrix
uint8_t PPLCALL ppl_copy_sensor_matrix(ppl_context* c, const int32_t* m) {
  if (!m) return 0;
  std::memcpy(c->sensor_matrix, m, sizeof c->sensor_matrix);
  return rebuild_colour_matrices(c, 1);
}
uint8_t PPLCALL ppl_reset_sensor_matrix(ppl_context* c) {
  return ppl_copy_sensor_matrix(c, control_defaults::kSensorMatrix);
}
int32_t PPLCALL ppl_sensor_matrix(ppl_context* c, int32_t* out) {
  if (out) std::memcpy(out, c->sensor_matrix, sizeof c->sensor_matrix);
  return c->sensor_matrix[8];
}

// ------------------------------------------------------------ quals gains
// Kept for the caller only; the fixed 0 result is part of the interface.
uint8_t PPLCALL ppl_set_quals_rgb_gain(ppl_context* c, int32_t r, int32_t g, int32_t b) {
  c->quals_gain[kR] = r;
  c->quals_gain[kG] = g;
  c->quals_gain[kB] = b;
  return 0;
}
uint8_t PPLCALL ppl_set_quals_r_gain(ppl_context* c, int32_t r) {
  c->quals_gain[kR] = r;
  return 0;
}
uint8_t PPLCALL ppl_set_quals_g_gain(ppl_context* c, int32_t g) {
  c->quals_gain[kG] = g;
  return 0;
}
uint8_t PPLCALL ppl_set_quals_b_gain(ppl_context* c, int32_t b) {
  c->quals_gain[kB] = b;
  return 0;
}
void PPLCALL ppl_reset_quals_rgb_gain(ppl_context* c) {
  using control_defaults::kQualsGain;
  ppl_set_quals_rgb_gain(c, kQualsGain, kQualsGain, kQualsGain);
}
int32_t PPLCALL ppl_nf88_quals_r_gain(ppl_context* c) { return c->quals_gain[kR]; }
int32_t PPLCALL ppl_nf88_quals_g_gain(ppl_context* c) { return c->quals_gain[kG]; }
int32_t PPLCALL ppl_nf88_quals_b_gain(ppl_context* c) { return c->quals_gain[kB]; }

// --------------------------------------------------------- dekneel tables
// Like the quals gains, the copies report 0 although they copy.
uint8_t PPLCALL ppl_copy_r_dekneel_table(ppl_context* c, const uint8_t* src) {
  if (src) std::memcpy(c->dekneel[kR], src, 256);
  return 0;
}
uint8_t PPLCALL ppl_copy_g_dekneel_table(ppl_context* c, const uint8_t* src) {
  if (src) std::memcpy(c->dekneel[kG], src, 256);
  return 0;
}
uint8_t PPLCALL ppl_copy_b_dekneel_table(ppl_context* c, const uint8_t* src) {
  if (src) std::memcpy(c->dekneel[kB], src, 256);
  return 0;
}
void PPLCALL ppl_reset_rgb_dekneel_table(ppl_context* c) {
  for (auto& table : c->dekneel) std::memcpy(table, kIdentityTable, 256);
}
const uint8_t* PPLCALL ppl_r_dekneel_table(ppl_context* c) { return c->dekneel[kR]; }
const uint8_t* PPLCALL ppl_g_dekneel_table(ppl_context* c) { return c->dekneel[kG]; }
const uint8_t* PPLCALL ppl_b_dekneel_table(ppl_context* c) { return c->dekneel[kB]; }

}  // extern "C"
