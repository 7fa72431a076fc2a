// The tool's files hold exactly the library's pictures: PNG and BMP decode
// to the library's RGB24 of the same frame and controls, raw outputs are
// its bytes, Y4M is what ffprobe expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <nlohmann/json.hpp>

#include "cli_support.h"

namespace cli_test {
namespace {

struct PngCase {
  const char* name;
  const char* flags;
  BayerConverter fn;
  int width, height, quality;
  bool h_mirror, v_mirror;
};

void PrintTo(const PngCase& c, std::ostream* os) { *os << c.name; }

class PngMatchesLibrary : public ::testing::TestWithParam<PngCase> {};

// The PNG is top-down RGB; the library's RGB24 is bottom-up BGR.
TEST_P(PngMatchesLibrary, PixelForPixel) {
  const PngCase& c = GetParam();
  TempDir dir;
  const LibraryOutput lib = library_bayer(c.fn, size_t(c.width) * c.height * 3, c.width, c.height, c.quality,
                                          c.h_mirror, c.v_mirror);
  const std::string png = dir.file("out.png");
  const RunResult r = run_tool("convert " + sample_path() + " --size 640x480 " + c.flags + " -o " + png);
  if (!lib.available) {
    EXPECT_EQ(r.exit_code, 1) << r.err;
    EXPECT_TRUE(dir.entries().empty());
    return;
  }
  ASSERT_EQ(r.exit_code, 0) << r.err;
  Picture pic;
  ASSERT_TRUE(decode_png(png, &pic));
  ASSERT_EQ(pic.width, c.width);
  ASSERT_EQ(pic.height, c.height);
  size_t mismatches = 0;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      for (int k = 0; k < 3; ++k)
        mismatches += pic.rgb[(size_t(y) * c.width + x) * 3 + k] !=
                      lib.bytes[(size_t(c.height - 1 - y) * c.width + x) * 3 + (2 - k)];
  EXPECT_EQ(mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Bayer, PngMatchesLibrary,
    ::testing::Values(PngCase{"Defaults", "", BaylorToRGB24MMX, 640, 480, 3, false, false},
                      PngCase{"Quality0", "-q 0", BaylorToRGB24MMX, 640, 480, 0, false, false},
                      PngCase{"Quality2HMirror", "-q 2 --hmirror", BaylorToRGB24MMX, 640, 480, 2, true, false},
                      PngCase{"Quality1BothMirrors", "-q 1 --vmirror --hmirror", BaylorToRGB24MMX, 640, 480, 1, true,
                              true},
                      PngCase{"RawPassthrough", "-q 4", BaylorToRGB24MMX, 640, 480, 4, false, false},
                      PngCase{"Half", "-q 2 --half", BaylorToRGB24MMX_deci_2_1, 320, 240, 2, false, false},
                      PngCase{"Double", "--double", BaylorToRGB24MMX_intp_1_2, 1280, 960, 3, false, false}),
    [](const ::testing::TestParamInfo<PngCase>& info) { return std::string(info.param.name); });

TEST(CliConvert, BmpHoldsTheLibraryRgbRowsUnderAStandardHeader) {
  TempDir dir;
  const LibraryOutput rgb24 = library_bayer(BaylorToRGB24MMX, 640 * 480 * 3, 640, 480, 2, false, false);
  if (!rgb24.available) GTEST_SKIP() << "RGB24 output not in this build";
  const RunResult r = run_tool("convert " + sample_path() + " -s 640x480 -q 2 --to bmp -o " + dir.file("a.bmp"));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::vector<uint8_t> bmp = read_bytes(dir.file("a.bmp"));
  ASSERT_EQ(bmp.size(), 54u + 640 * 480 * 3);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(bmp[28], 24);  // bits per pixel
  EXPECT_TRUE(std::equal(rgb24.bytes.begin(), rgb24.bytes.end(), bmp.begin() + 54));
}

TEST(CliConvert, RawOutputsAreTheLibraryBytesFrameAfterFrame) {
  TempDir dir;
  const LibraryOutput lib = library_bayer(BaylorToYUYVMMX, 640 * 480 * 2, 640, 480, 3, false, false);
  if (!lib.available) GTEST_SKIP() << "YUYV output not in this build";
  std::vector<uint8_t> two = sample();
  const std::vector<uint8_t> one = two;
  two.insert(two.end(), one.begin(), one.end());
  write_bytes(dir.file("two.raw"), two);
  const RunResult r = run_tool("convert " + dir.file("two.raw") + " -s 640x480 -o " + dir.file("o.yuyv"));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::vector<uint8_t> expected = lib.bytes;
  expected.insert(expected.end(), lib.bytes.begin(), lib.bytes.end());
  EXPECT_EQ(read_bytes(dir.file("o.yuyv")), expected);
}

TEST(CliConvert, PgmInputGivesTheSamePictureAsRawInput) {
  TempDir dir;
  const std::string header = "P5\n# BGGR\n640 480\n255\n";
  std::vector<uint8_t> pgm(header.begin(), header.end());
  const std::vector<uint8_t> raw = sample();
  pgm.insert(pgm.end(), raw.begin(), raw.end());
  write_bytes(dir.file("in.pgm"), pgm);
  const RunResult a = run_tool("convert " + dir.file("in.pgm") + " -q 2 -o " + dir.file("a.rgb24"));
  const RunResult b = run_tool("convert " + sample_path() + " -s 640x480 -q 2 -o " + dir.file("b.rgb24"));
  ASSERT_EQ(a.exit_code, b.exit_code) << a.err << b.err;
  if (a.exit_code != 0) GTEST_SKIP() << "RGB24 output not in this build";
  EXPECT_EQ(read_bytes(dir.file("a.rgb24")), read_bytes(dir.file("b.rgb24")));
}

TEST(CliConvert, SeveralFramesToPngMakeANumberedSequence) {
  TempDir dir;
  std::vector<uint8_t> three;
  for (int i = 0; i < 3; ++i) {
    const std::vector<uint8_t> s = sample();
    three.insert(three.end(), s.begin(), s.end());
  }
  write_bytes(dir.file("in.raw"), three);
  const RunResult r = run_tool("convert " + dir.file("in.raw") + " -s 640x480 -o " + dir.file("f.png"));
  if (r.exit_code == 1) GTEST_SKIP() << r.err;
  ASSERT_EQ(r.exit_code, 0) << r.err;
  for (const char* name : {"f-0001.png", "f-0002.png", "f-0003.png"}) EXPECT_TRUE(exists(dir.file(name))) << name;
  EXPECT_FALSE(exists(dir.file("f.png")));
  EXPECT_FALSE(exists(dir.file("f-0004.png")));
}

// ffprobe's view of a Y4M file: width, height, pixel format, frames.
nlohmann::json probe(const std::string& path) {
  const std::string cmd = "ffprobe -v error -count_frames -show_entries stream=width,height,pix_fmt,nb_read_frames "
                          "-of json " + path + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  std::string text;
  char buf[4096];
  size_t n;
  while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  if (p) pclose(p);
  return nlohmann::json::parse(text, nullptr, false);
}

bool have_ffprobe() { return std::system("ffprobe -version >/dev/null 2>&1") == 0; }

TEST(CliConvert, Y4mIsReadByFfprobeAsI420OfTheRightSizeAndLength) {
  if (!have_ffprobe()) GTEST_SKIP() << "ffprobe not installed (scripts/setup.sh installs ffmpeg)";
  TempDir dir;
  std::vector<uint8_t> frames;
  for (int i = 0; i < 3; ++i) {
    const std::vector<uint8_t> s = sample();
    frames.insert(frames.end(), s.begin(), s.end());
  }
  write_bytes(dir.file("in.raw"), frames);
  const RunResult r = run_tool("convert " + dir.file("in.raw") + " -s 640x480 --half -o " + dir.file("v.y4m"));
  if (r.exit_code == 1) GTEST_SKIP() << r.err;
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const nlohmann::json j = probe(dir.file("v.y4m"));
  ASSERT_TRUE(j.contains("streams")) << j.dump();
  const nlohmann::json& s = j["streams"][0];
  EXPECT_EQ(s["width"], 320);
  EXPECT_EQ(s["height"], 240);
  EXPECT_EQ(s["pix_fmt"], "yuv420p");
  EXPECT_EQ(s["nb_read_frames"], "3");

  // The frame payload is the library's I420 picture.
  const LibraryOutput lib = library_bayer(BaylorToI420MMX_deci_2_1, 320 * 240 * 3 / 2, 320, 240, 3, false, false);
  const std::vector<uint8_t> y4m = read_bytes(dir.file("v.y4m"));
  const std::string text(y4m.begin(), y4m.end());
  const size_t first = text.find("FRAME\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_TRUE(std::equal(lib.bytes.begin(), lib.bytes.end(), y4m.begin() + first + 6));
}

}  // namespace
}  // namespace cli_test
