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

// Two frames in one file: the sample, and a 1920 x 1080 frame tiled from it
// (beyond the original limits: the tool turns large frames on).
TEST(CliConvert, RawOutputsAreTheLibraryBytesFrameAfterFrame) {
  for (auto [w, h] : {std::pair{640, 480}, {1920, 1080}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    TempDir dir;
    const std::vector<uint8_t> tile = sample();
    std::vector<uint8_t> frame(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) frame[size_t(y) * w + x] = tile[size_t(y % 480) * 640 + x % 640];
    const LibraryOutput lib = library_bayer(BaylorToYUYVMMX, size_t(w) * h * 2, w, h, 3, false, false, &frame, w, h);
    if (!lib.available) GTEST_SKIP() << "YUYV output not in this build";
    std::vector<uint8_t> two = frame;
    two.insert(two.end(), frame.begin(), frame.end());
    write_bytes(dir.file("two.raw"), two);
    const RunResult r = run_tool("convert " + dir.file("two.raw") + " -s " + std::to_string(w) + "x" +
                                 std::to_string(h) + " -o " + dir.file("o.yuyv"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<uint8_t> expected = lib.bytes;
    expected.insert(expected.end(), lib.bytes.begin(), lib.bytes.end());
    EXPECT_EQ(read_bytes(dir.file("o.yuyv")), expected);
  }
}

// Every way in gives the library's picture of the same frames: PGM, grey
// PNG, mono Y4M and standard input against raw Bayer; Y4M 4:2:2 (as YUYV,
// as UYVY, interlaced) against the packed frames it holds.
struct WayIn {
  const char* what;
  void (*make)(const TempDir& dir);
  const char* args;       // IN: DIR/in.raw, the sample; writes DIR/a.*
  const char* reference;  // writes DIR/b.*
};

constexpr int kW = 640, kH = 480;

std::vector<uint8_t> with_header(const std::string& header) {
  std::vector<uint8_t> v(header.begin(), header.end());
  const std::vector<uint8_t> raw = sample();
  v.insert(v.end(), raw.begin(), raw.end());
  return v;
}

// Two 4:2:2 frames (the sample's bytes): packed in v.yuyv, planar in the
// Y4M streams vp.y4m (progressive) and vt.y4m (interlaced).
void make_422(const TempDir& dir) {
  std::vector<uint8_t> packed = sample();
  packed.insert(packed.end(), packed.begin(), packed.end());
  packed.insert(packed.end(), packed.begin(), packed.end());
  write_bytes(dir.file("v.yuyv"), packed);
  const size_t n = size_t(kW) * kH;
  for (const char* interlacing : {"p", "t"}) {
    const std::string header = std::string("YUV4MPEG2 W640 H480 F25:1 I") + interlacing + " C422\n";
    std::vector<uint8_t> y4m(header.begin(), header.end());
    for (int f = 0; f < 2; ++f) {
      const uint8_t* p = packed.data() + f * 2 * n;
      std::vector<uint8_t> planar(2 * n);
      for (size_t i = 0; i < n / 2; ++i) {
        planar[2 * i] = p[4 * i];
        planar[2 * i + 1] = p[4 * i + 2];
        planar[n + i] = p[4 * i + 1];
        planar[n + n / 2 + i] = p[4 * i + 3];
      }
      const std::string frame = "FRAME\n";
      y4m.insert(y4m.end(), frame.begin(), frame.end());
      y4m.insert(y4m.end(), planar.begin(), planar.end());
    }
    write_bytes(dir.file(std::string("v") + interlacing + ".y4m"), y4m);
  }
}

const WayIn kWaysIn[] = {
    {"PGM", [](const TempDir& d) { write_bytes(d.file("in.pgm"), with_header("P5\n# BGGR\n640 480\n255\n")); },
     "convert DIR/in.pgm -q 2 -o DIR/a.rgb24", "convert IN -s 640x480 -q 2 -o DIR/b.rgb24"},
    {"grey PNG", [](const TempDir& d) { write_grey_png(d.file("in.png"), sample(), kW, kH); },
     "convert DIR/in.png -q 2 -o DIR/a.rgb24", "convert IN -s 640x480 -q 2 -o DIR/b.rgb24"},
    {"mono Y4M",
     [](const TempDir& d) { write_bytes(d.file("in.y4m"), with_header("YUV4MPEG2 W640 H480 Cmono\nFRAME\n")); },
     "convert DIR/in.y4m -q 2 -o DIR/a.rgb24", "convert IN -s 640x480 -q 2 -o DIR/b.rgb24"},
    {"standard input", [](const TempDir&) {}, "convert - --from bayer -s 640x480 -q 2 < IN -o DIR/a.rgb24",
     "convert IN -s 640x480 -q 2 -o DIR/b.rgb24"},
    {"4:2:2 Y4M", make_422, "convert DIR/vp.y4m --from yuyv -s 640x480 -o DIR/a.i420",
     "convert DIR/v.yuyv --from yuyv -s 640x480 -o DIR/b.i420"},
    {"4:2:2 Y4M as UYVY", make_422, "convert DIR/vp.y4m --from uyvy -o DIR/a.i420",
     "convert DIR/v.yuyv --from yuyv -s 640x480 -o DIR/b.i420"},
    {"interlaced 4:2:2 Y4M", make_422, "convert DIR/vt.y4m -o DIR/a.i420",
     "convert DIR/v.yuyv --from intl-yuyv --woven -s 640x480 -o DIR/b.i420"},
};

TEST(CliConvert, EveryWayInGivesTheSamePicture) {
  for (const WayIn& w : kWaysIn) {
    SCOPED_TRACE(w.what);
    TempDir dir;
    write_bytes(dir.file("in.raw"), sample());
    w.make(dir);
    auto expand = [&](std::string s) {
      for (size_t p = 0; (p = s.find("IN", p)) != std::string::npos;) s.replace(p, 2, "DIR/in.raw");
      for (size_t p = 0; (p = s.find("DIR", p)) != std::string::npos;) s.replace(p, 3, dir.path());
      return s;
    };
    const RunResult a = run_tool(expand(w.args)), b = run_tool(expand(w.reference));
    ASSERT_EQ(a.exit_code, 0) << a.err;
    ASSERT_EQ(b.exit_code, 0) << b.err;
    const std::string ext = std::string(w.args).substr(std::string(w.args).find_last_of('.'));
    const std::vector<uint8_t> got = read_bytes(dir.file("a" + ext));
    EXPECT_FALSE(got.empty());
    EXPECT_EQ(got, read_bytes(dir.file("b" + ext)));
  }
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
