#include "input_file.h"

#include "output_file.h"
#include "tool_error.h"

namespace pplcam_tool {

const char kInputNames[] = "bayer, yuyv, uyvy, intl-yuyv, intl-uyvy, or the container: pgm, png, y4m";

namespace {

bool container_named(const std::string& name, Container* out) {
  if (name == "pgm") *out = Container::kPgm;
  else if (name == "png") *out = Container::kPng;
  else if (name == "y4m") *out = Container::kY4m;
  else return false;
  return true;
}

std::string shown(const std::string& path) { return path == "-" ? "standard input" : path; }

}  // namespace

Input describe_input(const std::string& path, const std::string& from, const std::string& size_text) {
  Input in;
  in.path = path;
  protect_input(path);
  const std::string ext = extension_of(path);
  bool have_format = false;
  if (!from.empty() && !container_named(lower(from), &in.container)) {
    if (!parse_input_format(from, &in.format))
      fail(kExitUsage, "unknown input format '" + from + "'; known: " + kInputNames);
    have_format = true;
  }
  if (from.empty() || have_format) container_named(ext, &in.container);
  if (!have_format && in.container == Container::kRaw) {
    if (!input_format_from_path(path, &in.format))
      fail(kExitUsage, "cannot tell the format of " + shown(path) + " from its name; give --from (" +
                           kInputNames + ")");
    have_format = true;
  }

  Size size;
  if (!size_text.empty() && !parse_size(size_text, &size))
    fail(kExitUsage, "--size " + size_text + " is not WxH (for example 640x480)");
  if (in.container == Container::kRaw) {
    if (size_text.empty()) fail(kExitUsage, "raw input needs its frame size: give --size WxH");
    in.size = size;
    return in;
  }

  if (in.container == Container::kY4m) {
    in.reader.emplace(FrameReader::y4m(path));
    const Y4mHeader& h = in.reader->y4m_header();
    if (!have_format) in.format = h.mono ? InputFormat::kBayer : h.interlaced ? InputFormat::kIntlYuyv : InputFormat::kYuyv;
    if (h.mono != is_bayer(in.format))
      fail(kExitUsage, std::string("a Y4M ") + (h.mono ? "mono stream holds Bayer frames" : "4:2:2 stream holds YUV frames") +
                           ", not " + name_of(in.format));
    if (in.format == InputFormat::kUyvy || in.format == InputFormat::kIntlUyvy) in.reader->pack_as_uyvy();
    in.woven = true;
  } else {
    if (have_format && !is_bayer(in.format))
      fail(kExitUsage, std::string(in.container == Container::kPng ? "PNG" : "PGM") + " input holds Bayer frames only");
    in.format = InputFormat::kBayer;
    in.reader.emplace(in.container == Container::kPng ? FrameReader::png(path) : FrameReader::pgm(path));
  }
  in.size = in.reader->size();
  if (!size_text.empty() && (size.width != in.size.width || size.height != in.size.height))
    fail(kExitUsage, "--size " + size_text + " differs from the " + to_string(in.size) + " in " + shown(path));
  return in;
}

FrameReader& frames_of(Input& in) {
  if (!in.reader) in.reader.emplace(FrameReader::raw(in.path, input_frame_bytes(in.format, in.size)));
  return *in.reader;
}

}  // namespace pplcam_tool
