#include "demo.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "canvas.h"
#include "frame_converter.h"
#include "frame_reader.h"
#include "image_io.h"
#include "library.h"
#include "sample_data.h"
#include "stats.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

constexpr Size kSampleSize{640, 480};
constexpr int kRuns = 5;   // each conversion is timed this often; the median is shown

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

using Frames = std::vector<FrameBuffer>;

class Demo {
 public:
  explicit Demo(std::string out_dir) : dir_(std::move(out_dir)) {}

  // Converts `frames` (one or more input frames) in order; returns the
  // converted frames (empty when the library produced nothing) and, when
  // `seconds` is given, the median over kRuns runs of the library's time
  // per frame.
  Frames convert(const std::vector<const uint8_t*>& frames, const ConversionPlan& plan, const Settings& settings,
                 double* seconds = nullptr) {
    Frames out;
    std::vector<double> per_frame;
    for (int run = 0; run < (seconds ? kRuns : 1); ++run) {
      Context ctx;
      ppl_set_quality(ctx.get(), settings.quality);
      ppl_set_h_mirror(ctx.get(), settings.h_mirror);
      ppl_set_v_mirror(ctx.get(), settings.v_mirror);
      FrameConverter conv(ctx.get(), plan);
      double total = 0;
      for (const uint8_t* frame : frames) {
        const Outcome outcome = conv.convert(frame);
        if (outcome == Outcome::kNothing || outcome == Outcome::kFallback) {
          last_function_ = conv.function_name();
          last_outcome_ = outcome;
          return {};
        }
        total += conv.last_call_seconds();
        raw_ = outcome == Outcome::kRawPassthrough;
        if (run == 0) {
          out.emplace_back(conv.output_bytes());
          std::memcpy(out.back().data(), conv.output().data(), conv.output_bytes());
        }
      }
      if (run == 0) {
        out_size_ = conv.out_size();
        last_function_ = conv.function_name();
        last_stats_ = is_bayer(plan.input) ? read_stats(ctx.get(), plan.in, 16) : FrameStats{};
      }
      per_frame.push_back(total / frames.size());
    }
    if (seconds) {
      std::sort(per_frame.begin(), per_frame.end());
      *seconds = per_frame[per_frame.size() / 2];
    }
    return out;
  }

  // Converts and writes `file` (a PNG or BMP picture shows the last frame;
  // a Y4M video holds them all); prints the file, the library function, the
  // median time and what the file shows.
  Frames run(const std::string& file, const std::vector<const uint8_t*>& frames, const ConversionPlan& plan,
             const Settings& settings, const std::string& what) {
    double seconds = 0;
    Frames out = convert(frames, plan, settings, &seconds);
    if (out.empty()) {
      std::printf("  %-28s %-30s %9s  %s: %s\n", "-", last_function_.c_str(), "", file.c_str(), describe(last_outcome_));
      ++unavailable_;
      return out;
    }
    write(file, out, plan.output);
    char time[32];
    std::snprintf(time, sizeof time, "%6.2f ms", seconds * 1e3);
    report(file, last_function_, time, what + (raw_ ? " (raw passthrough)" : ""));
    return out;
  }

  void report(const std::string& file, const std::string& function, const std::string& time,
              const std::string& what) {
    std::printf("  %-28s %-30s %9s  %s\n", file.c_str(), function.c_str(), time.c_str(), what.c_str());
    std::fflush(stdout);
  }

  void wrote_extra(const std::string& file, const std::string& what) {
    ++written_;
    report(file, "", "", what);
  }

  const FrameStats& last_stats() const { return last_stats_; }
  Size out_size() const { return out_size_; }
  std::string path(const std::string& file) const { return dir_ + "/" + file; }
  int written() const { return written_; }
  int unavailable() const { return unavailable_; }

 private:
  void write(const std::string& file, const Frames& frames, PixelFormat format) {
    const std::string p = path(file);
    const std::string ext = file.substr(file.find_last_of('.') + 1);
    if (ext == "y4m") {
      Y4mWriter y4m(p, out_size_, format, 5);
      for (const FrameBuffer& f : frames) y4m.write_frame(f.data());
      y4m.commit();
    } else {
      OutputFile out(p);
      if (ext == "png") write_png(out, frames.back().data(), out_size_, true);
      else write_bmp(out, frames.back().data(), out_size_, format);
      out.commit();
    }
    ++written_;
  }

  std::string dir_;
  FrameStats last_stats_;
  Size out_size_;
  std::string last_function_;
  Outcome last_outcome_ = Outcome::kConverted;
  bool raw_ = false;
  int written_ = 0, unavailable_ = 0;
};

const char* extension_for(PixelFormat f) {
  switch (f) {
    case PixelFormat::kRgb24: return "png";
    case PixelFormat::kRgb32: return "bmp";
    default: return "y4m";
  }
}

