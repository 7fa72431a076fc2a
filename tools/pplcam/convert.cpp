#include "convert.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "frame_converter.h"
#include "frame_names.h"
#include "image_io.h"
#include "input_file.h"
#include "library.h"
#include "progress.h"
#include "tool_error.h"

namespace pplcam_tool {

void add_convert_command(CLI::App* app, ConvertOptions* o) {
  CLI::App* cmd = app->add_subcommand("convert", "convert raw Bayer, YUV or interlaced frames to pictures or video");
  cmd->add_option("input", o->input,
                  "input: raw frames back to back (give --size), a PGM or grey PNG Bayer mosaic, a Y4M stream "
                  "(4:2:2 or mono Bayer); '-' reads standard input")
      ->required();
  cmd->add_option("-o,--output", o->output,
                  "output file, '-' for standard output; png and bmp write one file per frame when the input has "
                  "several: name-0001.png, ..., or where the name says {n} (4 digits) or {n:W} (W digits)")
      ->required();
  cmd->add_option("--from", o->from, std::string("input format: ") + kInputNames +
                                         " (default: from the name; .raw and .bggr are Bayer)");
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
                "interlaced input: frames hold interleaved lines (default: first field, then second field; "
                "Y4M frames are always woven)");
  cmd->add_option("--fps", o->fps, "frame rate written into y4m files")->check(CLI::Range(1, 1000));
  cmd->add_flag("--quiet", o->quiet, "print nothing on success");
  add_control_options(cmd, &o->controls);
  cmd->footer("Exit codes: 0 done, 1 the library produced nothing, 2 bad arguments (a size or control the library "
              "refuses, an output that is an input), 3 unreadable or malformed input, 4 output not writable, "
              "5 whole frames converted but the input ended with a partial frame. See docs/guide.md.");
}

namespace {

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

// Where the converted frames go: one stream (Y4M, raw bytes, or pictures
// one after the other into standard output, a device or a FIFO), or one
// picture file per frame.
class FrameSink {
 public:
  FrameSink(const ConvertOptions& o, OutputFormat format, Size size, size_t expected_frames)
      : o_(o), format_(format), size_(size),
        stream_(format.kind == FileKind::kY4m || format.kind == FileKind::kRaw || writes_in_place(o.output)),
        sequence_(!stream_ && (expected_frames != 1 || has_frame_number(o.output))) {
    if (format.kind == FileKind::kY4m) y4m_ = std::make_unique<Y4mWriter>(o.output, size, format.pixels, o.fps);
    else if (stream_) file_ = std::make_unique<OutputFile>(o.output);
    else check_writable(name(0));
  }

  void write(const FrameBuffer& frame, size_t index) {
    if (y4m_) return y4m_->write_frame(frame.data());
    if (file_) return put(*file_, frame);
    const std::string path = name(index);
    OutputFile out(path);
    put(out, frame);
    out.commit();
    written_.add(path);
  }

  // Makes the output permanent; returns a description for the summary.
  std::string commit(size_t frames) {
    if (y4m_) y4m_->commit();
    if (file_) file_->commit();
    written_.keep();
    if (!sequence_) return o_.output == "-" ? "standard output" : o_.output;
    return name(0) + (frames > 1 ? " .. " + name(frames - 1) : "");
  }

 private:
  std::string name(size_t index) const { return sequence_ ? frame_name(o_.output, index + 1) : o_.output; }

  void put(OutputFile& out, const FrameBuffer& frame) {
    if (format_.kind == FileKind::kRaw) out.write(frame.data(), frame.size());
    else if (format_.kind == FileKind::kPng) write_png(out, frame.data(), size_, true);
    else write_bmp(out, frame.data(), size_, format_.pixels);
  }

  const ConvertOptions& o_;
  OutputFormat format_;
  Size size_;
  bool stream_, sequence_;
  std::unique_ptr<Y4mWriter> y4m_;
  std::unique_ptr<OutputFile> file_;
  FileSet written_;  // removed again unless committed
};

}  // namespace

int run_convert(const ConvertOptions& o) {
  Input input = describe_input(o.input, o.from, o.size);
  const InputFormat in_format = input.format;
  const OutputFormat out_format = output_format(o);
  Size out_size;
  if (!o.out_size.empty()) {
    if (!parse_size(o.out_size, &out_size)) fail(kExitUsage, "--out-size " + o.out_size + " is not WxH");
    if (!is_interlaced(in_format)) fail(kExitUsage, "--out-size applies to interlaced input only");
    if (o.half || o.quarter || o.doubled) fail(kExitUsage, "give either --out-size or a size flag, not both");
  }
  if ((o.no_motion || o.woven) && !is_interlaced(in_format))
    fail(kExitUsage, "--no-motion and --woven apply to interlaced input only");

  ConversionPlan plan;
  plan.input = in_format;
  plan.output = out_format.pixels;
  plan.mode = o.half ? SizeMode::kHalf : o.quarter ? SizeMode::kQuarter : o.doubled ? SizeMode::kDouble
                                                                                   : SizeMode::kFull;
  plan.in = input.size;
  plan.out = out_size;
  plan.no_motion = o.no_motion;
  plan.woven = o.woven || input.woven;

  // The library's verdict on the size and controls comes before the input
  // is read, so that a refused size is not reported as a short file.
  Context ctx;
  apply_controls(ctx.get(), o.controls, in_format, plan.output);
  FrameConverter converter(ctx.get(), plan);

  FrameReader& reader = frames_of(input);
  const std::string shown_input = o.input == "-" ? "standard input" : o.input;
  if (reader.frame_count() == 0 && reader.leftover_bytes() > 0)
    fail(kExitInput, shown_input + " holds " + std::to_string(reader.leftover_bytes()) + " bytes, less than one " +
                         to_string(input.size) + " " + name_of(in_format) + " frame (" +
                         std::to_string(reader.frame_bytes()) + " bytes)");

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
  if (frames == 0) fail(kExitInput, shown_input + " holds no frame");
  const std::string written = sink.commit(frames);
  if (!o.quiet) {
    // Standard output may be the picture itself.
    std::fprintf(is_standard_output(o.output) ? stderr : stdout, "wrote %s: %zu frame%s, %s %s, %s%s\n",
                 written.c_str(), frames, frames == 1 ? "" : "s", to_string(converter.out_size()).c_str(),
                 name_of(out_format).c_str(), converter.function_name().c_str(),
                 raw_passthrough ? " (raw passthrough)" : "");
  }
  if (reader.leftover_bytes()) {
    fail(kExitLeftover, "converted " + std::to_string(frames) + (frames == 1 ? " whole frame;" : " whole frames;") +
                            " the last " + std::to_string(reader.leftover_bytes()) + " bytes of " + shown_input +
                            " are not a whole frame (" + std::to_string(reader.frame_bytes()) +
                            " bytes) and were left out");
  }
  return kExitOk;
}

}  // namespace pplcam_tool
