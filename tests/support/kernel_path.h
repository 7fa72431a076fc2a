// The kernel paths of this machine, so that every case runs on each of
// them: the context's path limit (an extension of the API) picks the path.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/context.h"
#include "core/path_table.h"
#include "core/path_types.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam::test {

// The paths this machine runs, narrowest first.
inline std::vector<PathId> machine_paths() {
  std::vector<PathId> paths;
  const uint32_t bits = ppl_ext_available_paths();
  for (int id = 0; id < kPathRows; ++id)
    if (bits & (1u << id)) paths.push_back(static_cast<PathId>(id));
  return paths;
}

// While alive, the context runs no path wider than `path`.
class ScopedPathLimit {
 public:
  ScopedPathLimit(ppl_context* c, PathId path) : c_(c), saved_(ppl_ext_path_limit(c)) {
    ppl_ext_set_path_limit(c, static_cast<int32_t>(path));
  }
  ~ScopedPathLimit() { ppl_ext_set_path_limit(c_, saved_); }
  ScopedPathLimit(const ScopedPathLimit&) = delete;
  ScopedPathLimit& operator=(const ScopedPathLimit&) = delete;

 private:
  ppl_context* c_;
  int32_t saved_;
};

inline const char* path_name(PathId p) { return ppl_ext_path_name(static_cast<int32_t>(p)); }

inline int group_bytes(PathId p) { return path_traits(p).group_bytes; }
inline PathId last_path(ppl_context* c) { return static_cast<PathId>(ppl_ext_last_path(c)); }

// The raw-mode marker counter that path p uses.
inline uint32_t& marker_of(ppl_context* c, PathId p) {
  return with_group_of(p, c, [](auto& s) -> uint32_t& { return s.walk.marker_cell; });
}

}  // namespace pplcam::test
