#include "stats.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "convert.h"
#include "frame_converter.h"
#include "image_io.h"
#include "library.h"
#include "output_file.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

Rgb triple(const uint32_t* p) { return {p[0], p[1], p[2]}; }

std::string level(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%6.1f", v / 256.0);
  return buf;
}

std::string rgb_text(const Rgb& c) { return "R " + level(c[0]) + "  G " + level(c[1]) + "  B " + level(c[2]); }

nlohmann::json rgb_json(const Rgb& c) { return nlohmann::json::array({c[0], c[1], c[2]}); }

}  // namespace

FrameStats read_stats(ppl_context* ctx, Size size) {
  FrameStats s;
  s.size = size;
  s.quality = ppl_quality(ctx);
  s.whole = triple(ppl_rgb_means_whole_frame(ctx));
  s.all_windows = triple(ppl_rgb_means_all_sub_windows(ctx));
  s.outside = triple(ppl_rgb_means_outside_all_sub_windows(ctx));
  s.qual = triple(ppl_qual_rgb_means_whole_frame(ctx));
  s.qae = triple(ppl_qAE_rgb_means_whole_frame(ctx));
  s.qual_count = ppl_n_qual_2x2_whole_frame(ctx);
  s.qae_count = ppl_n_qAE_2x2_whole_frame(ctx);
  // The weighted means live in storage shared by all contexts: copied at once.
  s.four_points = triple(ppl_rgb_means_whole_frame_4pts(ctx));
  s.central4 = triple(ppl_rgb_means_whole_frame_central4(ctx));
  s.central8 = triple(ppl_rgb_means_whole_frame_central8(ctx));
  s.central16 = triple(ppl_rgb_means_whole_frame_central16(ctx));
  const uint32_t* grid = ppl_rgb_means_sub_windows(ctx);
  for (int w = 0; w < 48; ++w) s.grid[w] = triple(grid + 3 * w);
  const uint32_t* h[3] = {ppl_r_histogram(ctx), ppl_g_histogram(ctx), ppl_b_histogram(ctx)};
  for (int c = 0; c < 3; ++c) std::copy(h[c], h[c] + 256, s.histogram[c].begin());
  return s;
}

bool has_statistics(const FrameStats& s) {
  for (const auto& h : s.histogram)
    for (uint32_t v : h)
      if (v) return true;
  return false;
}

std::string stats_table(const FrameStats& s, size_t n) {
  std::string t = "frame " + std::to_string(n) + "  (" + to_string(s.size) + ", quality " +
                  std::to_string(s.quality) + "; means in sample levels 0..255)\n";
  t += "  whole frame          " + rgb_text(s.whole) + "\n";
  t += "  all 48 windows       " + rgb_text(s.all_windows) + "\n";
  t += "  outside the grid     " + rgb_text(s.outside) + "\n";
  t += "  qual cells (AWB)     " + rgb_text(s.qual) + "  cells " + std::to_string(s.qual_count) + "\n";
  t += "  qAE cells (AE)       " + rgb_text(s.qae) + "  cells " + std::to_string(s.qae_count) + "\n";
  t += "  centre 4 windows     " + rgb_text(s.four_points) + "\n";
  t += "  centre-weighted x3   " + rgb_text(s.central4) + "\n";
  t += "  centre-weighted x7   " + rgb_text(s.central8) + "\n";
  t += "  centre-weighted x15  " + rgb_text(s.central16) + "\n";
  if (s.quality < 3) {
    t += "  grid means, R/G/B per window (8 across, 6 down):\n";
    for (int row = 0; row < 6; ++row) {
      t += "   ";
      for (int col = 0; col < 8; ++col) {
        const Rgb& c = s.grid[row * 8 + col];
        char buf[32];
        std::snprintf(buf, sizeof buf, " %3u/%3u/%3u", c[0] >> 8, c[1] >> 8, c[2] >> 8);
        t += buf;
      }
      t += "\n";
    }
  } else {
    t += "  grid means: gathered at qualities 0 to 2 only\n";
  }
  static const char* kNames[3] = {"R", "G", "B"};
  for (int c = 0; c < 3; ++c) {
    const auto& h = s.histogram[c];
    uint64_t total = 0, weighted = 0;
    for (int i = 0; i < 256; ++i) {
      total += h[i];
      weighted += uint64_t(h[i]) * i;
    }
    // Samples without a qualifying cell all land in bin 0: the peak is
    // looked for above it.
    const int peak = int(std::max_element(h.begin() + 1, h.end()) - h.begin());
    char buf[128];
    std::snprintf(buf, sizeof buf, "  %s histogram          total %llu, bin 0 %u, mean bin %.1f, peak above 0 at %d\n",
                  kNames[c], (unsigned long long)total, h[0], total ? double(weighted) / total : 0.0, peak);
    t += buf;
  }
  // The qual cells are the near-grey ones, measured on the raw samples: the
  // gains that make them grey are G/R and G/B.
  if (s.qual_count && s.qual[0] && s.qual[2]) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "  white-balance gains  --gain %.3f,1,%.3f  (G/R and G/B of the qual means)\n",
                  double(s.qual[1]) / s.qual[0], double(s.qual[1]) / s.qual[2]);
    t += buf;
  }
  return t;
}

