// The tool's files hold exactly the library's pictures and figures: PNG
// and BMP decode to the library's RGB24 of the same frame and controls, raw
// outputs are its bytes, Y4M is what ffprobe expects, statistics JSON
// holds the library's getters as they are.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "pplcam/pplcam_ext.h"

namespace cli_test {
namespace {

// Flags -> the library call and controls they stand for. The PNG is
// top-down RGB; the library's RGB24 is bottom-up BGR.
struct PngCase {
  const char* flags;
  BayerConverter fn;
  int width, height, quality;
  bool h_mirror, v_mirror;
};

const PngCase kPngCases[] = {
    {"", BaylorToRGB24MMX, 640, 480, 3, false, false},
    {"-q 0", BaylorToRGB24MMX, 640, 480, 0, false, false},
    {"-q 2 --hmirror", BaylorToRGB24MMX, 640, 480, 2, true, false},
    {"-q 1 --vmirror --hmirror", BaylorToRGB24MMX, 640, 480, 1, true, true},
    {"-q 4", BaylorToRGB24MMX, 640, 480, 4, false, false},  // raw passthrough
    {"-q 2 --half", BaylorToRGB24MMX_deci_2_1, 320, 240, 2, false, false},
    {"--double", BaylorToRGB24MMX_intp_1_2, 1280, 960, 3, false, false},
};

TEST(CliConvert, PngIsTheLibraryPicturePixelForPixel) {
  for (const PngCase& c : kPngCases) {
    SCOPED_TRACE(c.flags);
    TempDir dir;
    const Bytes lib = library_bayer(c.fn, size_t(c.width) * c.height * 3, c.quality, c.h_mirror, c.v_mirror);
    const RunResult r =
        run_tool("convert " + sample_path() + " --size 640x480 " + c.flags + " -o " + dir.file("o.png"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    Picture pic;
    ASSERT_TRUE(decode_png(dir.file("o.png"), &pic));
    ASSERT_EQ(pic.width, c.width);
    ASSERT_EQ(pic.height, c.height);
    size_t mismatches = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        for (int k = 0; k < 3; ++k)
          mismatches += pic.rgb[(size_t(y) * c.width + x) * 3 + k] !=
                        lib[(size_t(c.height - 1 - y) * c.width + x) * 3 + (2 - k)];
    EXPECT_EQ(mismatches, 0u);
  }
}

TEST(CliConvert, BmpHoldsTheLibraryRgbRowsUnderAStandardHeader) {
  TempDir dir;
  const Bytes rgb24 = library_bayer(BaylorToRGB24MMX, 640 * 480 * 3, 2, false, false);
  const RunResult r = run_tool("convert " + sample_path() + " -s 640x480 -q 2 --to bmp -o " + dir.file("a.bmp"));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const Bytes bmp = read_bytes(dir.file("a.bmp"));
  ASSERT_EQ(bmp.size(), 54u + 640 * 480 * 3);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(bmp[28], 24);  // bits per pixel
  EXPECT_TRUE(std::equal(rgb24.begin(), rgb24.end(), bmp.begin() + 54));
}

// Two frames in one file: the sample, and a 1920 x 1080 frame tiled from it
// (beyond the original limits: the tool turns large frames on).
TEST(CliConvert, RawOutputsAreTheLibraryBytesFrameAfterFrame) {
  for (auto [w, h] : {std::pair{640, 480}, {1920, 1080}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    TempDir dir;
    const Bytes tile = sample();
    Bytes frame(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) frame[size_t(y) * w + x] = tile[size_t(y % 480) * 640 + x % 640];
    const Bytes lib = library_bayer(BaylorToYUYVMMX, size_t(w) * h * 2, 3, false, false, frame, w, h);
    Bytes two = frame;
    two.insert(two.end(), frame.begin(), frame.end());
    write_bytes(dir.file("two.raw"), two);
    const RunResult r = run_tool("convert " + dir.file("two.raw") + " -s " + std::to_string(w) + "x" +
                                 std::to_string(h) + " -o " + dir.file("o.yuyv"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    Bytes expected = lib;
    expected.insert(expected.end(), lib.begin(), lib.end());
    EXPECT_EQ(read_bytes(dir.file("o.yuyv")), expected);
  }
}

// Every way in gives the same picture as the plain one: PGM, grey PNG,
// mono Y4M and standard input against raw Bayer; Y4M 4:2:2 (read as YUYV,
// as UYVY, interlaced) and fields one after the other against the packed
// frames they hold (v.yuyv: two YUYV frames of the sample's bytes).
// ffmpeg writes the containers.
const char* const kWaysIn =
    "cd DIR && cat IN IN IN IN > v.yuyv && printf 'P5\\n# BGGR\\n640 480\\n255\\n' | cat - IN > in.pgm && "
    "ffmpeg -v error -s 640x480 -f rawvideo -pix_fmt gray -i IN -s 640x480 -f rawvideo -pix_fmt yuyv422 -i v.yuyv "
    "-map 0 in.png -map 0 in.y4m -map 1 -pix_fmt yuv422p vp.y4m -map 1 -pix_fmt yuv422p -vf setfield=tff vt.y4m "
    "-map 1 -vf setfield=tff,separatefields -f rawvideo f.yuyv";

const char* const kBayer = "convert IN -s 640x480 -q 2 -o DIR/b.rgb24";
const char* const kYuyv = "convert DIR/v.yuyv --from yuyv -s 640x480 -o DIR/b.i420";
const char* const kWoven = "convert DIR/v.yuyv --from intl-yuyv --woven -s 640x480 -o DIR/b.i420";

// A way in writing DIR/a.*, and the plain way writing the same to DIR/b.*.
const std::pair<const char*, const char*> kWayInRows[] = {
    {"convert DIR/in.pgm -q 2 -o DIR/a.rgb24", kBayer},
    {"convert DIR/in.png -q 2 -o DIR/a.rgb24", kBayer},
    {"convert DIR/in.y4m -q 2 -o DIR/a.rgb24", kBayer},
    {"convert - --from bayer -s 640x480 -q 2 < IN -o DIR/a.rgb24", kBayer},
    {"convert DIR/vp.y4m --from yuyv -s 640x480 -o DIR/a.i420", kYuyv},
    {"convert DIR/vp.y4m --from uyvy -o DIR/a.i420", kYuyv},
    {"convert DIR/vt.y4m -o DIR/a.i420", kWoven},
    {"convert DIR/f.yuyv --from intl-yuyv -s 640x480 -o DIR/a.i420", kWoven},
};

TEST(CliConvert, EveryWayInGivesTheSamePicture) {
  TempDir dir;
  write_bytes(dir.file("in.raw"), sample());
  ASSERT_EQ(std::system(expand(kWaysIn, dir).c_str()), 0) << "needs ffmpeg (scripts/run-tests.sh installs it)";
  for (const auto& [args, reference] : kWayInRows) {
    SCOPED_TRACE(args);
    const std::string ext = std::string(args).substr(std::string(args).find_last_of('.'));
    std::remove(dir.file("a" + ext).c_str());
    const RunResult a = run_tool(expand(args, dir)), b = run_tool(expand(reference, dir));
    ASSERT_EQ(a.exit_code, 0) << a.err;
    ASSERT_EQ(b.exit_code, 0) << b.err;
    const Bytes got = read_bytes(dir.file("a" + ext));
    EXPECT_FALSE(got.empty());
    EXPECT_EQ(got, read_bytes(dir.file("b" + ext)));
  }
}

// ffprobe reads the Y4M file as three 320 x 240 I420 frames, the first
// holding the library's picture.
TEST(CliConvert, Y4mIsReadByFfprobeAsI420OfTheRightSizeAndLength) {
  TempDir dir;
  const std::string in = sample_path() + " ";
  ASSERT_EQ(std::system(("cat " + in + in + in + "> " + dir.file("in.raw")).c_str()), 0);
  const RunResult r = run_tool("convert " + dir.file("in.raw") + " -s 640x480 --half -o " + dir.file("v.y4m"));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string probe = "ffprobe -v error -count_frames -show_entries stream=width,height,pix_fmt,nb_read_frames "
                            "-of csv=p=0 " + dir.path() + "/v.y4m > " + dir.path() + "/probe.txt";
  ASSERT_EQ(std::system(probe.c_str()), 0);
  const Bytes probed = read_bytes(dir.file("probe.txt"));
  EXPECT_EQ(std::string(probed.begin(), probed.end()), "320,240,yuv420p,3\n");

  // The frame payload is the library's I420 picture.
  const Bytes lib = library_bayer(BaylorToI420MMX_deci_2_1, 320 * 240 * 3 / 2, 3, false, false);
  const Bytes y4m = read_bytes(dir.file("v.y4m"));
  const std::string text(y4m.begin(), y4m.end());
  const size_t first = text.find("FRAME\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_TRUE(std::equal(lib.begin(), lib.end(), y4m.begin() + first + 6));
}

// Interlaced input: each frame's fields go to the library with the
// previous frame's second field as reference (the first frame's own).
TEST(CliConvert, InterlacedFramesTakeThePreviousSecondFieldAsReference) {
  constexpr int kW = 640, kH = 480;
  constexpr size_t kField = size_t(kW) * kH;  // bytes of a 640 x 240 YUYV field
  TempDir dir;
  const Bytes in = pplcam::test::random_bytes(6 * kField, 11);  // three frames
  write_bytes(dir.file("in.yuyv"), in);
  auto field = [&](size_t i) { return Bytes(in.begin() + i * kField, in.begin() + (i + 1) * kField); };
  Bytes expected;
  for (const auto& [reference, first] : {std::pair{1, 0}, {1, 2}, {3, 4}}) {
    const Bytes i420 = library_output(
        [](ppl_context* c, uint8_t* const* f, uint8_t* out) {
          IntlYUYVToI420MMX(c, f[0], f[1], f[2], out, kW, kH, kW, kH);
        },
        {field(reference), field(first), field(first + 1)}, kField * 3 / 2);
    expected.insert(expected.end(), i420.begin(), i420.end());
  }
  const RunResult r =
      run_tool("convert " + dir.file("in.yuyv") + " --from intl-yuyv -s 640x480 -o " + dir.file("o.i420"));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(read_bytes(dir.file("o.i420")), expected);
}

TEST(CliStats, JsonCarriesTheLibraryStatisticsOfTheFrame) {
  TempDir dir;
  const RunResult r = run_tool("stats " + sample_path() + " -s 640x480 --json " + dir.file("s.json") +
                               " --picture " + dir.file("s.png"));
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const nlohmann::json j = nlohmann::json::parse(read_bytes(dir.file("s.json")));
  ASSERT_EQ(j["frames"].size(), 1u);
  const nlohmann::json& f = j["frames"][0];
  EXPECT_EQ(f["quality"], 2);
  EXPECT_EQ(f["sub_windows"].size(), 48u);
  EXPECT_EQ(f["histograms"]["g"].size(), 256u);

  // The same frame, converted here through the public API.
  library_output(
      [&f](ppl_context* ctx, uint8_t* const* in, uint8_t* out) {
        ppl_set_quality(ctx, 2);
        BaylorToI420MMX(ctx, in[0], out, 640, 480);
        const uint32_t* whole = ppl_rgb_means_whole_frame(ctx);
        const uint32_t* grid = ppl_rgb_means_sub_windows(ctx);
        uint32_t levels[49 * 3], cells[49], level_whole[3];
        ppl_ext_level_means_sub_windows(ctx, levels, cells);
        EXPECT_EQ(f["levels"]["whole_frame_cells"], ppl_ext_level_means_whole_frame(ctx, level_whole));
        EXPECT_EQ(f["levels"]["sub_window_cells"][20], cells[20]);
        for (int c = 0; c < 3; ++c) {
          EXPECT_EQ(f["whole_frame"][c], whole[c]);
          EXPECT_EQ(f["sub_windows"][20][c], grid[3 * 20 + c]);
          EXPECT_EQ(f["levels"]["whole_frame"][c], level_whole[c]);
          EXPECT_EQ(f["levels"]["sub_windows"][20][c], levels[3 * 20 + c]);
        }
        EXPECT_EQ(f["qual"]["count"], ppl_n_qual_2x2_whole_frame(ctx));
        EXPECT_EQ(f["histograms"]["r"][40], ppl_r_histogram(ctx)[40]);
      },
      {sample()}, 640 * 480 * 3 / 2);

  Picture pic;
  EXPECT_TRUE(decode_png(dir.file("s.png"), &pic));
}

}  // namespace
}  // namespace cli_test
