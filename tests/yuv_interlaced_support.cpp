#include "yuv_interlaced_support.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {

using model::IntlOut;
using model::YuvInput;

const IntlCase kIntlCases[14] = {
    {"IntlYUYVToYUYVMMX", IntlYUYVToYUYVMMX, YuvInput::kYuyv, IntlOut::kYuyv, true},
    {"IntlYUYVToYUYVMMX_no_motion", IntlYUYVToYUYVMMX_no_motion, YuvInput::kYuyv, IntlOut::kYuyv, false},
    {"IntlUYVYToUYVYMMX", IntlUYVYToUYVYMMX, YuvInput::kUyvy, IntlOut::kUyvy, true},
    {"IntlUYVYToUYVYMMX_no_motion", IntlUYVYToUYVYMMX_no_motion, YuvInput::kUyvy, IntlOut::kUyvy, false},
    {"IntlUYVYToYUYVMMX", IntlUYVYToYUYVMMX, YuvInput::kUyvy, IntlOut::kYuyv, true},
    {"IntlUYVYToYUYVMMX_no_motion", IntlUYVYToYUYVMMX_no_motion, YuvInput::kUyvy, IntlOut::kYuyv, false},
    {"IntlYUYVToI420MMX", IntlYUYVToI420MMX, YuvInput::kYuyv, IntlOut::kI420, true},
    {"IntlYUYVToI420MMX_no_motion", IntlYUYVToI420MMX_no_motion, YuvInput::kYuyv, IntlOut::kI420, false},
    {"IntlUYVYToI420MMX", IntlUYVYToI420MMX, YuvInput::kUyvy, IntlOut::kI420, true},
    {"IntlUYVYToI420MMX_no_motion", IntlUYVYToI420MMX_no_motion, YuvInput::kUyvy, IntlOut::kI420, false},
    {"IntlYUYVToRGB24MMX", IntlYUYVToRGB24MMX, YuvInput::kYuyv, IntlOut::kRgb24, true},
    {"IntlYUYVToRGB24MMX_no_motion", IntlYUYVToRGB24MMX_no_motion, YuvInput::kYuyv, IntlOut::kRgb24, false},
    {"IntlUYVYToRGB24MMX", IntlUYVYToRGB24MMX, YuvInput::kUyvy, IntlOut::kRgb24, true},
    {"IntlUYVYToRGB24MMX_no_motion", IntlUYVYToRGB24MMX_no_motion, YuvInput::kUyvy, IntlOut::kRgb24, false},
};

size_t IntlSizes::dst_bytes(IntlOut out) const {
  const size_t n = static_cast<size_t>(out_width) * out_height;
  switch (out) {
    case IntlOut::kYuyv:
    case IntlOut::kUyvy: return 2 * n;
    case IntlOut::kI420: return n * 3 / 2;
    case IntlOut::kRgb24: return 3 * n;
  }
  return 0;
}

std::string size_name(const IntlSizes& s) {
  return std::to_string(s.in_width) + "x" + std::to_string(s.in_height) + "to" +
         std::to_string(s.out_width) + "x" + std::to_string(s.out_height);
}

std::string describe_difference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want) {
  if (got.size() != want.size()) return "sizes differ";
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i])
      return "byte " + std::to_string(i) + ": got " + std::to_string(got[i]) + ", want " +
             std::to_string(want[i]);
  return "";
}

FieldSet random_fields(const IntlSizes& s, uint32_t seed) {
  return {random_bytes(s.field_bytes(), seed), random_bytes(s.field_bytes(), seed + 1),
          random_bytes(s.field_bytes(), seed + 2)};
}

FieldSet moving_and_still_fields(const IntlSizes& s, uint32_t seed) {
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

uint8_t run_intl_on_path(PathId p, IntlConverter conv, ppl_context* ctx, const FieldSet& fields,
                         std::vector<uint8_t>& dst, const IntlSizes& s) {
  AlignedBuffer ref(fields.ref.size(), Align::k16), first(fields.first.size(), Align::k16),
      second(fields.second.size(), Align::k16), out(dst.size(), Align::k16);
  std::memcpy(ref.data(), fields.ref.data(), fields.ref.size());
  std::memcpy(first.data(), fields.first.data(), fields.first.size());
  std::memcpy(second.data(), fields.second.data(), fields.second.size());
  std::memcpy(out.data(), dst.data(), dst.size());
  ScopedPathLimit limit(ctx, p);
  const uint8_t result = conv(ctx, ref.data(), first.data(), second.data(), out.data(), s.in_width, s.in_height,
                              s.out_width, s.out_height);
  std::memcpy(dst.data(), out.data(), dst.size());
  return result;
}

model::IntlSetup model_setup(const IntlCase& c, ppl_context* ctx, int group_bytes) {
  model::IntlSetup m;
  m.input = c.input;
  m.in_width = ctx->in_width;
  m.in_height = ctx->in_height;
  m.decimation = ctx->decimation;
  m.top = ctx->top_black_lines;
  m.bottom = ctx->bottom_black_lines;
  m.motion = c.motion;
  m.threshold = ctx->intl_3t_threshold;
  m.sse2_sampling = group_bytes == 16;
  return m;
}

}  // namespace pplcam::test
