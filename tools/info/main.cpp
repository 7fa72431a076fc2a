// pplcam-info: opens a context and prints what this processor gives the
// library: the CPUID features, the kernel paths it runs and the one a
// well-aligned frame takes, and the frame sizes the converters accept.
#include <cstdio>
#include <string>

#include "core/cpu_features.h"
#include "pplcam/pplcam.h"
#include "pplcam/pplcam_ext.h"

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
  // The wide features count only with the operating system's saving of
  // their registers; they live in a word of their own.
  const pplcam::CpuFeatureSet wide = pplcam::cpu_feature_set();
  std::printf("  AVX2         %s\n", wide & pplcam::kCpuAvx2 ? "yes (YMM state enabled)" : "no");
  std::printf("  AVX-512      %s\n", wide & pplcam::kCpuAvx512 ? "yes (F BW VL VBMI, ZMM state enabled)" : "no");
  const uint32_t paths = ppl_ext_available_paths();
  std::printf("kernel paths  ");
  for (int32_t id = PPL_EXT_PATH_MMX; ppl_ext_path_name(id) != nullptr; ++id)
    std::printf(" %s (%s)", ppl_ext_path_name(id), paths & (1u << id) ? "available" : "unavailable");
  // One 640 x 480 Bayer frame in 16-byte-aligned buffers: the path the
  // library reports for it.
  alignas(64) static uint8_t src[640 * 480], dst[640 * 480 * 3 / 2];
  BaylorToI420MMX(ctx, src, dst, 640, 480);
  std::printf("\nkernel path    %s for a 16-byte-aligned 640x480 Bayer frame (mmx for 8-byte-aligned buffers)\n\n",
              ppl_ext_path_name(ppl_ext_last_path(ctx)));

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