namespace {

nlohmann::json stats_json(const FrameStats& s, size_t n) {
  nlohmann::json j;
  j["frame"] = n;
  j["width"] = s.size.width;
  j["height"] = s.size.height;
  j["quality"] = s.quality;
  j["whole_frame"] = rgb_json(s.whole);
  j["all_sub_windows"] = rgb_json(s.all_windows);
  j["outside_sub_windows"] = rgb_json(s.outside);
  j["qual"] = {{"means", rgb_json(s.qual)}, {"count", s.qual_count}};
  j["qae"] = {{"means", rgb_json(s.qae)}, {"count", s.qae_count}};
  j["centre_4pts"] = rgb_json(s.four_points);
  j["centre_weighted_4"] = rgb_json(s.central4);
  j["centre_weighted_8"] = rgb_json(s.central8);
  j["centre_weighted_16"] = rgb_json(s.central16);
  nlohmann::json grid = nlohmann::json::array();
  for (const Rgb& c : s.grid) grid.push_back(rgb_json(c));
  j["sub_windows"] = grid;
  j["histograms"] = {{"r", s.histogram[0]}, {"g", s.histogram[1]}, {"b", s.histogram[2]}};
  return j;
}

uint8_t to_byte(uint32_t mean) { return uint8_t(std::min<uint32_t>(mean >> 8, 255)); }

}  // namespace

