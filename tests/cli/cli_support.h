// Running the pplcam tool from a test, and reading back what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pplcam/pplcam.h"

namespace cli_test {

struct RunResult {
  int exit_code = -1;
  std::string out, err;
};

// Runs `pplcam ARGS` through the shell, standard input from /dev/null
// unless ARGS redirect it. `as_nobody` runs it as the unprivileged user
// nobody, from a world-readable copy of the tool and library.
RunResult run_tool(const std::string& args, bool as_nobody = false);

// Why the tool cannot run as nobody here ("" when it can): the tests run
// as root (as CI does) and need setpriv.
std::string cannot_run_as_nobody();

// A fresh empty folder, removed with its contents at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> entries() const;  // names, hidden files included

 private:
  std::string path_;
};

std::string sample_path();  // the bundled 640x480 photograph
std::vector<uint8_t> sample();
std::vector<uint8_t> read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::vector<uint8_t>& data);
bool exists(const std::string& path);

// Decodes a PNG with libpng's own reader into top-down R, G, B rows.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};
bool decode_png(const std::string& path, Picture* out);
// Writes width x height bytes as an 8-bit grey PNG.
bool write_grey_png(const std::string& path, const std::vector<uint8_t>& grey, int width, int height);

// The library's output for one frame, computed in the test itself with a
// context of its own. `available` is false when the library wrote nothing.
struct LibraryOutput {
  bool available = false;
  int width = 0, height = 0;
  std::vector<uint8_t> bytes;
};
typedef uint8_t(PPLCALL* BayerConverter)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
// The frame is the sample, or `raw` of in_w x in_h (large frames on beyond
// 1280 x 1024, as the tool has them).
LibraryOutput library_bayer(BayerConverter fn, size_t out_bytes, int out_w, int out_h, int quality, bool h_mirror,
                            bool v_mirror, const std::vector<uint8_t>* raw = nullptr, int in_w = 640,
                            int in_h = 480);

// One line of text, ending in a newline, with no other newline.
bool is_one_line(const std::string& text);

}  // namespace cli_test
