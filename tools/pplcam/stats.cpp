#include "stats.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "frame_converter.h"
#include "frame_names.h"
#include "input_file.h"
#include "library.h"
#include "output_file.h"
#include "pplcam/pplcam_ext.h"
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

std::string grid_text(const Rgb* windows) {
  std::string t;
  for (int row = 0; row < 6; ++row) {
    t += "   ";
    for (int col = 0; col < 8; ++col) {
      const Rgb& c = windows[row * 8 + col];
      char buf[32];
      std::snprintf(buf, sizeof buf, " %3u/%3u/%3u", (c[0] + 128) >> 8, (c[1] + 128) >> 8, (c[2] + 128) >> 8);
      t += buf;
    }
    t += "\n";
  }
  return t;
}

std::string level_lines(const FrameStats& s) {
  const LevelMeans& l = s.levels;
  std::string t = "  whole frame          " + rgb_text(l.whole) + "  cells " + std::to_string(l.whole_cells) + "\n";
  if (s.quality >= 3) return t + "  window means: the quality-3 walk fills no windows; use --quality 0 to 2\n";
  const auto fewest = std::min_element(l.cells.begin(), l.cells.begin() + 48);
  const auto most = std::max_element(l.cells.begin(), l.cells.begin() + 48);
  t += "  window means, R/G/B per window (8 across, 6 down), " + std::to_string(*fewest) +
       (*fewest == *most ? "" : " to " + std::to_string(*most)) + " cells each:\n";
  t += grid_text(l.regions.data());
  if (l.cells[48]) t += "  outside the grid     " + rgb_text(l.regions[48]) + "  cells " + std::to_string(l.cells[48]) + "\n";
  return t;
}

std::string library_lines(const FrameStats& s) {
  std::string t = "  whole frame          " + rgb_text(s.whole) + "\n";
  t += "  all 48 windows       " + rgb_text(s.all_windows) + "\n";
  t += "  outside the grid     " + rgb_text(s.outside) + "\n";
  t += "  centre 4 windows     " + rgb_text(s.four_points) + "\n";
  t += "  centre-weighted x3   " + rgb_text(s.central4) + "\n";
  t += "  centre-weighted x7   " + rgb_text(s.central8) + "\n";
  t += "  centre-weighted x15  " + rgb_text(s.central16) + "\n";
  if (s.quality >= 3) return t + "  grid means: gathered at qualities 0 to 2 only\n";
  return t + "  grid means, R/G/B per window (8 across, 6 down):\n" + grid_text(s.grid.data());
}

}  // namespace

