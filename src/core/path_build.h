// The table-building pattern shared by every setter with derived constants:
// inside one floating-point bracket, run the builder of each column-group
// width some path of this processor reproduces (narrowest first) and return
// the AND of their results (1 when none ran). When the bracket cannot be
// opened nothing is built and the caller's documented value is returned.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/fp_bracket.h"
#include "core/path_table.h"

namespace pplcam {

// Whether some path this processor can run has column groups of
// `group_bytes`.
inline bool group_in_use(int group_bytes) {
  for (int id = static_cast<int>(PathId::kMmx); id < kPathRows; ++id)
    if (kPathTraits[id].group_bytes == group_bytes && path_runs_here(static_cast<PathId>(id))) return true;
  return false;
}

// `build` is called as build(Behaviour<G>{}) for each width in use and
// returns a uint8_t or bool result; `shared()` then builds, once, what every
// width reads alike (when some width was built). For callers whose own
// caller holds the bracket (the processing operations).
template <class Builder, class Shared>
uint8_t build_groups_in_use(Builder&& build, Shared&& shared) {
  uint8_t result = 1;
  bool built = false;
  for_each_group([&](auto tag) {
    if (!group_in_use(decltype(tag)::kGroup)) return;
    result &= build(tag) ? 1 : 0;
    built = true;
  });
  if (built) shared();
  return result;
}

// The same inside a bracket of its own.
template <class Builder, class Shared>
uint8_t build_for_groups(uint8_t if_bracket_fails, Builder&& build, Shared&& shared) {
  FpBracket bracket;
  if (!bracket.ok()) return if_bracket_fails;
  return build_groups_in_use(build, shared);
}

template <class Builder>
uint8_t build_for_groups(uint8_t if_bracket_fails, Builder&& build) {
  return build_for_groups(if_bracket_fails, build, [] {});
}

// Only the shared part.
template <class Shared>
uint8_t build_shared(uint8_t if_bracket_fails, Shared&& shared) {
  return build_for_groups(if_bracket_fails, [](auto) { return true; }, shared);
}

}  // namespace pplcam
