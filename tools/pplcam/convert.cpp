#include "convert.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdio>
#include <memory>

#include "frame_converter.h"
#include "image_io.h"
#include "library.h"
#include "progress.h"
#include "tool_error.h"

namespace pplcam_tool {

void add_convert_command(CLI::App* app, ConvertOptions* o) {
  CLI::App* cmd = app->add_subcommand("convert", "convert raw Bayer, YUV or interlaced frames to pictures or video");
  cmd->add_option("input", o->input, "input file: raw frames back to back (give --size) or an 8-bit PGM")
      ->required();
  cmd->add_option("-o,--output", o->output,
                  "output file; png and bmp write one file per frame (name-0001.png, ...) when the input has "
                  "several")
      ->required();
  cmd->add_option("--from", o->from, std::string("input format: ") + kInputFormatNames +
                                         " (default: from the extension; .pgm, .raw and .bggr are Bayer)");
  cmd->add_option("--to", o->to, std::string("output format: ") + kOutputFormatNames + " (default: from the extension)");
  cmd->add_option("-s,--size", o->size, "input frame size WxH, e.g. 640x480");
  cmd->add_option("--out-size", o->out_size, "interlaced input: output size WxH (taller adds black lines)");
  auto* half = cmd->add_flag("--half", o->half, "half width and height");
  auto* quarter = cmd->add_flag("--quarter", o->quarter, "quarter width and height (interlaced input)");
  auto* dbl = cmd->add_flag("--double", o->doubled, "double width and height (Bayer input)");
  half->excludes(quarter)->excludes(dbl);
  quarter->excludes(dbl);
  cmd->add_flag("--no-motion", o->no_motion, "interlaced input: weave the fields without the motion test");
  cmd->add_flag("--woven", o->woven,
                "interlaced input: frames hold interleaved lines (default: first field, then second field)");
  cmd->add_option("--fps", o->fps, "frame rate written into y4m files")->check(CLI::Range(1, 1000));
  cmd->add_flag("--quiet", o->quiet, "print nothing on success");
  add_control_options(cmd, &o->controls);
  cmd->footer(
      "Exit codes: 0 done, 1 the library produced nothing (conversion not in this build), 2 bad arguments "
      "or a size or control the library refuses, 3 unreadable or malformed input, 4 output not writable, "
      "5 whole frames converted but the input ended with a partial frame.");
}

std::string numbered_name(const std::string& pattern, size_t frame) {
  if (pattern.find('%') != std::string::npos) {
    char buf[4096];
    std::snprintf(buf, sizeof buf, pattern.c_str(), int(frame));
    return buf;
  }
  const size_t slash = pattern.find_last_of('/');
  size_t dot = pattern.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = pattern.size();
  char num[16];
  std::snprintf(num, sizeof num, "-%04zu", frame);
  return pattern.substr(0, dot) + num + pattern.substr(dot);
}

namespace {

InputFormat input_format(const ConvertOptions& o) {
  InputFormat f;
  if (!o.from.empty()) {
    if (!parse_input_format(o.from, &f))
      fail(kExitUsage, "unknown input format '" + o.from + "'; known: " + kInputFormatNames);
    return f;
  }
  if (!input_format_from_path(o.input, &f))
    fail(kExitUsage, "cannot tell the format of " + o.input + " from its name; give --from (" +
                         kInputFormatNames + ")");
  return f;
}

OutputFormat output_format(const ConvertOptions& o) {
  OutputFormat f;
  if (!o.to.empty()) {
    if (!parse_output_format(o.to, &f))
      fail(kExitUsage, "unknown output format '" + o.to + "'; known: " + kOutputFormatNames);
    return f;
  }
  if (!output_format_from_path(o.output, &f))
    fail(kExitUsage, "cannot tell the output format of " + o.output + " from its name; give --to (" +
                         kOutputFormatNames + ")");
  return f;
}

bool is_pgm(const ConvertOptions& o) {
  if (o.from == "pgm") return true;
  const size_t dot = o.input.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string e = o.input.substr(dot + 1);
  for (char& ch : e) ch = char(std::tolower(static_cast<unsigned char>(ch)));
  return e == "pgm";
}

// Where the converted frames go: one stream file, or one picture per frame.
class FrameSink {
 public:
  FrameSink(const ConvertOptions& o, OutputFormat format, Size size, size_t expected_frames)
      : o_(o), format_(format), size_(size),
        sequence_(expected_frames != 1 || o.output.find('%') != std::string::npos) {
    if (format.kind == FileKind::kY4m) y4m_ = std::make_unique<Y4mWriter>(o.output, size, format.pixels, o.fps);
    else if (format.kind == FileKind::kRaw) raw_ = std::make_unique<OutputFile>(o.output);
    else check_writable(sequence_ ? numbered_name(o.output, 1) : o.output);
  }

  void write(const FrameBuffer& frame, size_t index) {
    if (y4m_) return y4m_->write_frame(frame.data());
    if (raw_) return raw_->write(frame.data(), frame.size());
    const std::string path = sequence_ ? numbered_name(o_.output, index + 1) : o_.output;
    if (format_.kind == FileKind::kPng) write_png(path, frame.data(), size_, true);
    else write_bmp(path, frame.data(), size_, format_.pixels);
    written_.add(path);
  }

