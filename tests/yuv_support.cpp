#include "yuv_support.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace pplcam::test {
namespace {

// A 16-byte-aligned copy of v.
AlignedBuffer aligned(const std::vector<uint8_t>& v) {
  AlignedBuffer b(v.size(), Align::k16);
  std::memcpy(b.data(), v.data(), v.size());
  return b;
}

}  // namespace

using model::IntlOut;
using model::YuvInput;

// Each converter with motion adaptation and its plain-weave twin.
#define PPL_INTL_PAIR(name, in, out)            \
  {#name, name, YuvInput::in, IntlOut::out, true}, \
  {#name "_no_motion", name##_no_motion, YuvInput::in, IntlOut::out, false}
const IntlCase kIntlCases[14] = {
    PPL_INTL_PAIR(IntlYUYVToYUYVMMX, kYuyv, kYuyv), PPL_INTL_PAIR(IntlUYVYToUYVYMMX, kUyvy, kUyvy),
    PPL_INTL_PAIR(IntlUYVYToYUYVMMX, kUyvy, kYuyv), PPL_INTL_PAIR(IntlYUYVToI420MMX, kYuyv, kI420),
    PPL_INTL_PAIR(IntlUYVYToI420MMX, kUyvy, kI420), PPL_INTL_PAIR(IntlYUYVToRGB24MMX, kYuyv, kRgb24),
    PPL_INTL_PAIR(IntlUYVYToRGB24MMX, kUyvy, kRgb24)};
#undef PPL_INTL_PAIR

std::string YuvSizes::name() const {
  return std::to_string(in_width) + "x" + std::to_string(in_height) + "to" + std::to_string(out_width) + "x" +
         std::to_string(out_height);
}

size_t YuvSizes::dst_bytes(IntlOut out) const {
  switch (out) {
    case IntlOut::kYuyv:
    case IntlOut::kUyvy: return 2 * pixels_out();
    case IntlOut::kI420: return pixels_out() * 3 / 2;
    case IntlOut::kRgb24: return 3 * pixels_out();
  }
  return 0;
}

uint8_t run_on_path(PathId p, YuvConverter conv, ppl_context* ctx, const std::vector<uint8_t>& src,
                    std::vector<uint8_t>& dst, const YuvSizes& s) {
  AlignedBuffer in = aligned(src), out = aligned(dst);
  ScopedPathLimit limit(ctx, p);
  const uint8_t r = conv(ctx, in.data(), out.data(), s.in_width, s.in_height, s.out_width, s.out_height);
  std::memcpy(dst.data(), out.data(), dst.size());
  return r;
}

uint8_t run_intl_on_path(PathId p, IntlConverter conv, ppl_context* ctx, const FieldSet& fields,
                         std::vector<uint8_t>& dst, const YuvSizes& s) {
  AlignedBuffer ref = aligned(fields.ref), first = aligned(fields.first), second = aligned(fields.second),
                out = aligned(dst);
  ScopedPathLimit limit(ctx, p);
  const uint8_t r = conv(ctx, ref.data(), first.data(), second.data(), out.data(), s.in_width, s.in_height,
                         s.out_width, s.out_height);
  std::memcpy(dst.data(), out.data(), dst.size());
  return r;
}

FieldSet random_fields(const YuvSizes& s, uint32_t seed) {
  return {random_bytes(s.pixels_in(), seed), random_bytes(s.pixels_in(), seed + 1),
          random_bytes(s.pixels_in(), seed + 2)};
}

FieldSet moving_and_still_fields(const YuvSizes& s, uint32_t seed) {
  FieldSet f = random_fields(s, seed);
  f.second = f.ref;
  std::mt19937 rng(seed);
  const int line_bytes = 2 * s.in_width, lines = s.in_height / 2;
  for (int region = 0; region < 12; ++region) {
    const int x0 = rng() % line_bytes, y0 = rng() % lines;
    const int x1 = std::min(line_bytes, x0 + 8 + static_cast<int>(rng() % 200));
    const int y1 = std::min(lines, y0 + 1 + static_cast<int>(rng() % 60));
    const bool slow = region % 2 == 1;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        uint8_t& b = f.second[static_cast<size_t>(y) * line_bytes + x];
        const int moved = slow ? b + static_cast<int>(rng() % 41) - 20 : static_cast<int>(rng() & 255);
        b = static_cast<uint8_t>(std::min(255, std::max(0, moved)));
      }
  }
  return f;
}

model::IntlSetup model_setup(const IntlCase& c, ppl_context* ctx, int group_bytes) {
  return {c.input, ctx->in_width, ctx->in_height, ctx->decimation, ctx->top_black_lines, ctx->bottom_black_lines,
          c.motion, ctx->intl_3t_threshold, group_bytes == 16};
}

}  // namespace pplcam::test
