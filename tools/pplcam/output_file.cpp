#include "output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tool_error.h"

namespace pplcam_tool {

namespace {

std::string temp_name_for(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return dir + "." + base + ".partial-" + std::to_string(getpid());
}

[[noreturn]] void fail_write(const std::string& path, int err) {
  fail(kExitOutput, "cannot write " + path + ": " + std::strerror(err));
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path), temp_(temp_name_for(path)) {
  file_ = std::fopen(temp_.c_str(), "wb");
  if (!file_) fail_write(path_, errno);
}

OutputFile::~OutputFile() {
  if (file_) {
    std::fclose(file_);
    std::remove(temp_.c_str());
  }
}

void OutputFile::write(const void* data, size_t bytes) {
  if (bytes && std::fwrite(data, 1, bytes, file_) != bytes) fail_write(path_, errno);
}

void OutputFile::commit() {
  FILE* f = file_;
  file_ = nullptr;
  const bool ok = std::fflush(f) == 0 && !std::ferror(f);
  const int err = errno;
  std::fclose(f);
  if (!ok) {
    std::remove(temp_.c_str());
    fail_write(path_, err);
  }
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    const int rename_err = errno;
    std::remove(temp_.c_str());
    fail_write(path_, rename_err);
  }
}

void FileSet::remove_all() {
  for (const std::string& p : paths_) std::remove(p.c_str());
  paths_.clear();
}

void check_writable(const std::string& path) { OutputFile probe(path); }

}  // namespace pplcam_tool
