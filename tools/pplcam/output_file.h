// Files that appear whole or not at all. Data goes to a hidden temporary
// file next to the target, which is renamed over the target only when
// everything was written; a file that is never committed is removed. A
// FileSet remembers the files one command committed so that a command that
// fails half way can take them all back.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace pplcam_tool {

class OutputFile {
 public:
  explicit OutputFile(const std::string& path);  // throws ToolError(kExitOutput)
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const void* data, size_t bytes);
  FILE* stream() { return file_; }
  const std::string& path() const { return path_; }
  // Flushes, closes and renames the temporary file to path().
  void commit();

 private:
  std::string path_, temp_;
  FILE* file_ = nullptr;
};

class FileSet {
 public:
  ~FileSet() { if (!kept_) remove_all(); }
  void add(const std::string& path) { paths_.push_back(path); }
  const std::vector<std::string>& paths() const { return paths_; }
  void keep() { kept_ = true; }
  void remove_all();

 private:
  std::vector<std::string> paths_;
  bool kept_ = false;
};

// Fails with kExitOutput unless a file can be created in path's folder.
void check_writable(const std::string& path);

}  // namespace pplcam_tool