void write_stats_picture(const std::string& path, const FrameStats& s) {
  constexpr int kW = 640, kH = 336;
  std::vector<uint8_t> img(kW * kH * 3, 40);
  auto fill = [&](int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) {
        uint8_t* p = &img[(size_t(y) * kW + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
      }
  };
  // 8 x 6 grid of window means, 38 px patches with 2 px gaps.
  for (int w = 0; w < 48; ++w) {
    const Rgb& c = s.grid[w];
    fill(16 + (w % 8) * 40, 16 + (w / 8) * 40, 38, 38, to_byte(c[0]), to_byte(c[1]), to_byte(c[2]));
  }
  // Swatches: whole frame, all windows, qual cells, qAE cells.
  const Rgb* swatches[4] = {&s.whole, &s.all_windows, &s.qual, &s.qae};
  for (int i = 0; i < 4; ++i) {
    const Rgb& c = *swatches[i];
    fill(16 + i * 80, 272, 78, 48, to_byte(c[0]), to_byte(c[1]), to_byte(c[2]));
  }
  // Histograms, 96 px tall, each scaled to its highest bin other than bin 0:
  // every sample without a qualifying cell lands in bin 0, which would
  // otherwise flatten the rest (its bar is clipped at the top).
  for (int c = 0; c < 3; ++c) {
    const auto& h = s.histogram[c];
    const uint32_t peak = std::max<uint32_t>(1, *std::max_element(h.begin() + 1, h.end()));
    const int x0 = 368, y0 = 16 + c * 104, height = 96;
    fill(x0, y0, 256, height, 16, 16, 16);
    for (int i = 0; i < 256; ++i) {
      const int bar = int(std::min<uint64_t>(uint64_t(h[i]) * height / peak, height));
      fill(x0 + i, y0 + height - bar, 1, bar, c == 0 ? 230 : 40, c == 1 ? 210 : 40, c == 2 ? 240 : 40);
    }
  }
  write_png(path, img.data(), {kW, kH}, false);
}

void add_stats_command(CLI::App* app, StatsOptions* o) {
  CLI::App* cmd = app->add_subcommand("stats", "the auto-exposure and white-balance statistics of Bayer frames");
  cmd->add_option("input", o->input, "raw Bayer frames (give --size) or an 8-bit PGM")->required();
  cmd->add_option("-s,--size", o->size, "frame size WxH of raw input");
  cmd->add_option("--json", o->json, "also write the statistics of every frame as JSON to this file ('-': stdout)");
  cmd->add_option("--picture", o->picture,
                  "also draw the grid means and histograms into this PNG (one per frame when several)");
  add_control_options(cmd, &o->controls);
  cmd->footer(
      "Statistics are gathered while the library converts each frame; the grid of 8x6 window means exists at "
      "qualities 0 to 2, so stats converts at quality 2 unless --quality says otherwise. Means are in sample "
      "levels; the JSON carries the library's values in 1/256 of a level. Exit codes as for convert.");
}

int run_stats(StatsOptions o) {
  if (!o.controls.quality) o.controls.quality = 2;
  if (*o.controls.quality >= 4)
    fail(kExitUsage, "quality " + std::to_string(*o.controls.quality) +
                         " passes the raw bytes through and gathers no statistics; use 0 to 3");
  const bool pgm = o.input.size() > 4 && (o.input.substr(o.input.size() - 4) == ".pgm" ||
                                          o.input.substr(o.input.size() - 4) == ".PGM");
  Size size;
  if (!o.size.empty() && !parse_size(o.size, &size)) fail(kExitUsage, "--size " + o.size + " is not WxH");
  if (!pgm && o.size.empty()) fail(kExitUsage, "raw input needs its frame size: give --size WxH");
  FrameReader reader = pgm ? FrameReader::pgm(o.input) : FrameReader::raw(o.input, size_t(size.width) * size.height);
  if (pgm) size = reader.pgm_size();
  if (reader.frame_count() == 0 && reader.leftover_bytes())
    fail(kExitInput, o.input + " is shorter than one " + to_string(size) + " frame");

  Context ctx;
  apply_controls(ctx.get(), o.controls, InputFormat::kBayer, PixelFormat::kI420);
  ConversionPlan plan;
  plan.input = InputFormat::kBayer;
  plan.output = PixelFormat::kI420;
  plan.in = size;
  FrameConverter converter(ctx.get(), plan);

  std::unique_ptr<OutputFile> json_file;
  if (!o.json.empty() && o.json != "-") json_file = std::make_unique<OutputFile>(o.json);
  FileSet pictures;
  nlohmann::json all = nlohmann::json::array();
  std::vector<uint8_t> frame(reader.frame_bytes());
  const bool several = reader.frame_count() != 1;
  size_t n = 0;
  while (reader.next(frame.data())) {
    ++n;
    const Outcome outcome = converter.convert(frame.data());
    if (outcome != Outcome::kConverted)
      fail(kExitFailed, converter.function_name() + " gathered no statistics: " + describe(outcome));
    const FrameStats s = read_stats(ctx.get(), size);
    if (!has_statistics(s))
      fail(kExitFailed, "the library gathered no statistics: statistics collection is not available in this build");
    if (o.json != "-") std::fputs(stats_table(s, n).c_str(), stdout);
    all.push_back(stats_json(s, n));
    if (!o.picture.empty()) {
      const std::string path = several ? numbered_name(o.picture, n) : o.picture;
      write_stats_picture(path, s);
      pictures.add(path);
    }
  }
  if (n == 0) fail(kExitInput, o.input + " holds no frame");
  const nlohmann::json doc = {{"units", "means in 1/256 of a sample level; histograms in counts"},
                              {"frames", all}};
  if (o.json == "-") std::printf("%s\n", doc.dump(2).c_str());
  if (json_file) {
    const std::string text = doc.dump(2) + "\n";
    json_file->write(text.data(), text.size());
    json_file->commit();
  }
  pictures.keep();
  if (reader.leftover_bytes())
    fail(kExitLeftover, "read " + std::to_string(n) + (n == 1 ? " whole frame;" : " whole frames;") + " the last " +
                            std::to_string(reader.leftover_bytes()) + " bytes of " + o.input +
                            " are not a whole frame and were left out");
  return kExitOk;
}

}  // namespace pplcam_tool
