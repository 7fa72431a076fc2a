// The two dispatch decisions: whether a converter can run a kernel at all,
// and which kernel path a processing operation runs.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/path_table.h"

namespace pplcam {

// A converter may run a kernel when the narrowest path can run its buffers
// on this processor: every buffer 8-byte aligned and the MMX integer
// extensions present. Reads no context: a converter that cannot run writes
// its fallback fill without one.
inline bool converter_can_run(const void* const* buffers, int count) {
  return path_accepts(PathId::kMmx, buffers, count);
}

// The path a processing operation runs: the widest path that the context
// allows (not beyond its path limit; the MMX path alone with P3_only set),
// whose processor features and buffer alignment the call meets, and, for a
// Bayer frame, whose column groups divide `frame_width` (0 for the other
// families), so that the picture does not depend on the path. The MMX path
// is the floor: a processing operation called directly runs it whatever
// its buffers.
inline PathId choose_path(const ppl_context* c, const void* const* buffers, int count,
                          int32_t frame_width = 0) {
  const int widest = c->P3_only ? static_cast<int>(PathId::kMmx) : static_cast<int>(c->path_limit);
  for (int id = widest; id > static_cast<int>(PathId::kMmx); --id) {
    const PathId path = static_cast<PathId>(id);
    if (frame_width % path_traits(path).group_bytes == 0 && path_accepts(path, buffers, count)) return path;
  }
  return PathId::kMmx;
}

}  // namespace pplcam
