// pplcam-info: opens a context and prints what this processor gives the
// library: the CPUID features, the kernel path a well-aligned frame takes,
// and the frame sizes the converters accept.
#include <cstdio>
#include <string>

#include "core/cpu_features.h"
#include "core/geometry.h"
#include "pplcam/pplcam.h"

namespace {

struct SizePair {
  int iw, ih, ow, oh;
};

// Representative pairs of every row of the accepted-size table.
const SizePair kPairs[] = {
    {320, 240, 320, 240},  {320, 240, 160, 120}, {480, 480, 480, 480},   {480, 480, 480, 576},
    {480, 576, 480, 576},  {640, 480, 640, 480}, {640, 480, 320, 240},   {640, 480, 160, 120},
    {640, 480, 1280, 960}, {704, 480, 704, 480}, {704, 576, 704, 576},   {704, 480, 352, 288},
    {704, 576, 176, 150},  {720, 480, 720, 480}, {720, 576, 720, 576},   {1280, 1024, 1280, 1024},
};

}  // namespace

int main() {
  ppl_context* ctx = ppl_init();
  if (!ctx) {
    std::fprintf(stderr, "pplcam-info: no free context\n");
    return 1;
  }
  const uint32_t f = pplcam::cpu_features_detected();
  const std::string vendor(pplcam::cpu_vendor(), 12);
  std::printf("processor      %s\n", vendor.c_str());
  std::printf("feature word   0x%08x\n", f);
  std::printf("  MMX          %s\n", f & pplcam::kCpuMmx ? "yes" : "no");
  std::printf("  SSE          %s\n", f & pplcam::kCpuSse ? "yes" : "no");
  std::printf("  SSE2         %s\n", f & pplcam::kCpuSse2 ? "yes" : "no");
  std::printf("  MMX path     %s\n", f & pplcam::kCpuMmxPath ? "available" : "unavailable");
  std::printf("  SSE2 path    %s\n", f & pplcam::kCpuSse2 ? "available" : "unavailable");
  const char* path = !(f & pplcam::kCpuMmxPath) ? "none (fallback fill)"
                     : (f & pplcam::kCpuSse2)   ? "SSE2 (16-byte groups) for 16-byte-aligned buffers, "
                                                  "MMX (8-byte groups) otherwise"
                                                : "MMX (8-byte groups)";
  std::printf("kernel path    %s\n\n", path);

  std::printf("Bayer input: any width up to 1280 and height up to 1024 (multiples of 16 and 2)\n");
  std::printf("YUV and interlaced input -> output size pairs:\n");
  std::printf("  %-11s %-11s %5s %6s %6s\n", "input", "output", "mode", "top", "bottom");
  for (const SizePair& p : kPairs) {
    if (!ppl_new_frame_sizes(ctx, p.iw, p.ih, p.ow, p.oh)) {
      std::printf("  %dx%d -> %dx%d refused\n", p.iw, p.ih, p.ow, p.oh);
      continue;
    }
    char in[16], out[16];
    std::snprintf(in, sizeof in, "%dx%d", p.iw, p.ih);
    std::snprintf(out, sizeof out, "%dx%d", p.ow, p.oh);
    std::printf("  %-11s %-11s %5d %6d %6d\n", in, out, ppl_decimation(ctx),
                ppl_decimation_top_black_lines(ctx), ppl_decimation_bottom_black_lines(ctx));
  }
  ppl_free(ctx);
  return 0;
}