ConversionPlan plan_for(InputFormat in, PixelFormat out, SizeMode mode = SizeMode::kFull) {
  ConversionPlan p;
  p.input = in;
  p.output = out;
  p.mode = mode;
  p.in = kSampleSize;
  return p;
}

// An interlaced YUYV capture with real motion, made from the two samples:
// the test chart's colour patches slide right over the photograph, 12
// pixels a field. Each frame's first field (its even lines) shows the scene
// at time 2f, its second field (odd lines) at time 2f + 1, as a camera
// delivers them: field after field, the first one complete before the
// second.
std::vector<std::vector<uint8_t>> moving_patch_capture(const uint8_t* photo, const uint8_t* chart, int frames) {
  const size_t line = size_t(kSampleSize.width) * 2;
  const int patch_x = 24, patch_y = 24, patch_w = 208, patch_h = 144;   // chart pixels: the colour patches
  std::vector<std::vector<uint8_t>> capture;
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> frame(line * kSampleSize.height);
    for (int y = 0; y < kSampleSize.height; ++y) {
      const int t = 2 * f + (y % 2);
      const int x0 = 48 + 12 * t, y0 = 180;   // even, so YUYV pairs stay whole
      uint8_t* row = frame.data() + (y % 2 ? kSampleSize.height / 2 + y / 2 : y / 2) * line;
      std::memcpy(row, photo + y * line, line);
      if (y >= y0 && y < y0 + patch_h)
        std::memcpy(row + x0 * 2, chart + (patch_y + y - y0) * line + patch_x * 2, size_t(patch_w) * 2);
    }
    capture.push_back(std::move(frame));
  }
  return capture;
}

// Where two RGB24 pictures differ, in magenta over a dimmed copy of the
// first; returns the number of differing pixels.
size_t write_difference_map(const std::string& path, const uint8_t* a, const uint8_t* b, Size size) {
  Canvas cv(size.width, size.height, {0, 0, 0});
  size_t changed = 0;
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const size_t i = (size_t(size.height - 1 - y) * size.width + x) * 3;   // bottom-up B, G, R
      const bool differs = std::memcmp(a + i, b + i, 3) != 0;
      changed += differs;
      const uint8_t grey = uint8_t((a[i] + 2 * a[i + 1] + a[i + 2]) / 12);
      cv.put(x, y, differs ? Colour{255, 0, 255} : Colour{grey, grey, grey});
    }
  }
  OutputFile out(path);
  write_png(out, cv.rgb(), cv.size(), false);
  out.commit();
  return changed;
}

}  // namespace

