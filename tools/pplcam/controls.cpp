#include "controls.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <string>

#include "tool_error.h"

namespace pplcam_tool {

int to_nf88(double factor) {
  const double v = std::nearbyint(factor * 256.0);
  if (!(v > -2147483648.0)) return INT32_MIN;  // also NaN
  if (v > 2147483647.0) return INT32_MAX;
  return int(v);
}

void add_control_options(CLI::App* app, PictureControls* c) {
  const char* group = "Picture controls";
  app->add_option("-q,--quality", c->quality,
                  "Bayer demosaic: 0 edge-directed + sharpening, 1 edge-directed, 2 bilinear, "
                  "3 2x2 replication (default), 4/5 raw passthrough")
      ->group(group);
  app->add_option("--gain", c->gain, "white-balance gains R,G,B as factors 0..7.99 (1 = unchanged)")
      ->delimiter(',')->expected(3)->group(group);
  app->add_option("--offset", c->offset, "offsets R,G,B in sample levels added after the gain, -32768..32767")
      ->delimiter(',')->expected(3)->group(group);
  app->add_option("--matrix", c->matrix, "sensor colour matrix, 9 factors row by row (identity: 1,0,0,0,1,0,0,0,1)")
      ->delimiter(',')->expected(9)->group(group);
  app->add_option("--gamma", c->gamma, "gamma setting -32..32: 0 is BT.709 (exponent 0.45) for linear sensor data, -17 is linear (levels "
                  "unchanged: use it for frames already gamma-coded, such as a mosaic of an sRGB picture), higher "
                  "is brighter")
      ->group(group);
  app->add_option("--contrast", c->contrast, "contrast -127..127 (0 = unchanged)")->group(group);
  app->add_option("--saturation", c->saturation, "saturation factor 0..2 (1 = unchanged, 0 = grey)")->group(group);
  app->add_option("--hue", c->hue, "hue rotation in degrees")->group(group);
  app->add_option("--edge-threshold", c->edge_threshold, "quality-0 sharpening threshold 0..1530 (default 100)")
      ->group(group);
  app->add_option("--edge-strength", c->edge_strength, "quality-0 sharpening strength 0..1 (default 0.125)")
      ->group(group);
  app->add_option("--motion-threshold", c->motion_threshold,
                  "interlaced motion threshold 0..765 (default 50; lower finds more motion)")
      ->group(group);
  app->add_flag("--hmirror", c->h_mirror, "mirror left-right")->group(group);
  app->add_flag("--vmirror", c->v_mirror, "mirror top-bottom")->group(group);
  app->add_flag("--mmx", c->force_mmx, "force the 8-byte (MMX) kernels instead of SSE2")->group(group);
}

namespace {

void check(bool accepted, const std::string& flag, const std::string& value, const std::string& range) {
  if (!accepted) fail(kExitUsage, flag + " " + value + " refused: the library accepts " + range);
}

std::string join(const std::vector<double>& v) {
  std::string s;
  for (double x : v) {
    if (!s.empty()) s += ",";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", x);
    s += buf;
  }
  return s;
}

}  // namespace

void apply_controls(ppl_context* ctx, const PictureControls& c, InputFormat input, PixelFormat output) {
  const bool bayer = is_bayer(input);
  const bool bayer_only = c.quality || !c.gain.empty() || !c.offset.empty() || !c.matrix.empty() || c.gamma ||
                          c.contrast || c.saturation || c.hue || c.edge_threshold || c.edge_strength;
  if (bayer_only && !bayer)
    fail(kExitUsage, "picture controls other than mirrors apply to Bayer input only (input is " +
                         std::string(name_of(input)) + ")");
  if (c.motion_threshold && !is_interlaced(input))
    fail(kExitUsage, "--motion-threshold applies to interlaced input only");
  // The progressive converters mirror only their I420 output; the interlaced
  // ones never mirror.
  if ((c.h_mirror || c.v_mirror) && !bayer && !(!is_interlaced(input) && output == PixelFormat::kI420))
    fail(kExitUsage, "mirrors apply to Bayer input and to progressive YUV converted to i420 or y4m");

  if (c.quality) check(ppl_set_quality(ctx, *c.quality), "--quality", std::to_string(*c.quality), "0 to 5");
  if (!c.gain.empty()) {
    check(ppl_set_rgb_gain(ctx, to_nf88(c.gain[0]), to_nf88(c.gain[1]), to_nf88(c.gain[2])), "--gain",
          join(c.gain), "factors 0 to 7.996 (nf88 0..2047)");
  }
  if (!c.offset.empty()) {
    check(ppl_set_rgb_delta(ctx, c.offset[0], c.offset[1], c.offset[2]), "--offset",
          std::to_string(c.offset[0]) + "," + std::to_string(c.offset[1]) + "," + std::to_string(c.offset[2]),
          "-32768 to 32767 per channel");
  }
  if (!c.matrix.empty()) {
    int32_t m[9];
    for (int i = 0; i < 9; ++i) m[i] = to_nf88(c.matrix[i]);
    check(ppl_copy_sensor_matrix(ctx, m), "--matrix", join(c.matrix), "any nine factors");
  }
  if (c.gamma) check(ppl_set_gamma(ctx, *c.gamma), "--gamma", std::to_string(*c.gamma), "settings -32 to 32");
  if (c.contrast) {
    check(ppl_set_contrast_c(ctx, *c.contrast, nullptr, nullptr), "--contrast", std::to_string(*c.contrast),
          "-127 to 127");
  }
  if (c.saturation || c.hue) {
    const int sat = c.saturation ? to_nf88(*c.saturation) : ppl_nf88_sat(ctx);
    const int hue = c.hue ? *c.hue : ppl_hue_degree(ctx);
    check(ppl_set_sat_hue(ctx, sat, hue), "--saturation", c.saturation ? join({*c.saturation}) : "",
          "factors 0 to 2 (nf88 0..512)");
  }
  if (c.edge_threshold) {
    check(ppl_set_edge_threshold(ctx, *c.edge_threshold), "--edge-threshold", std::to_string(*c.edge_threshold),
          "0 to 1530");
  }
  if (c.edge_strength) {
    check(ppl_set_nf88_edge_enhance_factor(ctx, to_nf88(*c.edge_strength)), "--edge-strength",
          join({*c.edge_strength}), "factors 0 to 1 (nf88 0..256)");
  }
  if (c.motion_threshold) {
    check(ppl_set_intl_3T_threshold(ctx, *c.motion_threshold), "--motion-threshold",
          std::to_string(*c.motion_threshold), "0 to 765");
  }
  check(ppl_set_h_mirror(ctx, c.h_mirror), "--hmirror", "", "on or off");
  check(ppl_set_v_mirror(ctx, c.v_mirror), "--vmirror", "", "on or off");
  check(ppl_set_P3_only(ctx, c.force_mmx), "--mmx", "", "on or off");
}

}  // namespace pplcam_tool