FrameStats read_stats(ppl_context* ctx, Size size, int group_bytes) {
  FrameStats s;
  s.size = size;
  s.quality = ppl_quality(ctx);
  s.group_bytes = group_bytes;
  uint32_t means[49 * 3];
  ppl_ext_level_means_sub_windows(ctx, means, s.levels.cells.data());
  for (int w = 0; w < 49; ++w) s.levels.regions[w] = triple(means + 3 * w);
  s.levels.whole_cells = ppl_ext_level_means_whole_frame(ctx, s.levels.whole.data());
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

std::string stats_table(const FrameStats& s, size_t n, bool library_means) {
  std::string t = "frame " + std::to_string(n) + "  (" + to_string(s.size) + ", quality " + std::to_string(s.quality) +
                  (library_means ? "; the library's own means, levels 0..255 by its fixed sampling and scaling)\n"
                                 : "; means in levels 0..255 over the cells each region sampled)\n");
  t += library_means ? library_lines(s) : level_lines(s);
  t += "  qual cells (AWB)     " + rgb_text(s.qual) + "  cells " + std::to_string(s.qual_count) + " (whole frame)\n";
  t += "  qAE cells (AE)       " + rgb_text(s.qae) + "  cells " + std::to_string(s.qae_count) + " (whole frame)\n";
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

std::string stats_json(const std::vector<FrameStats>& frames) {
  nlohmann::json all = nlohmann::json::array();
  for (size_t n = 0; n < frames.size(); ++n) {
    const FrameStats& s = frames[n];
    nlohmann::json j;
    j["frame"] = n + 1;
    j["width"] = s.size.width;
    j["height"] = s.size.height;
    j["quality"] = s.quality;
    nlohmann::json windows = nlohmann::json::array();
    for (int w = 0; w < 48; ++w) windows.push_back(rgb_json(s.levels.regions[w]));
    j["levels"] = {{"whole_frame", rgb_json(s.levels.whole)},
                   {"whole_frame_cells", s.levels.whole_cells},
                   {"sub_windows", windows},
                   {"sub_window_cells", std::vector<uint32_t>(s.levels.cells.begin(), s.levels.cells.begin() + 48)},
                   {"outside_sub_windows", rgb_json(s.levels.regions[48])},
                   {"outside_cells", s.levels.cells[48]}};
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
    all.push_back(j);
  }
  const nlohmann::json doc = {
      {"units",
       "means in 1/256 of a sample level; 'levels': means over the cells each region sampled, with their "
       "counts; the other means are the library's own figures; histograms in counts"},
      {"frames", all}};
  return doc.dump(2) + "\n";
}

void add_stats_command(CLI::App* app, StatsOptions* o) {
  CLI::App* cmd = app->add_subcommand("stats", "the auto-exposure and white-balance statistics of Bayer frames");
  cmd->add_option("input", o->input,
                  "Bayer frames: raw (give --size), PGM, grey PNG or a mono Y4M stream; '-' reads standard input")
      ->required();
  cmd->add_option("--from", o->from, "input container when the name does not say: bayer (raw), pgm, png, y4m");
  cmd->add_option("-s,--size", o->size, "frame size WxH of raw input");
  cmd->add_option("--json", o->json, "also write the statistics of every frame as JSON to this file ('-': stdout)");
  cmd->add_option("--picture", o->picture,
                  "also draw the frame with the grid means, the histograms and a level scale into this PNG (one "
                  "per frame when several: name-0001.png, or where the name says {n})");
  cmd->add_flag("--library-means", o->library_means,
                "show the library's own window and whole-frame means (its fixed sampling and scaling) instead of "
                "the means over the cells each window sampled");
  add_control_options(cmd, &o->controls);
  cmd->footer(
      "Statistics are gathered while the library converts each frame; the 8x6 window grid exists at qualities 0 "
      "to 2, so stats converts at quality 2 unless --quality says otherwise. Means are in sample levels; the JSON "
      "carries both kinds of means in 1/256 of a level. Exit codes as for convert; see docs/guide.md.");
}

int run_stats(StatsOptions o) {
  if (!o.controls.quality) o.controls.quality = 2;
  if (*o.controls.quality >= 4)
    fail(kExitUsage, "quality " + std::to_string(*o.controls.quality) +
                         " passes the raw bytes through and gathers no statistics; use 0 to 3");
  Input input = describe_input(o.input, o.from, o.size);
  if (!is_bayer(input.format)) fail(kExitUsage, "statistics are gathered from Bayer frames only");

  Context ctx;
  apply_controls(ctx.get(), o.controls, InputFormat::kBayer, PixelFormat::kRgb24);
  ConversionPlan plan;
  plan.input = InputFormat::kBayer;
  plan.output = PixelFormat::kRgb24;
  plan.in = input.size;
  FrameConverter converter(ctx.get(), plan);
  // The tool's buffers are 16-byte aligned: the 16-byte path runs unless
  // forced off or the width is not a multiple of 16.
  const int group_bytes = o.controls.force_mmx || input.size.width % 16 ? 8 : 16;

  FrameReader& reader = frames_of(input);
  const std::string shown_input = o.input == "-" ? "standard input" : o.input;
  if (reader.frame_count() == 0 && reader.leftover_bytes())
    fail(kExitInput, shown_input + " is shorter than one " + to_string(input.size) + " frame");

  // Every output is checked before the first frame, so that a bad name
  // ends the command before it prints anything.
  const bool several = reader.frame_count() != 1 || has_frame_number(o.picture);
  const std::string first_picture = several ? frame_name(o.picture, 1) : o.picture;
  if (!o.json.empty() && !o.picture.empty() && o.json == first_picture)
    fail(kExitUsage, "--json and --picture name the same file " + o.json);
  std::unique_ptr<OutputFile> json_file;
  if (!o.json.empty()) json_file = std::make_unique<OutputFile>(o.json);
  if (!o.picture.empty()) check_writable(first_picture);
  const bool table = !(!o.json.empty() && is_standard_output(o.json)) &&
                     !(!o.picture.empty() && is_standard_output(o.picture));

  FileSet pictures;
  std::vector<FrameStats> all;
  std::vector<uint8_t> frame(reader.frame_bytes());
  while (reader.next(frame.data())) {
    const Outcome outcome = converter.convert(frame.data());
    if (outcome != Outcome::kConverted)
      fail(kExitFailed, converter.function_name() + " gathered no statistics: " + describe(outcome));
    all.push_back(read_stats(ctx.get(), input.size, group_bytes));
    const FrameStats& s = all.back();
    if (!has_statistics(s))
      fail(kExitFailed, "the library gathered no statistics: statistics collection is not available in this build");
    if (table) std::fputs(stats_table(s, all.size(), o.library_means).c_str(), stdout);
    if (!o.picture.empty()) {
      const std::string path = several ? frame_name(o.picture, all.size()) : o.picture;
      write_stats_picture(path, s, converter.output().data(), o.library_means);
      pictures.add(path);
    }
  }
  if (all.empty()) fail(kExitInput, shown_input + " holds no frame");
  if (json_file) {
    const std::string text = stats_json(all);
    json_file->write(text.data(), text.size());
    json_file->commit();
  }
  pictures.keep();
  if (reader.leftover_bytes())
    fail(kExitLeftover, "read " + std::to_string(all.size()) + (all.size() == 1 ? " whole frame;" : " whole frames;") +
                            " the last " + std::to_string(reader.leftover_bytes()) + " bytes of " + shown_input +
                            " are not a whole frame and were left out");
  return kExitOk;
}

}  // namespace pplcam_tool
