// `pplcam demo`: converts the bundled sample frames through every quality
// and output format and writes the pictures, video files and statistics
// into a folder, printing each file with the time its conversion took.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace pplcam_tool {

struct DemoOptions {
  std::string out_dir = "out/demo";
  std::string data_dir;  // where the sample frames are; default: the built-in search
};

void add_demo_command(CLI::App* app, DemoOptions* options);
int run_demo(const DemoOptions& options);

}  // namespace pplcam_tool
