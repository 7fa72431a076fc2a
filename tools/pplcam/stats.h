// `pplcam stats`: the auto-exposure and white-balance statistics that the
// library gathers while it converts a Bayer frame, as a table, as JSON, and
// as a picture of the frame with the 8x6 grid and its means over it.
//
// Window and whole-frame means are shown as levels by default: the mean of
// the cells each region really sampled (pplcam_ext.h). The library's own
// figures follow its fixed sampling and scaling rules (a flat frame can
// read 80 and 120 in neighbouring windows); --library-means shows those.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controls.h"
#include "formats.h"

namespace CLI {
class App;
}

namespace pplcam_tool {

using Rgb = std::array<uint32_t, 3>;  // means in 1/256 of a sample level

// Means over the cells each region really sampled, with their counts.
struct LevelMeans {
  std::array<Rgb, 49> regions{};  // 48 windows, then the region outside the grid
  std::array<uint32_t, 49> cells{};
  Rgb whole{};
  uint32_t whole_cells = 0;
};

struct FrameStats {
  Size size;
  int quality = 0;
  int group_bytes = 16;  // column-group width of the walk: where the windows lie
  LevelMeans levels;
  Rgb whole{}, all_windows{}, outside{}, qual{}, qae{};
  uint32_t qual_count = 0, qae_count = 0;
  Rgb four_points{}, central4{}, central8{}, central16{};
  std::array<Rgb, 48> grid{};
  std::array<std::array<uint32_t, 256>, 3> histogram{};  // r, g, b
};

// Reads every statistics getter of ctx after a Bayer frame. `group_bytes`
// is 8 when the frame ran on the 8-byte path (forced, or a width that is
// not a multiple of 16), else 16.
FrameStats read_stats(ppl_context* ctx, Size size, int group_bytes);

// False when the frame left every histogram empty: the library gathered
// nothing (statistics collection not in this build, or switched off).
bool has_statistics(const FrameStats& s);

std::string stats_table(const FrameStats& s, size_t frame_number, bool library_means);
// The JSON document of a run (frames numbered from 1): both kinds of means.
std::string stats_json(const std::vector<FrameStats>& frames);

// The picture: the frame (the library's RGB24, bottom-up B, G, R) with the
// 8x6 grid and each window's mean drawn over it, a level scale, the R, G,
// B histograms with their axes, and the whole-frame, qual and qAE means.
void write_stats_picture(const std::string& path, const FrameStats& s, const uint8_t* rgb24, bool library_means);

struct StatsOptions {
  std::string input, from, size, json, picture;
  bool library_means = false;
  PictureControls controls;
};

void add_stats_command(CLI::App* app, StatsOptions* options);
int run_stats(StatsOptions options);

}  // namespace pplcam_tool
