// `pplcam convert`: raw Bayer, YUV or interlaced frames to PNG, BMP, Y4M or
// the library's raw output formats.
#pragma once

#include <string>

#include "controls.h"

namespace CLI {
class App;
}

namespace pplcam_tool {

struct ConvertOptions {
  std::string input, output;
  std::string from, to;
  std::string size, out_size;
  bool half = false, quarter = false, doubled = false;
  bool no_motion = false;
  bool woven = false;
  int fps = 30;
  bool quiet = false;
  PictureControls controls;
};

void add_convert_command(CLI::App* app, ConvertOptions* options);
int run_convert(const ConvertOptions& options);

}  // namespace pplcam_tool
