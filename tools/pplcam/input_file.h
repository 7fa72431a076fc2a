// The input named on the command line: which container it comes in (raw
// frames, PGM, PNG, Y4M), what its frames hold and their size, from the
// name, --from, --size and the file's own header.
#pragma once

#include <optional>
#include <string>

#include "formats.h"
#include "frame_reader.h"

namespace pplcam_tool {

enum class Container { kRaw, kPgm, kPng, kY4m };

struct Input {
  std::string path;   // "-": standard input
  Container container = Container::kRaw;
  InputFormat format = InputFormat::kBayer;
  Size size;
  bool woven = false;                 // Y4M: every frame holds both fields, interleaved
  std::optional<FrameReader> reader;  // opened by describe_input, except raw input
};

// `from` and `size` are the options as given (may be empty). PGM, PNG and
// Y4M files are opened and read as far as their header; raw input is only
// named, so that a size the library refuses is reported before the file
// is looked at. Throws ToolError.
Input describe_input(const std::string& path, const std::string& from, const std::string& size);

// The reader of the input's frames (opening raw input now).
FrameReader& frames_of(Input& in);

// Names accepted by --from beyond the frame formats: the containers.
extern const char kInputNames[];

}  // namespace pplcam_tool