void add_demo_command(CLI::App* app, DemoOptions* o) {
  CLI::App* cmd = app->add_subcommand(
      "demo", "convert the bundled samples through every quality and output format into a folder");
  cmd->add_option("-o,--output", o->out_dir, "folder to write into (default out/demo; created when missing)");
  cmd->add_option("--data", o->data_dir, "folder with the bundled sample frames (default: found automatically)");
  cmd->footer(
      "Writes PNG pictures (RGB24 output), BMP pictures (RGB32 output), Y4M videos (I420, YUYV and UYVY output), "
      "the statistics as a picture, a table and JSON, and an interlaced capture with motion made from the two "
      "samples, deinterlaced with and without the motion test. Each line names the file, the library function, "
      "the median time of the library call over 5 runs and what the file shows. A conversion that this build "
      "lacks is listed as not available; the demo still completes. Exit code 0 unless the samples cannot be "
      "read (3) or the folder cannot be written (4).");
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
  std::printf("  %-28s %-30s %9s  %s\n", "file", "library function", "median", "what it shows");

  const PixelFormat kFormats[] = {PixelFormat::kRgb24, PixelFormat::kRgb32, PixelFormat::kI420, PixelFormat::kYuyv,
                                  PixelFormat::kUyvy};
  static const char* kQualityNames[] = {"edge-directed demosaic + sharpening", "edge-directed demosaic",
                                        "bilinear demosaic", "2x2 cell replication", "the raw mosaic as grey",
                                        "the raw mosaic as grey"};
  std::printf("The photograph at every quality and output format:\n");
  for (int q = 0; q <= 5; ++q) {
    for (PixelFormat f : kFormats) {
      const std::string file = std::string("coffee-q") + std::to_string(q) + "-" + name_of(f) + "." + extension_for(f);
      demo.run(file, {coffee.data()}, plan_for(InputFormat::kBayer, f), Settings{q},
               std::string(kQualityNames[q]) + ", " + name_of(f) + " output");
    }
  }

  std::printf("Sizes and mirrors (quality 2):\n");
  const ConversionPlan rgb = plan_for(InputFormat::kBayer, PixelFormat::kRgb24);
  demo.run("coffee-half.png", {coffee.data()}, plan_for(InputFormat::kBayer, PixelFormat::kRgb24, SizeMode::kHalf),
           {2}, "half size, 320x240");
  demo.run("coffee-double.png", {coffee.data()},
           plan_for(InputFormat::kBayer, PixelFormat::kRgb24, SizeMode::kDouble), {2}, "double size, 1280x960");
  demo.run("coffee-hmirror.png", {coffee.data()}, rgb, {2, true, false}, "mirrored left-right");
  demo.run("coffee-vmirror.png", {coffee.data()}, rgb, {2, false, true}, "mirrored top-bottom");
  demo.run("coffee-rotated.png", {coffee.data()}, rgb, {2, true, true}, "both mirrors: turned 180 degrees");

  std::printf("The test chart at each demosaic quality:\n");
  for (int q = 0; q <= 3; ++q)
    demo.run("chart-q" + std::to_string(q) + ".png", {chart.data()}, rgb, {q},
             std::string(kQualityNames[q]) + ": star, wedges, patches");

  std::printf("Statistics of the photograph (quality 2):\n");
  const Frames picture = demo.convert({coffee.data()}, rgb, {2});
  const FrameStats stats = demo.last_stats();
  if (picture.empty() || !has_statistics(stats)) {
    demo.report("coffee-stats.png", "", "", "statistics: not available in this build");
  } else {
    write_stats_picture(demo.path("coffee-stats.png"), stats, picture[0].data(), false);
    demo.wrote_extra("coffee-stats.png", "the frame with its 8x6 window means, histograms, level scale");
    const std::string text = stats_table(stats, 1, false);
    OutputFile table(demo.path("coffee-stats.txt"));
    table.write(text.data(), text.size());
    table.commit();
    demo.wrote_extra("coffee-stats.txt", "the statistics as pplcam stats prints them");
    const std::string json = stats_json({stats});
    OutputFile json_file(demo.path("coffee-stats.json"));
    json_file.write(json.data(), json.size());
    json_file.commit();
    demo.wrote_extra("coffee-stats.json", "the same as pplcam stats --json writes it, both kinds of means");
  }

  std::printf("YUV input (made from the photograph's YUYV output):\n");
  const Frames photo_yuyv = demo.run("coffee-yuyv.y4m", {coffee.data()}, plan_for(InputFormat::kBayer, PixelFormat::kYuyv),
                                     {2}, "the YUYV source of what follows");
  const Frames chart_yuyv = demo.convert({chart.data()}, plan_for(InputFormat::kBayer, PixelFormat::kYuyv), {2});
  if (photo_yuyv.empty() || chart_yuyv.empty()) {
    std::printf("  (skipped: no YUYV source)\n");
  } else {
    demo.run("yuyv-to-rgb24.png", {photo_yuyv[0].data()}, plan_for(InputFormat::kYuyv, PixelFormat::kRgb24), {},
             "progressive YUYV to RGB24");
    demo.run("yuyv-to-i420.y4m", {photo_yuyv[0].data()}, plan_for(InputFormat::kYuyv, PixelFormat::kI420), {},
             "progressive YUYV to I420");

    std::printf("Interlaced input: the chart's colour patches slide over the photograph, 12 pixels a field:\n");
    const auto capture = moving_patch_capture(photo_yuyv[0].data(), chart_yuyv[0].data(), 6);
    std::vector<const uint8_t*> all, first_four;
    for (const auto& f : capture) all.push_back(f.data());
    first_four.assign(all.begin(), all.begin() + 4);
    ConversionPlan ip = plan_for(InputFormat::kIntlYuyv, PixelFormat::kRgb24);
    ip.no_motion = true;
    const Frames woven = demo.run("interlaced-weave.png", first_four, ip, {},
                                  "frame 4 woven: the moving patches comb and fringe");
    ip.no_motion = false;
    const Frames adaptive = demo.run("interlaced-motion.png", first_four, ip, {},
                                     "frame 4, motion test: moving chroma from the first field");
    if (!woven.empty() && !adaptive.empty()) {
      const size_t changed = write_difference_map(demo.path("interlaced-motion-map.png"), woven.back().data(),
                                                  adaptive.back().data(), demo.out_size());
      demo.wrote_extra("interlaced-motion-map.png",
                       "magenta: the " + std::to_string(changed) + " pixels the motion test changed in frame 4");
    }
    ip.output = PixelFormat::kI420;
    demo.run("interlaced-motion.y4m", all, ip, {}, "all 6 frames, motion test");
    ip.no_motion = true;
    demo.run("interlaced-weave.y4m", all, ip, {}, "all 6 frames, plain weave");
    ip.no_motion = false;
    ip.mode = SizeMode::kHalf;
    demo.run("interlaced-half.y4m", all, ip, {}, "half size, from the first fields alone");
  }

  std::printf("Wrote %d files into %s/", demo.written(), o.out_dir.c_str());
  if (demo.unavailable()) std::printf("; %d conversions are not available in this build", demo.unavailable());
  std::printf(".\nTimes are the median of %d runs of each library call on this machine.\n", kRuns);
  return kExitOk;
}

}  // namespace pplcam_tool
