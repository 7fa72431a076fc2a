// The table-building pattern shared by every setter with derived constants:
// inside one floating-point bracket, run the builder of each path the
// processor supports (MMX when bit 24 is set, SSE2 when bit 26 is set) and
// return the AND of their results (1 when none ran). When the bracket cannot
// be opened nothing is built and the caller's documented value is returned.
#pragma once

#include <cstdint>

#include "core/cpu_features.h"
#include "core/fp_bracket.h"

namespace pplcam {

// Tag of a kernel path: its register width in bytes.
template <int B>
struct PathTag {
  static constexpr int kBytes = B;
};
using MmxTag = PathTag<8>;
using Sse2Tag = PathTag<16>;

// `build` is called as build(MmxTag{}) and/or build(Sse2Tag{}) and returns
// a uint8_t or bool result; `shared()` then builds, once, what every path
// reads alike (when some path was built).
template <class Builder, class Shared>
uint8_t build_for_paths(uint8_t if_bracket_fails, Builder&& build, Shared&& shared) {
  FpBracket bracket;
  if (!bracket.ok()) return if_bracket_fails;
  const uint32_t features = cpu_features_detected();
  uint8_t result = 1;
  if (features & kCpuMmxPath) result &= build(MmxTag{}) ? 1 : 0;
  if (features & kCpuSse2) result &= build(Sse2Tag{}) ? 1 : 0;
  if (features & (kCpuMmxPath | kCpuSse2)) shared();
  return result;
}

template <class Builder>
uint8_t build_for_paths(uint8_t if_bracket_fails, Builder&& build) {
  return build_for_paths(if_bracket_fails, build, [] {});
}

// Only the shared part.
template <class Shared>
uint8_t build_shared(uint8_t if_bracket_fails, Shared&& shared) {
  return build_for_paths(if_bracket_fails, [](auto) { return true; }, shared);
}

}  // namespace pplcam
