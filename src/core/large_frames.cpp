#include "core/large_frames.h"

#include "core/geometry.h"
#include "core/lifecycle.h"

namespace pplcam {
namespace {

uint32_t power_of_two_at_least(uint32_t n, uint32_t floor) {
  uint32_t p = floor;
  while (p < n) p <<= 1;
  return p;
}

}  // namespace

RingSizes ring_sizes_for_width(int32_t width) {
  const uint32_t w = width > 0 ? static_cast<uint32_t>(width) : 0;
  return {power_of_two_at_least(4 * w + 48, kGreenRingBytes), power_of_two_at_least(3 * w + 48, kRingBytes)};
}

bool rings_hold(const ppl_context* c, int32_t width) {
  const int64_t w = width;
  return 4 * w + 48 <= static_cast<int64_t>(c->green_ring_mask) + 1 &&
         3 * w + 48 <= static_cast<int64_t>(c->ring_mask) + 1;
}

bool beyond_original_limits(const ppl_context* c) {
  return static_cast<uint32_t>(c->in_width) > kMaxFrameWidth ||
         static_cast<uint32_t>(c->in_height) > kMaxFrameHeight;
}

bool large_size_accepted(const ppl_context* c, int32_t width, int32_t height) {
  return c->large_frames && width >= kLargeMinWidth && width <= kLargeMaxWidth && width % 8 == 0 &&
         height >= kLargeMinHeight && height <= kLargeMaxHeight && height % 2 == 0 && rings_hold(c, width);
}

bool large_output_fits(const ppl_context* c) {
  if (!beyond_original_limits(c)) return true;
  const int64_t w = c->in_width, h = c->in_height;
  const int32_t d = c->decimation;
  const int64_t pw = d >= 0 ? w >> d : 2 * w, ph = d >= 0 ? h >> d : 2 * h;
  return pw <= kLargeMaxWidth && ph <= kLargeMaxHeight;
}

void use_caller_work_area(ppl_context* c, uint8_t* area, RingSizes sizes) {
  c->ring[kGreenRing] = area;
  for (int r = 1; r < 5; ++r) c->ring[r] = area + sizes.green + (r - 1) * sizes.other;
  c->green_ring_mask = sizes.green - 1;
  c->ring_mask = sizes.other - 1;
  c->large_frames = 1;
}

void use_own_work_area(ppl_context* c) {
  for (int r = 0; r < 5; ++r) c->ring[r] = c->work_area + kRingOffset[r];
  c->green_ring_mask = kGreenRingBytes - 1;
  c->ring_mask = kRingBytes - 1;
  c->large_frames = 0;
}

void forget_size_not_held(ppl_context* c) {
  if (!beyond_original_limits(c) && rings_hold(c, c->in_width)) return;
  if (c->large_frames && large_size_accepted(c, c->in_width, c->in_height)) return;
  forget_input_size(c);
}

}  // namespace pplcam
