// The frame formats the tool reads and writes, their names on the command
// line and in file extensions, and their sizes in bytes.
#pragma once

#include <cstddef>
#include <string>

namespace pplcam_tool {

// What an input file holds, frame after frame.
enum class InputFormat {
  kBayer,     // raw 8-bit BGGR mosaic, width x height bytes
  kYuyv,      // progressive packed 4:2:2, 2 bytes per pixel
  kUyvy,
  kIntlYuyv,  // interlaced: two fields of height/2 lines each per frame
  kIntlUyvy,
};

// The pixel layouts the library writes.
enum class PixelFormat { kI420, kYuyv, kUyvy, kRgb24, kRgb32 };

// The kind of file an output is.
enum class FileKind {
  kPng,  // RGB picture, one file per frame
  kBmp,  // 24-bit bottom-up BGR picture, one file per frame
  kY4m,  // I420 video stream
  kRaw,  // the library's bytes, frames back to back
};

struct OutputFormat {
  FileKind kind;
  PixelFormat pixels;  // what the library is asked for
};

// The size of the picture relative to the input.
enum class SizeMode { kFull, kHalf, kQuarter, kDouble };

struct Size {
  int width = 0;
  int height = 0;
};

const char* name_of(InputFormat f);
const char* name_of(PixelFormat f);
const char* name_of(FileKind k);
std::string name_of(OutputFormat f);
const char* name_of(SizeMode m);

// Names accepted by --from / --to, and the list for help texts.
bool parse_input_format(const std::string& name, InputFormat* out);
bool parse_output_format(const std::string& name, OutputFormat* out);
extern const char kOutputFormatNames[];

// Lower case, and a file name's extension in lower case ("" when none).
std::string lower(std::string s);
std::string extension_of(const std::string& path);

// Guesses from a file name's extension; false when it says nothing.
bool input_format_from_path(const std::string& path, InputFormat* out);
bool output_format_from_path(const std::string& path, OutputFormat* out);

// "640x480" -> {640, 480}; false for anything else.
bool parse_size(const std::string& text, Size* out);
std::string to_string(Size s);

bool is_interlaced(InputFormat f);
bool is_bayer(InputFormat f);

size_t input_frame_bytes(InputFormat f, Size s);
size_t pixel_frame_bytes(PixelFormat f, Size s);

}  // namespace pplcam_tool
