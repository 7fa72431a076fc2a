#include "demo.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "frame_converter.h"
#include "image_io.h"
#include "library.h"
#include "sample_data.h"
#include "stats.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

constexpr Size kSampleSize{640, 480};

void make_dirs(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!partial.empty() && mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
        fail(kExitOutput, "cannot create folder " + partial + ": " + std::strerror(errno));
    }
    if (i < path.size()) partial += path[i];
  }
}

std::vector<uint8_t> load_sample(const std::string& path) {
  std::vector<uint8_t> data = read_file(path);
  if (data.size() != size_t(kSampleSize.width) * kSampleSize.height)
    fail(kExitInput, path + " is not a 640x480 Bayer frame");
  return data;
}

// Settings of one demo conversion beyond its plan.
struct Settings {
  int quality = 3;
  bool h_mirror = false, v_mirror = false;
};

class Demo {
 public:
  explicit Demo(std::string out_dir) : dir_(std::move(out_dir)) {}

  // Converts `frames` (one or more input frames) and writes them as `file`;
  // prints the file and the time of the conversion, or why there is none.
  // Returns the converted frames (empty when the library produced nothing).
  std::vector<FrameBuffer> run(const std::string& file, const std::vector<const uint8_t*>& frames,
                               const ConversionPlan& plan, const Settings& settings, const std::string& note) {
    Context ctx;
    ppl_set_quality(ctx.get(), settings.quality);
    ppl_set_h_mirror(ctx.get(), settings.h_mirror);
    ppl_set_v_mirror(ctx.get(), settings.v_mirror);
    FrameConverter conv(ctx.get(), plan);
    std::vector<FrameBuffer> out;
    double seconds = 0;
    bool raw = false;
    for (const uint8_t* frame : frames) {
      const auto start = std::chrono::steady_clock::now();
      const Outcome outcome = conv.convert(frame);
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (outcome == Outcome::kNothing || outcome == Outcome::kFallback) {
        report(file, conv.function_name(), -1, describe(outcome));
        ++unavailable_;
        return {};
      }
      raw |= outcome == Outcome::kRawPassthrough;
      out.emplace_back(conv.output_bytes());
      std::memcpy(out.back().data(), conv.output().data(), conv.output_bytes());
    }
    last_stats_ = is_bayer(plan.input) ? read_stats(ctx.get(), plan.in) : FrameStats{};
    write(file, out, plan.output, conv.out_size());
    report(file, conv.function_name(), seconds / frames.size(), note + (raw ? " (raw passthrough)" : ""));
    return out;
  }

  const FrameStats& last_stats() const { return last_stats_; }
  std::string path(const std::string& file) const { return dir_ + "/" + file; }
  void report_extra(const std::string& file, const std::string& what) { report(file, "", -2, what); }
  int written() const { return written_; }
  int unavailable() const { return unavailable_; }

 private:
  void write(const std::string& file, const std::vector<FrameBuffer>& frames, PixelFormat format, Size size) {
    const std::string p = path(file);
    const std::string ext = file.substr(file.find_last_of('.') + 1);
    if (ext == "png") write_png(p, frames[0].data(), size, true);
    else if (ext == "bmp") write_bmp(p, frames[0].data(), size, format);
    else {
      Y4mWriter y4m(p, size, format, 5);
      for (const FrameBuffer& f : frames) y4m.write_frame(f.data());
      y4m.commit();
    }
    ++written_;
  }

  void report(const std::string& file, const std::string& fn, double seconds, const std::string& what) {
    if (seconds >= 0)
      std::printf("  %-30s %-32s %8.2f ms  %s\n", file.c_str(), fn.c_str(), seconds * 1e3, what.c_str());
    else if (seconds == -1)
      std::printf("  %-30s %-32s %8s     %s\n", "-", fn.c_str(), "", (file + ": " + what).c_str());
    else
      std::printf("  %-30s %-32s %8s     %s\n", file.c_str(), fn.c_str(), "", what.c_str());
    std::fflush(stdout);
  }

