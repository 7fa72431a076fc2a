// Running the pplcam tool from a test, and reading back what it wrote.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "pplcam/pplcam.h"
#include "support/environment.h"  // contexts and buffers of the test support
#include "support/same_bytes.h"

namespace cli_test {

using Bytes = std::vector<uint8_t>;

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
  std::set<std::string> entries() const;  // names, hidden files included

 private:
  std::string path_;
};

// `text` with the words IN (DIR/in.raw), DIR (the folder) and TOOL (the
// tool) replaced in one pass, so that a replacement is never read again.
std::string expand(const std::string& text, const TempDir& dir);

std::string sample_path();  // the bundled 640x480 photograph
Bytes sample();
Bytes read_bytes(const std::string& path);
void write_bytes(const std::string& path, const Bytes& data);

// Decodes a PNG with libpng's own reader into top-down R, G, B rows.
struct Picture {
  int width = 0, height = 0;
  Bytes rgb;
};
bool decode_png(const std::string& path, Picture* out);

// The library's output of one call, computed in the test with a context of
// its own set up as the tool's (large frames on), on copies of `inputs`.
using LibraryCall = std::function<void(ppl_context*, uint8_t* const* inputs, uint8_t* out)>;
Bytes library_output(const LibraryCall& call, std::vector<Bytes> inputs, size_t out_bytes);

typedef uint8_t(PPLCALL* BayerConverter)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
// The library's conversion of `raw` (in_w x in_h; the sample by default).
Bytes library_bayer(BayerConverter fn, size_t out_bytes, int quality, bool h_mirror, bool v_mirror,
                    const Bytes& raw = sample(), int in_w = 640, int in_h = 480);

}  // namespace cli_test
