// `pplcam stats`: the auto-exposure and white-balance statistics that the
// library gathers while it converts a Bayer frame, as a table, as JSON, and
// as a picture of the 8x6 grid means and the three histograms.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "controls.h"
#include "formats.h"

namespace CLI {
class App;
}

namespace pplcam_tool {

using Rgb = std::array<uint32_t, 3>;  // means in 1/256 of a sample level

struct FrameStats {
  Size size;
  int quality = 0;
  Rgb whole{}, all_windows{}, outside{}, qual{}, qae{};
  uint32_t qual_count = 0, qae_count = 0;
  Rgb four_points{}, central4{}, central8{}, central16{};
  std::array<Rgb, 48> grid{};
  std::array<std::array<uint32_t, 256>, 3> histogram{};  // r, g, b
};

// Reads every statistics getter of ctx after a Bayer frame.
FrameStats read_stats(ppl_context* ctx, Size size);

// False when the frame left every histogram empty: the library gathered
// nothing (statistics collection not in this build, or switched off).
bool has_statistics(const FrameStats& s);

std::string stats_table(const FrameStats& s, size_t frame_number);
// The picture: grid means on the left, R, G, B histograms on the right,
// swatches of the whole-frame, all-windows, qual and qAE means below.
void write_stats_picture(const std::string& path, const FrameStats& s);

struct StatsOptions {
  std::string input, size, json, picture;
  bool json_stdout = false;
  PictureControls controls;
};

void add_stats_command(CLI::App* app, StatsOptions* options);
int run_stats(StatsOptions options);

}  // namespace pplcam_tool
