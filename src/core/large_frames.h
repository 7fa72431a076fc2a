// Frames beyond the original limits: the work area they need, where its
// rings go, and the size rules of a context while a caller's area is in
// place (the extension calls are in api/ext_large_frames.cpp).
//
// Every ring stays a power of two, as the walks index it with a mask, and
// holds the rows the walks keep live by the same rule as the static work
// area: 4 x width + 48 bytes for the green ring, 3 x width + 48 for each of
// the other four.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

constexpr int32_t kLargeMinWidth = 128;
constexpr int32_t kLargeMaxWidth = 4096;
constexpr int32_t kLargeMinHeight = 12;
constexpr int32_t kLargeMaxHeight = 4096;
// A caller's area starts on a 64-byte boundary: every register width the
// kernels store into a ring, and a whole cache line.
constexpr uintptr_t kLargeWorkAlignment = 64;

struct RingSizes {
  uint32_t green, other;   // bytes, powers of two
};

// The ring sizes of frames up to `width` wide (at least the static area's),
// and the area they take: the green ring and four others.
RingSizes ring_sizes_for_width(int32_t width);
inline int64_t work_bytes(RingSizes r) { return static_cast<int64_t>(r.green) + 4 * static_cast<int64_t>(r.other); }

// True when the context's rings hold the rows of a frame `width` wide.
bool rings_hold(const ppl_context* c, int32_t width);

// True when the stored input size is beyond the original limits, which
// only a context with large frames on accepts. The rules that differ for
// such frames (odd I420 heights, output limits, normaliser precision) key
// on this, so that frames within the original limits give the same answers
// whether the control is on or off.
bool beyond_original_limits(const ppl_context* c);

// A size accepted only with large frames on: a width that is a multiple of
// 8 within kLargeMinWidth..kLargeMaxWidth that the rings hold, an even
// height within kLargeMinHeight..kLargeMaxHeight.
bool large_size_accepted(const ppl_context* c, int32_t width, int32_t height);

// The output of a frame beyond the original limits: its picture (black
// lines aside) within kLargeMaxWidth x kLargeMaxHeight.
bool large_output_fits(const ppl_context* c);

// I420 outputs of frames beyond the original limits need whole chroma rows.
inline bool i420_height_refused(const ppl_context* c) {
  return beyond_original_limits(c) && c->out_height % 2 != 0;
}

// Rings in `area` (kLargeWorkAlignment-aligned, work_bytes(sizes) long),
// large frames on.
void use_caller_work_area(ppl_context* c, uint8_t* area, RingSizes sizes);
// Rings in the context's own work area, large frames off.
void use_own_work_area(ppl_context* c);

// Forgets a stored input size the context no longer accepts (after the
// rings moved), so that the next call re-sizes and is refused instead of
// walking rings too small for it.
void forget_size_not_held(ppl_context* c);

}  // namespace pplcam
