// `pplcam stats` reports the library's statistics getters as they are, and
// `pplcam demo` completes and writes the files it lists.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_support.h"
#include "pplcam/pplcam_ext.h"

namespace cli_test {
namespace {

TEST(CliStats, JsonCarriesTheLibraryStatisticsOfTheFrame) {
  TempDir dir;
  const RunResult r = run_tool("stats " + sample_path() + " -s 640x480 --json " + dir.file("s.json") +
                               " --picture " + dir.file("s.png"));
  if (r.exit_code == 1) {  // statistics collection not in this build
    EXPECT_NE(r.err.find("not available in this build"), std::string::npos) << r.err;
    EXPECT_TRUE(dir.entries().empty());
    return;
  }
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const nlohmann::json j = nlohmann::json::parse(read_bytes(dir.file("s.json")));
  ASSERT_EQ(j["frames"].size(), 1u);
  const nlohmann::json& f = j["frames"][0];
  EXPECT_EQ(f["quality"], 2);
  EXPECT_EQ(f["sub_windows"].size(), 48u);
  EXPECT_EQ(f["histograms"]["g"].size(), 256u);

  // The same frame, converted here through the public API.
  std::vector<uint8_t> raw = sample();
  std::vector<uint8_t> dst(640 * 480 * 3 / 2 + 64);
  uint8_t* src = raw.data();  // vector storage is 16-byte aligned
  uint8_t* out = dst.data();
  ppl_context* ctx = ppl_init();
  ppl_set_quality(ctx, 2);
  BaylorToI420MMX(ctx, src, out, 640, 480);
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
  ppl_free(ctx);

  Picture pic;
  EXPECT_TRUE(decode_png(dir.file("s.png"), &pic));
}

TEST(CliDemo, CompletesAndWritesEveryFileItLists) {
  TempDir dir;
  const RunResult r = run_tool("demo --output " + dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  int listed = 0;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string first;
    words >> first;
    const size_t dot = first.find_last_of('.');
    if (dot == std::string::npos) continue;
    const std::string ext = first.substr(dot);
    if (ext != ".png" && ext != ".bmp" && ext != ".y4m" && ext != ".txt" && ext != ".json") continue;
    if (line.find("not available") != std::string::npos) continue;
    ++listed;
    EXPECT_TRUE(exists(dir.file(first))) << first;
  }
  EXPECT_GT(listed, 10);
  for (const std::string& name : dir.entries()) EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

}  // namespace
}  // namespace cli_test
