// Bad input ends with one line on stderr, the documented exit code, and no
// file (whole or partial) left in the output folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cli_support.h"

namespace cli_test {
namespace {

struct ErrorCase {
  const char* what;
  std::string args;  // "IN" and "OUT" are replaced by paths
  int exit_code;
  const char* message;  // a part of the one-line message
};

std::string expand(std::string s, const TempDir& dir) {
  for (size_t p; (p = s.find("IN")) != std::string::npos;) s.replace(p, 2, sample_path());
  for (size_t p; (p = s.find("OUT")) != std::string::npos;) s.replace(p, 3, dir.file("out"));
  for (size_t p; (p = s.find("DIR")) != std::string::npos;) s.replace(p, 3, dir.path());
  return s;
}

TEST(CliErrors, RefusedRequestsLeaveNothingBehind) {
  const ErrorCase cases[] = {
      {"size the library refuses", "convert IN -s 632x480 -o OUT.png", 2, "accepted: widths 128 to 1280"},
      {"YUV size outside the table", "convert IN --from yuyv -s 320x480 -o OUT.png", 2, "accepted: 320x240"},
      {"size larger than the file", "convert IN -s 1280x1024 -o OUT.png", 3, "less than one 1280x1024"},
      {"raw input without a size", "convert IN -o OUT.png", 2, "give --size"},
      {"unknown output format", "convert IN -s 640x480 -o OUT.webp", 2, "give --to"},
      {"unknown --to", "convert IN -s 640x480 --to tiff -o OUT", 2, "unknown output format 'tiff'"},
      {"unknown --from", "convert IN --from rggb -s 640x480 -o OUT.png", 2, "unknown input format 'rggb'"},
      {"unreadable input", "convert DIR/missing.raw -s 640x480 -o OUT.png", 3, "cannot read"},
      {"unwritable output", "convert IN -s 640x480 -o DIR/no/such/folder/x.png", 4, "cannot write"},
      {"gain out of range", "convert IN -s 640x480 --gain 8,1,1 -o OUT.png", 2, "--gain 8,1,1 refused"},
      {"quality out of range", "convert IN -s 640x480 -q 6 -o OUT.png", 2, "--quality 6 refused"},
      {"edge threshold out of range", "convert IN -s 640x480 --edge-threshold 1531 -o OUT.png", 2, "0 to 1530"},
      {"saturation out of range", "convert IN -s 640x480 --saturation 2.01 -o OUT.png", 2, "factors 0 to 2"},
      {"gamma out of range", "convert IN -s 640x480 --gamma 33 -o OUT.png", 2, "-32 to 32"},
      {"motion threshold on Bayer", "convert IN -s 640x480 --motion-threshold 10 -o OUT.png", 2, "interlaced"},
      {"gain on YUV input", "convert IN --from yuyv -s 320x240 --gain 1,1,1 -o OUT.png", 2, "Bayer input only"},
      {"half-size progressive YUV", "convert IN --from yuyv -s 320x240 --half -o OUT.png", 2, "full size only"},
      {"quarter-size Bayer", "convert IN -s 640x480 --quarter -o OUT.png", 2, "full, half"},
      {"black lines for progressive YUV", "convert IN --from yuyv -s 320x240 --out-size 320x260 -o OUT.png", 2,
       "interlaced input only"},
      {"interlaced UYVY to YUYV", "convert IN --from intl-uyvy -s 320x240 -o OUT.yuyv", 2, "converts to uyvy"},
      {"missing argument", "convert IN -s 640x480", 2, "--output is required"},
      {"stats of raw passthrough", "stats IN -s 640x480 -q 4", 2, "gathers no statistics"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const RunResult r = run_tool(expand(c.args, dir));
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_TRUE(is_one_line(r.err)) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
  }
}

TEST(CliErrors, TrailingPartialFrameIsReportedAfterTheWholeFramesAreWritten) {
  TempDir dir;
  std::vector<uint8_t> in = sample();
  in.resize(in.size() + 1000, 7);
  write_bytes(dir.file("in.raw"), in);
  const RunResult r = run_tool("convert " + dir.file("in.raw") + " -s 640x480 -o " + dir.file("out.i420"));
  if (r.exit_code == 1) GTEST_SKIP() << r.err;
  EXPECT_EQ(r.exit_code, 5);
  EXPECT_TRUE(is_one_line(r.err)) << r.err;
  EXPECT_NE(r.err.find("the last 1000 bytes"), std::string::npos) << r.err;
  EXPECT_EQ(read_bytes(dir.file("out.i420")).size(), 640u * 480 * 3 / 2);
  EXPECT_EQ(dir.entries().size(), 2u);  // the input and the output, no temporary file
}

TEST(CliErrors, EverySubcommandHasHelp) {
  for (const char* cmd : {"", "convert ", "stats ", "bench ", "demo "}) {
    const RunResult r = run_tool(std::string(cmd) + "--help");
    EXPECT_EQ(r.exit_code, 0) << cmd;
    EXPECT_NE(r.out.find("Usage"), std::string::npos) << cmd << r.out;
  }
  EXPECT_EQ(run_tool("").exit_code, 2);
  EXPECT_EQ(run_tool("frobnicate").exit_code, 2);
}

}  // namespace
}  // namespace cli_test
