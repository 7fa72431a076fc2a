// Shared pieces of the progressive converter tests: running a converter on
// a kernel path, frame sizes, and mirror settings.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "pplcam/pplcam.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"

namespace pplcam::test {

using YuvConverter = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t,
                                       int32_t, int32_t);

struct YuvSizes {
  int in_width, in_height, out_width, out_height;
  size_t pixels_in() const { return static_cast<size_t>(in_width) * in_height; }
  size_t pixels_out() const { return static_cast<size_t>(out_width) * out_height; }
  std::string name() const {
    return std::to_string(in_width) + "x" + std::to_string(in_height) + "to" +
           std::to_string(out_width) + "x" + std::to_string(out_height);
  }
};

// Runs conv on path p with src and dst copied into 16-byte-aligned
// buffers; dst holds the destination before the call and after it.
inline uint8_t run_on_path(PathId p, YuvConverter conv, ppl_context* ctx, const std::vector<uint8_t>& src,
                           std::vector<uint8_t>& dst, const YuvSizes& s) {
  AlignedBuffer in(src.size(), Align::k16), out(dst.size(), Align::k16);
  std::memcpy(in.data(), src.data(), src.size());
  std::memcpy(out.data(), dst.data(), dst.size());
  ScopedPathLimit limit(ctx, p);
  const uint8_t r = conv(ctx, in.data(), out.data(), s.in_width, s.in_height, s.out_width, s.out_height);
  std::memcpy(dst.data(), out.data(), dst.size());
  return r;
}

inline void set_mirrors(ppl_context* ctx, bool h, bool v) {
  ctx->h_mirror = h;
  ctx->v_mirror = v;
  rebuild_step_table(ctx);
}

// Index of the first byte where a and b differ, -1 when equal.
inline long first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) return static_cast<long>(i);
  return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

}  // namespace pplcam::test
