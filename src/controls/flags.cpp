// Mirrors, quality, mean collection, P3_only and the sensor type.
#include "controls/defaults.h"
#include "core/context.h"
#include "core/geometry.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

// Little-endian ASCII tags: "TW", "HY", "OVB", "MOT" followed by byte 7.
constexpr int32_t kSensorTypes[] = {0x5754, 0x5948, 0x42564F, 0x07544F4D};

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

// The writers read the mirrors only through the stepping tables.
uint8_t PPLCALL ppl_set_h_mirror(ppl_context* c, uint8_t on) {
  c->h_mirror = on;
  return rebuild_step_table(c);
}
uint8_t PPLCALL ppl_set_v_mirror(ppl_context* c, uint8_t on) {
  c->v_mirror = on;
  return rebuild_step_table(c);
}
void PPLCALL ppl_reset_mirrors(ppl_context* c) {
  c->v_mirror = control_defaults::kMirror;
  rebuild_step_table(c);
  c->h_mirror = control_defaults::kMirror;
  rebuild_step_table(c);
}
uint8_t PPLCALL ppl_h_mirror(ppl_context* c) { return c->h_mirror; }
uint8_t PPLCALL ppl_v_mirror(ppl_context* c) { return c->v_mirror; }

uint8_t PPLCALL ppl_set_quality(ppl_context* c, int32_t q) {
  if (static_cast<uint32_t>(q) >= 6) return 0;
  c->quality = q;
  return 1;
}
void PPLCALL ppl_reset_quality(ppl_context* c) { c->quality = control_defaults::kQuality; }
int32_t PPLCALL ppl_quality(ppl_context* c) { return c->quality; }

uint8_t PPLCALL ppl_set_mean_collection(ppl_context* c, uint8_t on) {
  c->mean_collection = on;
  return 1;
}
void PPLCALL ppl_reset_mean_collection(ppl_context* c) { c->mean_collection = control_defaults::kMeanCollection; }
uint8_t PPLCALL ppl_mean_collection(ppl_context* c) { return c->mean_collection; }

uint8_t PPLCALL ppl_set_P3_only(ppl_context* c, uint8_t on) {
  c->P3_only = on;
  return 1;
}
void PPLCALL ppl_reset_P3_only(ppl_context* c) { c->P3_only = control_defaults::kP3Only; }
uint8_t PPLCALL ppl_P3_only(ppl_context* c) { return c->P3_only; }

uint8_t PPLCALL ppl_set_sensor_type(ppl_context* c, int32_t code) {
  for (int32_t known : kSensorTypes) {
    if (code == known) {
      c->sensor_type = code;
      return 1;
    }
  }
  return 0;
}
int32_t PPLCALL ppl_sensor_type(ppl_context* c) { return c->sensor_type; }

}  // extern "C"
