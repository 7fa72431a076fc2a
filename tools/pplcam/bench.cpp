#include "bench.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "frame_converter.h"
#include "library.h"
#include "pplcam/pplcam_ext.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

struct Case {
  InputFormat input;
  PixelFormat output;
  SizeMode mode;
  int quality;  // Bayer only; -1 otherwise
  bool no_motion;
};

std::vector<Case> all_cases() {
  std::vector<Case> cases;
  const PixelFormat kAll[] = {PixelFormat::kI420, PixelFormat::kYuyv, PixelFormat::kUyvy, PixelFormat::kRgb24,
                              PixelFormat::kRgb32};
  for (int q = 0; q <= 4; ++q) cases.push_back({InputFormat::kBayer, PixelFormat::kI420, SizeMode::kFull, q, false});
  for (PixelFormat f : kAll)
    for (SizeMode m : {SizeMode::kFull, SizeMode::kHalf, SizeMode::kDouble})
      if (!(f == PixelFormat::kI420 && m == SizeMode::kFull)) cases.push_back({InputFormat::kBayer, f, m, 3, false});
  for (InputFormat in : {InputFormat::kYuyv, InputFormat::kUyvy})
    for (PixelFormat f : {PixelFormat::kI420, PixelFormat::kRgb24}) cases.push_back({in, f, SizeMode::kFull, -1, false});
  for (InputFormat in : {InputFormat::kIntlYuyv, InputFormat::kIntlUyvy})
    for (PixelFormat f : {in == InputFormat::kIntlYuyv ? PixelFormat::kYuyv : PixelFormat::kUyvy, PixelFormat::kI420,
                          PixelFormat::kRgb24})
      for (bool nm : {false, true}) cases.push_back({in, f, SizeMode::kFull, -1, nm});
  return cases;
}

// Seconds per call of fn, measured over at least `budget` seconds.
template <class Fn>
double seconds_per_call(double budget, Fn fn) {
  using clock = std::chrono::steady_clock;
  fn();  // warm the caches and the library's one-time tables
  size_t calls = 0;
  const auto start = clock::now();
  double elapsed = 0;
  do {
    for (int i = 0; i < 4; ++i) fn();
    calls += 4;
    elapsed = std::chrono::duration<double>(clock::now() - start).count();
  } while (elapsed < budget);
  return elapsed / calls;
}

struct PathResult {
  bool available = false;
  int32_t ran = PPL_EXT_PATH_NONE;   // the path the library reports for the frames
  double fps = 0, mpps = 0, vs_memcpy = 0;
};

// The paths this processor runs, widest first.
std::vector<int32_t> paths_of_this_machine() {
  std::vector<int32_t> ids;
  const uint32_t bits = ppl_ext_available_paths();
  for (int32_t id = 31; id > PPL_EXT_PATH_NONE; --id)
    if (bits & (1u << id)) ids.push_back(id);
  return ids;
}

// One conversion on 16-byte-aligned buffers, the context limited to `path`.
PathResult measure(const Case& c, int32_t path, double budget) {
  Context ctx;
  ppl_ext_set_path_limit(ctx.get(), path);
  if (c.quality >= 0) ppl_set_quality(ctx.get(), c.quality);
  ConversionPlan plan;
  plan.input = c.input;
  plan.output = c.output;
  plan.mode = c.mode;
  plan.in = {640, 480};
  plan.no_motion = c.no_motion;
  FrameConverter conv(ctx.get(), plan, 0);
  std::vector<uint8_t> frame(conv.input_bytes());
  std::mt19937 rng(7);
  for (uint8_t& b : frame) b = uint8_t(rng());
  PathResult r;
  const Outcome o = conv.convert(frame.data());
  if (o != Outcome::kConverted && o != Outcome::kRawPassthrough) return r;
  r.available = true;
  const double t = seconds_per_call(budget, [&] { conv.run_again(); });
  r.ran = ppl_ext_last_path(ctx.get());
  FrameBuffer a(conv.output_bytes()), b(conv.output_bytes());
  const double copy = seconds_per_call(budget / 4, [&] {
    std::memcpy(a.data(), b.data(), a.size());
    asm volatile("" : : "r"(a.data()) : "memory");
  });
  const Size out = conv.out_size();
  r.fps = 1.0 / t;
  r.mpps = double(out.width) * out.height / t / 1e6;
  r.vs_memcpy = t / copy;
  return r;
}

std::string label(const Case& c) {
  std::string s = std::string(name_of(c.input)) + " > " + name_of(c.output);
  if (c.mode != SizeMode::kFull) s += c.mode == SizeMode::kHalf ? " half" : " double";
  if (c.quality >= 0) s += " q" + std::to_string(c.quality);
  if (c.no_motion) s += " no-motion";
  return s;
}

std::string cell(const PathResult& r) {
  if (!r.available) return "         not in this build          ";
  char buf[64];
  const char* ran = ppl_ext_path_name(r.ran);
  std::snprintf(buf, sizeof buf, "%-6s %8.0f %8.1f %9.1fx ", ran ? ran : "?", r.fps, r.mpps, r.vs_memcpy);
  return buf;
}

}  // namespace

void add_bench_command(CLI::App* app, BenchOptions* o) {
  CLI::App* cmd = app->add_subcommand("bench", "frames and megapixels per second of every converter on this CPU");
  cmd->add_option("--seconds", o->seconds, "time per converter and path (default 0.25)")
      ->check(CLI::Range(0.01, 60.0));
  cmd->add_option("--filter", o->filter, "only the rows whose label contains this text (e.g. 'bayer > rgb24')");
  cmd->footer(
      "Input frames are 640x480 of random bytes, in 16-byte-aligned buffers. One column per kernel path this "
      "processor runs: the context is limited to that path (ppl_ext_set_path_limit) and 'ran' is the path the "
      "library reports for the frames (ppl_ext_last_path; a narrower one where the conversion needs it, 'none' "
      "where no kernel runs). 'x memcpy' is the time of one conversion over the time of memcpy of its output "
      "bytes, measured in the same run.");
}

int run_bench(const BenchOptions& o) {
  const std::vector<Case> cases = all_cases();
  if (std::none_of(cases.begin(), cases.end(), [&](const Case& c) { return label(c).find(o.filter) != std::string::npos; }))
    fail(kExitUsage, "no conversion matches --filter '" + o.filter + "'; labels look like 'bayer > rgb24 q3' or "
                     "'intl-yuyv > i420 no-motion'");
  const std::vector<int32_t> paths = paths_of_this_machine();
  std::printf("%-34s", "640x480 input");
  for (int32_t p : paths) std::printf(" | %-36s", (std::string("limited to ") + ppl_ext_path_name(p)).c_str());
  std::printf("\n%-34s", "conversion");
  for (size_t i = 0; i < paths.size(); ++i) std::printf(" | %-6s %8s %8s %10s", "ran", "fps", "MP/s", "x memcpy");
  std::printf("\n");
  for (const Case& c : cases) {
    const std::string name = label(c);
    if (name.find(o.filter) == std::string::npos) continue;
    std::printf("%-34s", name.c_str());
    for (int32_t p : paths) std::printf(" | %s", cell(measure(c, p, o.seconds)).c_str());
    std::printf("\n");
    std::fflush(stdout);
  }
  return kExitOk;
}

}  // namespace pplcam_tool
