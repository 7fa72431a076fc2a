// The picture and statistics controls of pplcambayer: one GObject property
// per control, with the range, default and meaning the library documents,
// and their application to a context between frames.
#pragma once

#include <glib-object.h>

#include <cstdint>
#include <string>

#include "pplcam/pplcam.h"

namespace pplcam_gst {

// Slots of the control values, in the order they are applied.
enum ControlSlot : int {
  kQuality,
  kRGain,
  kGGain,
  kBGain,
  kROffset,
  kGOffset,
  kBOffset,
  kMatrix,  // nine slots, row-major
  kGamma = kMatrix + 9,
  kContrast,
  kSaturation,
  kHue,
  kEdgeThreshold,
  kEdgeEnhance,
  kQualBmGbMin,
  kQualBmGbMax,
  kQualGrmRMin,
  kQualGrmRMax,
  kQualSumMin,
  kQualSumMax,
  kQualDiffMin,
  kQualDiffMax,
  kQualRMin,
  kQualRMax,
  kQualGMin,
  kQualGMax,
  kQualBMin,
  kQualBMax,
  kQaeMin,
  kQaeMax,
  kHMirror,
  kVMirror,
  kRgbOutput,  // kRgbOutput is no property: the element sets it from its caps
  kStatistics,
  kSlotCount
};

struct BayerControls {
  int32_t v[kSlotCount];
};

BayerControls default_controls();

// Installs the control properties with ids first_id, first_id + 1, ...
// and returns the id after the last.
guint install_control_properties(GObjectClass* klass, guint first_id);

// Property access for ids from install_control_properties (the caller
// holds the object lock). set returns false, changing nothing, for a value
// GObject's own checks cannot refuse (a colour matrix without nine values)
// and writes the reason to *why.
bool set_control_property(BayerControls* c, guint id_from_first, const GValue* value, std::string* why);
void get_control_property(const BayerControls& c, guint id_from_first, GValue* value);

// Applies to `ctx` every control group of `wanted` that differs from
// `applied` (all of them when `first` is true). A group the library
// refuses (a qualification minimum above its maximum) keeps its previous
// values, in the library and in *wanted; the result names each refusal
// ("" when there is none). *applied becomes *wanted.
std::string apply_controls(ppl_context* ctx, BayerControls* wanted, BayerControls* applied, bool first);

}  // namespace pplcam_gst