  // Makes the output permanent; returns a description for the summary.
  std::string commit(size_t frames) {
    if (y4m_) y4m_->commit();
    if (raw_) raw_->commit();
    written_.keep();
    if (!sequence_ || y4m_ || raw_) return o_.output;
    return numbered_name(o_.output, 1) + " .. " + numbered_name(o_.output, frames);
  }

 private:
  const ConvertOptions& o_;
  OutputFormat format_;
  Size size_;
  bool sequence_;
  std::unique_ptr<Y4mWriter> y4m_;
  std::unique_ptr<OutputFile> raw_;
  FileSet written_;  // removed again unless committed
};

}  // namespace

int run_convert(const ConvertOptions& o) {
  const InputFormat in_format = input_format(o);
  const OutputFormat out_format = output_format(o);
  int modes = o.half + o.quarter + o.doubled;
  if (modes > 1) fail(kExitUsage, "give at most one of --half, --quarter, --double");

  Size size;
  if (!o.size.empty() && !parse_size(o.size, &size))
    fail(kExitUsage, "--size " + o.size + " is not WxH (for example 640x480)");
  Size out_size;
  if (!o.out_size.empty()) {
    if (!parse_size(o.out_size, &out_size)) fail(kExitUsage, "--out-size " + o.out_size + " is not WxH");
    if (!is_interlaced(in_format)) fail(kExitUsage, "--out-size applies to interlaced input only");
    if (modes) fail(kExitUsage, "give either --out-size or a size flag, not both");
  }
  if ((o.no_motion || o.woven) && !is_interlaced(in_format))
    fail(kExitUsage, "--no-motion and --woven apply to interlaced input only");

  const bool pgm = is_pgm(o);
  if (pgm && !is_bayer(in_format)) fail(kExitUsage, "PGM input holds Bayer frames only");
  FrameReader reader = [&] {
    if (pgm) return FrameReader::pgm(o.input);
    if (o.size.empty()) fail(kExitUsage, "raw input needs its frame size: give --size WxH");
    return FrameReader::raw(o.input, input_frame_bytes(in_format, size));
  }();
  if (pgm) {
    if (!o.size.empty() && (size.width != reader.pgm_size().width || size.height != reader.pgm_size().height))
      fail(kExitUsage, "--size " + o.size + " differs from the PGM's " + to_string(reader.pgm_size()));
    size = reader.pgm_size();
  }
  if (reader.frame_count() == 0 && reader.leftover_bytes() > 0)
    fail(kExitInput, o.input + " holds " + std::to_string(reader.leftover_bytes()) + " bytes, less than one " +
                         to_string(size) + " " + name_of(in_format) + " frame (" +
                         std::to_string(reader.frame_bytes()) + " bytes)");

  ConversionPlan plan;
  plan.input = in_format;
  plan.output = out_format.pixels;
  plan.mode = o.half ? SizeMode::kHalf : o.quarter ? SizeMode::kQuarter : o.doubled ? SizeMode::kDouble
                                                                                   : SizeMode::kFull;
  plan.in = size;
  plan.out = out_size;
  plan.no_motion = o.no_motion;
  plan.woven = o.woven;

  Context ctx;
  apply_controls(ctx.get(), o.controls, in_format, plan.output);
  FrameConverter converter(ctx.get(), plan);

  std::vector<uint8_t> frame(reader.frame_bytes());
  FrameSink sink(o, out_format, converter.out_size(), reader.frame_count());
  ProgressBar progress(reader.frame_count());
  size_t frames = 0;
  bool raw_passthrough = false;
  while (reader.next(frame.data())) {
    const Outcome outcome = converter.convert(frame.data());
    if (outcome == Outcome::kNothing || outcome == Outcome::kFallback) {
      progress.finish();
      fail(kExitFailed, converter.function_name() + " produced no picture: " + describe(outcome) +
                            (frames ? " (at frame " + std::to_string(frames + 1) + ")" : std::string()));
    }
    raw_passthrough |= outcome == Outcome::kRawPassthrough;
    sink.write(converter.output(), frames);
    progress.update(++frames);
  }
  progress.finish();
  if (frames == 0) fail(kExitInput, o.input + " holds no frame");
  const std::string written = sink.commit(frames);
  if (!o.quiet) {
    std::printf("wrote %s: %zu frame%s, %s %s, %s%s\n", written.c_str(), frames, frames == 1 ? "" : "s",
                to_string(converter.out_size()).c_str(), name_of(out_format).c_str(),
                converter.function_name().c_str(), raw_passthrough ? " (raw passthrough)" : "");
  }
  if (reader.leftover_bytes()) {
    fail(kExitLeftover, "converted " + std::to_string(frames) + (frames == 1 ? " whole frame;" : " whole frames;") + " the last " +
                            std::to_string(reader.leftover_bytes()) + " bytes of " + o.input +
                            " are not a whole frame (" + std::to_string(reader.frame_bytes()) +
                            " bytes) and were left out");
  }
  return kExitOk;
}

}  // namespace pplcam_tool
