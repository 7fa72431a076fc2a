// The large-frame extensions: the work area's size, handing it to a context
// and taking it back.
#include "core/large_frames.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam {
namespace {

static_assert(PPL_EXT_LARGE_FRAME_MAX_WIDTH == kLargeMaxWidth && PPL_EXT_LARGE_FRAME_MAX_HEIGHT == kLargeMaxHeight &&
                  PPL_EXT_LARGE_FRAME_ALIGNMENT == kLargeWorkAlignment,
              "the public limits are the library's");

// The ring sizes of the widest frame whose area fits `bytes` (widths in
// steps of 8, the finest the walks take); none below the static area's.
bool sizes_for_bytes(uint32_t bytes, RingSizes* out) {
  for (int32_t w = kLargeMaxWidth; w > 0; w -= 8) {
    const RingSizes r = ring_sizes_for_width(w);
    if (work_bytes(r) <= bytes) {
      *out = r;
      return true;
    }
  }
  return false;
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint32_t PPLCALL ppl_ext_large_frame_work_bytes(int32_t max_width) {
  if (max_width <= 0 || max_width > kLargeMaxWidth) return 0;
  return static_cast<uint32_t>(work_bytes(ring_sizes_for_width(max_width)));
}

uint8_t PPLCALL ppl_ext_enable_large_frames(ppl_context* c, void* work, uint32_t bytes) {
  RingSizes sizes;
  if (!work || reinterpret_cast<uintptr_t>(work) % kLargeWorkAlignment != 0 || !sizes_for_bytes(bytes, &sizes))
    return 0;
  use_caller_work_area(c, static_cast<uint8_t*>(work), sizes);
  forget_size_not_held(c);
  return 1;
}

uint8_t PPLCALL ppl_ext_disable_large_frames(ppl_context* c) {
  use_own_work_area(c);
  forget_size_not_held(c);
  return 1;
}

int32_t PPLCALL ppl_ext_large_frame_max_width(ppl_context* c) {
  if (!c->large_frames) return 0;
  const int64_t by_green = (int64_t{c->green_ring_mask} + 1 - 48) / 4;
  const int64_t by_other = (int64_t{c->ring_mask} + 1 - 48) / 3;
  int64_t w = by_green < by_other ? by_green : by_other;
  if (w > kLargeMaxWidth) w = kLargeMaxWidth;
  return static_cast<int32_t>(w - w % 8);
}

}  // extern "C"