  std::string dir_;
  FrameStats last_stats_;
  int written_ = 0, unavailable_ = 0;
};

const char* extension_for(PixelFormat f) {
  switch (f) {
    case PixelFormat::kRgb24: return "png";
    case PixelFormat::kRgb32: return "bmp";
    default: return "y4m";
  }
}

ConversionPlan bayer_plan(PixelFormat out, SizeMode mode = SizeMode::kFull) {
  ConversionPlan p;
  p.input = InputFormat::kBayer;
  p.output = out;
  p.mode = mode;
  p.in = kSampleSize;
  return p;
}

}  // namespace

void add_demo_command(CLI::App* app, DemoOptions* o) {
  CLI::App* cmd = app->add_subcommand(
      "demo", "convert the bundled sample through every quality and output format into a folder");
  cmd->add_option("-o,--output", o->out_dir, "folder to write into (default out/demo; created when missing)");
  cmd->add_option("--data", o->data_dir, "folder with the bundled sample frames (default: found automatically)");
  cmd->footer(
      "Writes PNG pictures (RGB24 output), BMP pictures (RGB32 output), Y4M videos (I420, YUYV and UYVY output) "
      "and the statistics picture and JSON. A conversion that this build of the library lacks is listed as not "
      "available; the demo still completes. Exit code 0 unless the sample cannot be read or the folder "
      "cannot be written.");
}

