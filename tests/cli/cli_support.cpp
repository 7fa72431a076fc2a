#include "cli_support.h"

#include <dirent.h>
#include <png.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "pplcam/pplcam_ext.h"

namespace cli_test {

namespace {

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

// A world-readable copy of the tool and its library, for runs as nobody
// (the build folder may sit where nobody cannot reach it).
class NobodyCopy {
 public:
  NobodyCopy() {
    char dir[] = "/tmp/pplcam-cli-nobody-XXXXXX";
    if (getuid() != 0) {
      why_ = "the tests do not run as root, so they cannot switch to nobody";
    } else if (!mkdtemp(dir)) {
      why_ = "no temporary folder";
    } else {
      dir_ = dir;
      const std::string copy = "chmod 755 " + dir_ + " && cp " + PPLCAM_TOOL + " " + dir_ + "/pplcam && cp -L " +
                               PPLCAM_LIBRARY + " " + dir_ + "/" + PPLCAM_LIBRARY_SONAME + " && chmod -R a+rX " + dir_;
      if (std::system(copy.c_str()) != 0) why_ = "cannot copy the tool";
      else if (std::system((prefix() + "--version >/dev/null 2>&1").c_str()) != 0)
        why_ = "setpriv cannot run the tool as nobody";
    }
  }
  ~NobodyCopy() {
    if (!dir_.empty()) std::system(("rm -rf " + dir_).c_str());
  }
  std::string prefix() const {
    return "setpriv --reuid=nobody --regid=nogroup --clear-groups env LD_LIBRARY_PATH=" + dir_ + " " + dir_ +
           "/pplcam ";
  }
  const std::string& why_not() const { return why_; }

 private:
  std::string dir_, why_;
};

const NobodyCopy& nobody_copy() {
  static const NobodyCopy copy;
  return copy;
}

std::string cannot_run_as_nobody() { return nobody_copy().why_not(); }

RunResult run_tool(const std::string& args, bool as_nobody) {
  char dir[] = "/tmp/pplcam-cli-run-XXXXXX";
  RunResult r;
  if (!mkdtemp(dir)) return r;
  const std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
  const std::string tool = as_nobody ? nobody_copy().prefix() : std::string(PPLCAM_TOOL) + " ";
  const std::string cmd = tool + "</dev/null " + args + " >" + out + " 2>" + err;
  const int status = std::system(cmd.c_str());
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  rmdir(dir);
  return r;
}

TempDir::TempDir() {
  char dir[] = "/tmp/pplcam-cli-test-XXXXXX";
  path_ = mkdtemp(dir) ? dir : "/tmp";
}

TempDir::~TempDir() {
  for (const std::string& name : entries()) std::remove(file(name).c_str());
  rmdir(path_.c_str());
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(path_.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

std::string sample_path() { return std::string(PPLCAM_DATA_DIR) + "/coffee_640x480.bggr"; }
std::vector<uint8_t> sample() { return read_bytes(sample_path()); }

std::vector<uint8_t> read_bytes(const std::string& path) {
  const std::string s = slurp(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool decode_png(const std::string& path, Picture* out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out->width = int(image.width);
  out->height = int(image.height);
  out->rgb.assign(PNG_IMAGE_SIZE(image), 0);
  return png_image_finish_read(&image, nullptr, out->rgb.data(), 0, nullptr) != 0;
}

bool write_grey_png(const std::string& path, const std::vector<uint8_t>& grey, int width, int height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_GRAY;
  return png_image_write_to_file(&image, path.c_str(), 0, grey.data(), width, nullptr) != 0;
}

LibraryOutput library_bayer(BayerConverter fn, size_t out_bytes, int out_w, int out_h, int quality, bool h_mirror,
                            bool v_mirror, const std::vector<uint8_t>* frame, int in_w, int in_h) {
  const std::vector<uint8_t> raw = frame ? *frame : sample();
  // 16-byte aligned copies: the same kernel path the tool takes.
  uint8_t* src = static_cast<uint8_t*>(std::aligned_alloc(64, (raw.size() + 63) / 64 * 64));
  uint8_t* dst = static_cast<uint8_t*>(std::aligned_alloc(64, (out_bytes + 63) / 64 * 64));
  std::memcpy(src, raw.data(), raw.size());
  std::memset(dst, 0xA5, out_bytes);
  ppl_context* ctx = ppl_init();
  std::vector<uint8_t> work(ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH) + 64);
  uint8_t* area = work.data() + (64 - reinterpret_cast<uintptr_t>(work.data()) % 64) % 64;
  if (in_w > 1280 || in_h > 1024) ppl_ext_enable_large_frames(ctx, area, static_cast<uint32_t>(work.size() - 64));
  ppl_set_quality(ctx, quality);
  ppl_set_h_mirror(ctx, h_mirror);
  ppl_set_v_mirror(ctx, v_mirror);
  fn(ctx, src, dst, in_w, in_h);
  ppl_free(ctx);
  LibraryOutput r;
  r.width = out_w;
  r.height = out_h;
  r.bytes.assign(dst, dst + out_bytes);
  for (uint8_t b : r.bytes)
    if (b != 0xA5) r.available = true;
  std::free(src);
  std::free(dst);
  return r;
}

bool is_one_line(const std::string& text) {
  return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

}  // namespace cli_test
