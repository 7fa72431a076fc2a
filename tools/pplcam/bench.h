// `pplcam bench`: frames and megapixels per second of every converter on
// this processor, on each kernel path it runs, next to memcpy of the same
// bytes.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace pplcam_tool {

struct BenchOptions {
  double seconds = 0.25;  // per converter and path
  std::string filter;
};

void add_bench_command(CLI::App* app, BenchOptions* options);
int run_bench(const BenchOptions& options);

}  // namespace pplcam_tool