int run_demo(const DemoOptions& o) {
  const std::string data = find_data_dir(o.data_dir);
  if (data.empty()) fail(kExitInput, "cannot find the bundled sample frames; give --data FOLDER");
  const std::vector<uint8_t> coffee = load_sample(data + "/coffee_640x480.bggr");
  const std::vector<uint8_t> chart = load_sample(data + "/chart_640x480.bggr");
  make_dirs(o.out_dir);
  check_writable(o.out_dir + "/.probe");

  Demo demo(o.out_dir);
  std::printf("pplcam demo: sample frames from %s, writing into %s/\n", data.c_str(), o.out_dir.c_str());
  std::printf("  %-30s %-32s %11s  %s\n", "file", "library function", "time", "what");

  const PixelFormat kFormats[] = {PixelFormat::kRgb24, PixelFormat::kRgb32, PixelFormat::kI420, PixelFormat::kYuyv,
                                  PixelFormat::kUyvy};
  static const char* kQualityNames[] = {"edge-directed + sharpening", "edge-directed", "bilinear",
                                        "2x2 replication", "the mosaic as grey", "the mosaic as grey"};
  std::printf("The photograph at every quality and output format:\n");
  for (int q = 0; q <= 5; ++q) {
    for (PixelFormat f : kFormats) {
      const std::string file = std::string("coffee-q") + std::to_string(q) + "-" + name_of(f) + "." + extension_for(f);
      demo.run(file, {coffee.data()}, bayer_plan(f), Settings{q}, kQualityNames[q]);
    }
  }

  std::printf("Sizes and mirrors (quality 2):\n");
  demo.run("coffee-half.png", {coffee.data()}, bayer_plan(PixelFormat::kRgb24, SizeMode::kHalf), {2}, "320x240");
  demo.run("coffee-double.png", {coffee.data()}, bayer_plan(PixelFormat::kRgb24, SizeMode::kDouble), {2}, "1280x960");
  demo.run("coffee-hmirror.png", {coffee.data()}, bayer_plan(PixelFormat::kRgb24), {2, true, false}, "left-right");
  demo.run("coffee-vmirror.png", {coffee.data()}, bayer_plan(PixelFormat::kRgb24), {2, false, true}, "top-bottom");
  demo.run("coffee-rotated.png", {coffee.data()}, bayer_plan(PixelFormat::kRgb24), {2, true, true}, "both: 180 degrees");

  std::printf("The test chart at each demosaic quality:\n");
  for (int q = 0; q <= 3; ++q)
    demo.run("chart-q" + std::to_string(q) + ".png", {chart.data()}, bayer_plan(PixelFormat::kRgb24), {q},
             kQualityNames[q]);

  std::printf("Statistics of the photograph (quality 2):\n");
  if (!demo.run("coffee-q2.bmp", {coffee.data()}, bayer_plan(PixelFormat::kRgb24), {2}, "24-bit BMP").empty()) {
    const FrameStats stats = demo.last_stats();
    if (!has_statistics(stats)) {
      demo.report_extra("coffee-stats.png", "statistics: not available in this build");
    } else {
    write_stats_picture(demo.path("coffee-stats.png"), stats);
    demo.report_extra("coffee-stats.png", "grid means, swatches, R/G/B histograms");
    OutputFile table(demo.path("coffee-stats.txt"));
    const std::string text = stats_table(stats, 1);
    table.write(text.data(), text.size());
    table.commit();
    demo.report_extra("coffee-stats.txt", "the statistics as pplcam stats prints them");
    }
  }

  // YUV and interlaced input, made from the library's own YUYV picture.
  std::printf("YUV and interlaced input (made from the photograph's YUYV output):\n");
  std::vector<FrameBuffer> yuyv =
      demo.run("coffee-yuyv.y4m", {coffee.data()}, bayer_plan(PixelFormat::kYuyv), {2}, "the YUYV source");
  if (yuyv.empty()) {
    std::printf("  (skipped: no YUYV source)\n");
  } else {
    ConversionPlan p;
    p.input = InputFormat::kYuyv;
    p.in = kSampleSize;
    p.output = PixelFormat::kRgb24;
    demo.run("yuyv-to-rgb24.png", {yuyv[0].data()}, p, {}, "progressive YUYV");
    p.output = PixelFormat::kI420;
    demo.run("yuyv-to-i420.y4m", {yuyv[0].data()}, p, {}, "progressive YUYV");

    // Three interlaced frames of a picture sliding right by 4 pixels a frame:
    // the motion test replaces the moving second field where it finds motion.
    const size_t line = size_t(kSampleSize.width) * 2;
    std::vector<std::vector<uint8_t>> frames(3, std::vector<uint8_t>(line * kSampleSize.height));
    for (int f = 0; f < 3; ++f) {
      for (int y = 0; y < kSampleSize.height; ++y) {
        uint8_t* row = frames[f].data() + (y % 2 ? kSampleSize.height / 2 + y / 2 : y / 2) * line;
        const uint8_t* src = yuyv[0].data() + y * line;
        const size_t shift = 8 * f;  // bytes: 4 pixels, whole YUYV pairs
        std::memcpy(row + shift, src, line - shift);
        std::memcpy(row, src, shift);
      }
    }
    std::vector<const uint8_t*> ptrs = {frames[0].data(), frames[1].data(), frames[2].data()};
    ConversionPlan ip;
    ip.input = InputFormat::kIntlYuyv;
    ip.in = kSampleSize;
    ip.output = PixelFormat::kI420;
    demo.run("interlaced-motion.y4m", ptrs, ip, {}, "3 frames, motion-adaptive");
    ip.no_motion = true;
    demo.run("interlaced-weave.y4m", ptrs, ip, {}, "3 frames, plain weave");
    ip.no_motion = false;
    ip.output = PixelFormat::kRgb24;
    demo.run("interlaced-motion.png", {ptrs[2]}, ip, {}, "frame 3 alone, motion-adaptive");
    ip.output = PixelFormat::kI420;
    ip.mode = SizeMode::kHalf;
    demo.run("interlaced-half.y4m", ptrs, ip, {}, "half size, from the first field");
  }

  std::printf("Wrote %d files into %s/", demo.written(), o.out_dir.c_str());
  if (demo.unavailable()) std::printf("; %d conversions are not available in this build", demo.unavailable());
  std::printf(".\n");
  std::remove((o.out_dir + "/.probe").c_str());
  return kExitOk;
}

}  // namespace pplcam_tool
