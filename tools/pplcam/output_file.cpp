#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "interrupt_cleanup.h"
#include "tool_error.h"

namespace pplcam_tool {

namespace {

struct Protected {
  dev_t dev;
  ino_t ino;
  std::string name;
};
std::vector<Protected> g_inputs;

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The tool's standard stream (1 or 2) that `path` names, or -1.
int standard_stream_of(const std::string& path) {
  if (path == "-") return STDOUT_FILENO;
  struct stat st, stream;
  if (stat(path.c_str(), &st) != 0) return -1;
  for (int fd : {STDOUT_FILENO, STDERR_FILENO})
    if (fstat(fd, &stream) == 0 && same_file(st, stream)) return fd;
  return -1;
}

std::string temp_name_for(const std::string& path) {
  static unsigned serial = 0;
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return dir + "." + base + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
}

[[noreturn]] void fail_write(const std::string& path, int err) {
  fail(kExitOutput, "cannot write " + path + ": " + std::strerror(err));
}

}  // namespace

void protect_input(const std::string& path) {
  struct stat st;
  const int r = path == "-" ? fstat(STDIN_FILENO, &st) : stat(path.c_str(), &st);
  if (r == 0) g_inputs.push_back({st.st_dev, st.st_ino, path == "-" ? "standard input" : path});
}

bool writes_in_place(const std::string& path) {
  struct stat st;
  return standard_stream_of(path) >= 0 ||
         (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode));
}

bool is_standard_output(const std::string& path) { return standard_stream_of(path) == STDOUT_FILENO; }

OutputFile::OutputFile(const std::string& path) : path_(path) {
  struct stat st;
  const bool exists = path == "-" ? fstat(STDOUT_FILENO, &st) == 0 : stat(path.c_str(), &st) == 0;
  // Only a file can be lost by writing over it; a terminal or a pipe may
  // well be both standard input and standard output.
  if (exists && S_ISREG(st.st_mode)) {
    for (const Protected& in : g_inputs)
      if (st.st_dev == in.dev && st.st_ino == in.ino)
        fail(kExitUsage, "output " + path + " is the input " + in.name + "; write to another name");
  }
  if (exists && S_ISDIR(st.st_mode)) fail(kExitOutput, "cannot write " + path + ": it is a folder");
  const int stream = standard_stream_of(path);
  if (stream >= 0) {
    file_ = stream == STDOUT_FILENO ? stdout : stderr;
    own_stream_ = false;
    return;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) fail_write(path, errno);
    return;
  }
  target_ = path;
  if (exists) {
    // Replaced only when the user could have written it in place.
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) fail_write(path, errno);
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      target_ = resolved;
      std::free(resolved);
    }
  }
  const std::string temp = temp_name_for(target_);
  slot_ = track_temporary(temp.c_str());
  if (slot_ < 0) fail(kExitOutput, "cannot write " + path + ": name too long or too many outputs at once");
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? st.st_mode & 0777 : 0666);
  file_ = fd >= 0 ? fdopen(fd, "wb") : nullptr;
  if (!file_) {
    // The destructor does not run for a constructor that throws.
    const int err = errno;
    if (fd >= 0) close(fd), unlink(temp.c_str());
    untrack_temporary(slot_);
    fail_write(path, err);
  }
  temp_ = temp;
}

OutputFile::~OutputFile() {
  if (file_) {
    if (own_stream_) std::fclose(file_);
    else std::fflush(file_);
  }
  if (!temp_.empty()) unlink(temp_.c_str());
  untrack_temporary(slot_);
}

void OutputFile::write(const void* data, size_t bytes) {
  if (bytes && std::fwrite(data, 1, bytes, file_) != bytes) fail_write(path_, errno);
}

void OutputFile::commit() {
  FILE* f = file_;
  file_ = nullptr;
  bool ok = std::fflush(f) == 0 && !std::ferror(f);
  int err = errno;
  if (own_stream_ && std::fclose(f) != 0 && ok) ok = false, err = errno;
  if (ok && !temp_.empty() && std::rename(temp_.c_str(), target_.c_str()) != 0) ok = false, err = errno;
  if (!ok) fail_write(path_, err);   // the destructor removes the temporary
  temp_.clear();
}

void FileSet::add(const std::string& path) {
  if (!writes_in_place(path)) paths_.push_back(path);
}

void FileSet::remove_all() {
  for (const std::string& p : paths_) std::remove(p.c_str());
  paths_.clear();
}

void check_writable(const std::string& path) {
  // Opening a FIFO would wait for its reader; in-place outputs are tried
  // when they are written.
  if (!writes_in_place(path)) OutputFile probe(path);
}

}  // namespace pplcam_tool
