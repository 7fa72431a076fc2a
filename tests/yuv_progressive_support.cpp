#include "yuv_progressive_support.h"

#include <cstring>

#include "core/context.h"
#include "core/geometry.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {

const char* path_name(YuvPath p) {
  switch (p) {
    case YuvPath::kSse2: return "SSE2";
    case YuvPath::kMmxNoSse2: return "MMX(no SSE2)";
    case YuvPath::kMmxAlign8: return "MMX(8-aligned)";
  }
  return "?";
}

std::string size_name(const YuvSizes& s) {
  return std::to_string(s.in_width) + "x" + std::to_string(s.in_height) + "to" +
         std::to_string(s.out_width) + "x" + std::to_string(s.out_height);
}

uint8_t run_on_path(YuvPath p, YuvConverter conv, ppl_context* ctx, const std::vector<uint8_t>& src,
                    std::vector<uint8_t>& dst, const YuvSizes& s) {
  const Align align = p == YuvPath::kMmxAlign8 ? Align::k8Not16 : Align::k16;
  AlignedBuffer in(src.size(), align), out(dst.size(), align);
  std::memcpy(in.data(), src.data(), src.size());
  std::memcpy(out.data(), dst.data(), dst.size());
  uint8_t result;
  if (p == YuvPath::kMmxNoSse2) {
    ScopedCpuFeatures no_sse2(kCpuSse2);
    result = conv(ctx, in.data(), out.data(), s.in_width, s.in_height, s.out_width, s.out_height);
  } else {
    result = conv(ctx, in.data(), out.data(), s.in_width, s.in_height, s.out_width, s.out_height);
  }
  std::memcpy(dst.data(), out.data(), dst.size());
  return result;
}

void set_mirrors(ppl_context* ctx, bool h, bool v) {
  ctx->h_mirror = h;
  ctx->v_mirror = v;
  rebuild_step_tables(ctx);
}

std::string first_difference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want) {
  if (got.size() != want.size()) return "sizes differ";
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i])
      return "byte " + std::to_string(i) + ": got " + std::to_string(got[i]) + ", want " +
             std::to_string(want[i]);
  return "";
}

}  // namespace pplcam::test
