// pplcam: the command-line face of the library. Converts camera captures,
// shows the statistics the library gathers, measures its speed and runs
// the bundled demonstration.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <new>

#include "bench.h"
#include "convert.h"
#include "demo.h"
#include "interrupt_cleanup.h"
#include "stats.h"
#include "tool_error.h"

using namespace pplcam_tool;

int main(int argc, char** argv) {
  install_interrupt_cleanup();
  CLI::App app("pplcam: convert camera frames with the pplcam image pipeline", "pplcam");
  app.require_subcommand(1);
  app.set_version_flag("--version", "pplcam 0.1.0");
  ConvertOptions convert;
  StatsOptions stats;
  BenchOptions bench;
  DemoOptions demo;
  add_convert_command(&app, &convert);
  add_stats_command(&app, &stats);
  add_bench_command(&app, &bench);
  add_demo_command(&app, &demo);
  app.footer("Run 'pplcam COMMAND --help' for the options of a command.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // One line, and the usage exit code whatever CLI11 would choose.
    std::fprintf(stderr, "pplcam: %s (see pplcam --help)\n", e.what());
    return kExitUsage;
  }

  try {
    if (app.got_subcommand("convert")) return run_convert(convert);
    if (app.got_subcommand("stats")) return run_stats(stats);
    if (app.got_subcommand("bench")) return run_bench(bench);
    if (app.got_subcommand("demo")) return run_demo(demo);
  } catch (const ToolError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "pplcam: %s\n", e.what());
    return e.code();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "pplcam: out of memory\n");
    return kExitFailed;
  }
  return kExitUsage;
}
