#include "cli_support.h"

#include <png.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

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

// The output goes to files of a folder removed afterwards (the shell of
// root writes them, also for a run as nobody).
RunResult run_tool(const std::string& args, bool as_nobody) {
  const TempDir dir;
  RunResult r;
  if (dir.path().empty()) return r;
  const std::string tool = as_nobody ? nobody_copy().prefix() : std::string(PPLCAM_TOOL) + " ";
  const std::string cmd = tool + "</dev/null " + args + " >" + dir.file("out") + " 2>" + dir.file("err");
  const int status = std::system(cmd.c_str());
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = slurp(dir.file("out"));
  r.err = slurp(dir.file("err"));
  return r;
}

TempDir::TempDir() {
  char dir[] = "/tmp/pplcam-cli-test-XXXXXX";
  if (mkdtemp(dir)) path_ = dir;
}

TempDir::~TempDir() {
  if (!path_.empty()) std::filesystem::remove_all(path_);
}

std::set<std::string> TempDir::entries() const {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path_)) names.insert(e.path().filename());
  return names;
}

std::string expand(const std::string& text, const TempDir& dir) {
  const std::map<std::string, std::string> words = {
      {"IN", dir.file("in.raw")}, {"DIR", dir.path()}, {"TOOL", PPLCAM_TOOL}};
  static const std::regex word("IN|DIR|TOOL");
  std::string out;
  auto rest = text.cbegin();
  for (std::sregex_iterator m(text.cbegin(), text.cend(), word), end; m != end; ++m) {
    out.append(rest, (*m)[0].first).append(words.at(m->str()));
    rest = (*m)[0].second;
  }
  return out.append(rest, text.cend());
}

std::string sample_path() { return std::string(PPLCAM_DATA_DIR) + "/coffee_640x480.bggr"; }
Bytes sample() { return read_bytes(sample_path()); }

Bytes read_bytes(const std::string& path) {
  const std::string s = slurp(path);
  return Bytes(s.begin(), s.end());
}

void write_bytes(const std::string& path, const Bytes& data) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
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

Bytes library_output(const LibraryCall& call, std::vector<Bytes> inputs, size_t out_bytes) {
  pplcam::test::ScopedContext ctx;
  ctx.allow_large_frames();
  std::vector<uint8_t*> in;
  for (Bytes& b : inputs) in.push_back(b.data());
  Bytes out(out_bytes, 0xA5);
  call(ctx, in.data(), out.data());
  return out;
}

Bytes library_bayer(BayerConverter fn, size_t out_bytes, int quality, bool h_mirror, bool v_mirror, const Bytes& raw,
                    int in_w, int in_h) {
  return library_output(
      [&](ppl_context* ctx, uint8_t* const* in, uint8_t* out) {
        ppl_set_quality(ctx, quality);
        ppl_set_h_mirror(ctx, h_mirror);
        ppl_set_v_mirror(ctx, v_mirror);
        fn(ctx, in[0], out, in_w, in_h);
      },
      {raw}, out_bytes);
}

}  // namespace cli_test
