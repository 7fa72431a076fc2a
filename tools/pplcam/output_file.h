// Outputs that appear whole or not at all, and never at the cost of an
// input or of a device.
//
// A regular file, or a name that does not exist yet, is written to a
// hidden temporary file beside its target (links resolved, so a link stays
// a link) and renamed over the target only when everything was written; an
// existing file is replaced only when the user may write it. Anything else
// is written in place: standard output ("-" or a name of it such as
// /dev/stdout), devices and FIFOs; renaming over /dev/null would replace
// the device with a file. An output that is the same file as an input is
// refused before anything is written. The temporary file is removed on
// every error and when SIGINT, SIGTERM or SIGHUP end the tool.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace pplcam_tool {

// Remembers an input ("-": standard input) so that no output replaces it.
void protect_input(const std::string& path);

// Whether `path` is written in place (see above) rather than replaced.
bool writes_in_place(const std::string& path);

// Whether `path` is the tool's standard output: its report then goes to
// stderr.
bool is_standard_output(const std::string& path);

class OutputFile {
 public:
  explicit OutputFile(const std::string& path);  // throws ToolError
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const void* data, size_t bytes);
  FILE* stream() { return file_; }
  const std::string& path() const { return path_; }
  // Flushes; a replaced file is renamed into place.
  void commit();

 private:
  std::string path_;
  std::string target_, temp_;   // a replaced file: the resolved target and its temporary
  FILE* file_ = nullptr;
  bool own_stream_ = true;      // false for the tool's standard streams
  int slot_ = -1;               // interrupt-cleanup slot of the temporary
};

// The files one command has committed, removed again unless kept, so that a
// command that fails half way takes them all back. Only files the command
// created are listed: in-place outputs are never removed.
class FileSet {
 public:
  ~FileSet() { if (!kept_) remove_all(); }
  void add(const std::string& path);
  void keep() { kept_ = true; }
  void remove_all();

 private:
  std::vector<std::string> paths_;
  bool kept_ = false;
};

// Fails as OutputFile would if `path` could not be written; writes nothing.
void check_writable(const std::string& path);

}  // namespace pplcam_tool
