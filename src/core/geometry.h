// Frame geometry: input and output sizes, decimation, black lines, the
// size-derived values of each column-group width (sub-window grid,
// statistics scales) and the output stepping table.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace pplcam {

// The largest input frame of ppl_new_frame_size without large frames
// (core/large_frames.h); every size computation of the geometry is 64-bit
// or bounded, so that larger frames only change the limits.
constexpr uint32_t kMaxFrameWidth = 1280;
constexpr uint32_t kMaxFrameHeight = 1024;
// Bytes per pixel of the widest output format (RGB32).
constexpr int64_t kMaxOutputBytesPerPixel = 4;

// Extra bits of the window normalisers of frames beyond the original
// limits, and the bits of a context's normalisers (the statistics shift
// the product back by window_norm_bits - 8).
constexpr int kWideNormBits = 8;
int window_norm_bits(const ppl_context* c);

// True when the stored output geometry can be converted into: black lines
// not negative and out_width x out_height pixels of the widest format
// within 31 bits, so that every plane offset fits the step table. Black
// lines are stored unchecked by ppl_set_decimation; the processing
// operations refuse a geometry that fails this.
bool output_fits(const ppl_context* c);

// Recomputes out_width, out_height and the output counts from the input
// size, the decimation mode and the black lines (no SIMD state involved).
void recompute_output_size(ppl_context* c);

// Rebuilds the output stepping table inside a bracket; 1 when the bracket
// cannot be opened (the table then keeps its values).
uint8_t rebuild_step_table(ppl_context* c);

// The size steps of the processing operations, which run inside their
// caller's floating-point bracket: ppl_new_frame_size and
// ppl_new_frame_sizes without a bracket of their own. False, with nothing
// changed, for a refused size.
bool resize_frame(ppl_context* c, int32_t width, int32_t height);
bool resize_frames(ppl_context* c, int32_t in_w, int32_t in_h, int32_t out_w, int32_t out_h);

// Stores a 0 x 0 input (and its output size): the next call of any size
// re-sizes.
void forget_input_size(ppl_context* c);

// The accepted-size table of the progressive and interlaced converters.
// Fills the decimation mode and the black-line split of an accepted pair.
bool lookup_size_pair(int32_t in_w, int32_t in_h, int32_t out_w, int32_t out_h,
                      int32_t* mode, int32_t* top, int32_t* bottom);

}  // namespace pplcam
