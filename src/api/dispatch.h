// The one place that decides which kernel path runs a call.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/fp_bracket.h"
#include "core/path_table.h"

namespace pplcam {

// Who asks: an exported converter, which writes its fallback fill when no
// kernel can run, or a processing operation, which always runs one.
enum class Caller { kConverter, kProcessing };

// The kernel path of one call.
//  - Not even the MMX path can run the call (a buffer not 8-byte aligned,
//    or a processor without the MMX integer extensions): kNone for a
//    converter; the MMX path for a processing operation called directly,
//    whatever its buffers.
//  - A converter learns no more (kMmx: a kernel can run) and does not read
//    the context, so that its fallback fill never depends on one; the
//    processing operation it calls makes the choice.
//  - A processing operation runs the widest path that the context allows
//    (not beyond its path limit; the MMX path alone with P3_only set),
//    whose processor features and buffer alignment the call meets and, for
//    a Bayer frame, whose column groups divide `frame_width` (0 for the
//    other families), so that the picture does not depend on the path.
inline PathId choose_path(Caller caller, const ppl_context* c, const void* const* buffers, int count,
                          int32_t frame_width = 0) {
  if (!path_accepts(PathId::kMmx, buffers, count))
    return caller == Caller::kConverter ? PathId::kNone : PathId::kMmx;
  if (caller == Caller::kConverter) return PathId::kMmx;
  const int widest = c->P3_only ? static_cast<int>(PathId::kMmx) : static_cast<int>(c->path_limit);
  const bool wide_saved = c->wide_state_saved || wide_state_is_callers();
  for (int id = widest; id > static_cast<int>(PathId::kMmx); --id) {
    const PathId path = static_cast<PathId>(id);
    if (path_traits(path).wide_state && !wide_saved) continue;
    if (frame_width % path_traits(path).group_bytes == 0 && path_accepts(path, buffers, count)) return path;
  }
  return PathId::kMmx;
}

// An exported converter's bracket: the floating-point state and the wide
// registers, and for the processing operation it calls, the record in the
// context that the wide rows may run.
class ConverterBracket {
 public:
  explicit ConverterBracket(ppl_context* c) : c_(c), bracket_(true) {
    if (c_) c_->wide_state_saved = bracket_.wide();
  }
  ~ConverterBracket() {
    if (c_) c_->wide_state_saved = 0;
  }
  ConverterBracket(const ConverterBracket&) = delete;
  ConverterBracket& operator=(const ConverterBracket&) = delete;
  bool ok() const { return bracket_.ok(); }

 private:
  ppl_context* c_;
  FpBracket bracket_;
};

}  // namespace pplcam
