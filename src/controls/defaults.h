// The value of every control on a fresh context: ppl_init and
// ppl_reset_all_controls set them all, and each control's own reset call
// returns it to its value here.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {
namespace control_defaults {

constexpr int32_t kQuality = 3;
constexpr uint8_t kMeanCollection = 1;
constexpr uint8_t kP3Only = 0;
constexpr int32_t kGain = 256;        // r, g and b, nf88 (1.0)
constexpr int32_t kDelta = 0;
constexpr int32_t kQualsGain = 256;   // r, g and b, nf88
constexpr int32_t kSensorMatrix[9] = {256, 0, 0, 0, 256, 0, 0, 0, 256};   // identity, nf88
// Qual limits: B - Gb, Gr - R, their sum and their difference (QualLimit
// order), then the range of every channel.
constexpr int32_t kQualDifferenceMin[4] = {-25, -25, -30, -30};
constexpr int32_t kQualDifferenceMax[4] = {25, 25, 30, 30};
constexpr int32_t kQualChannelMin = 0, kQualChannelMax = 255;
constexpr int32_t kQaeMin = 0, kQaeMax = 255;
constexpr int32_t kEdgeThreshold = 100;
constexpr int32_t kEdgeEnhanceFactor = 32;   // nf88 (0.125)
constexpr int32_t kIntl3TThreshold = 50;
constexpr int32_t kSaturation = 256;         // nf88 (1.0)
constexpr int32_t kHueDegree = 0;
constexpr int32_t kContrast = 0;
constexpr int32_t kGammaSetting = 0;
constexpr uint8_t kMirror = 0;

}  // namespace control_defaults

// Byte i = i: the identity curve of the default dekneel tables.
extern const uint8_t kIdentityTable[256];

// Sets every control to its default through its own setter, so that the
// packed constants are built exactly as a caller's calls would build them.
uint8_t set_default_controls(ppl_context* c);

}  // namespace pplcam
