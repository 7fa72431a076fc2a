// The 65 stored gamma settings: every rule the curves must meet, checked on
// the tables the library ships.
#include <gtest/gtest.h>

#include <cmath>

#include "controls/tone_tables.h"

namespace pplcam::test {
namespace {

const uint8_t* rgb(int s) { return kRgbGammaTables[s + 32]; }
const uint8_t* yuv(int s) { return kYuvGammaTables[s + 32]; }

double bt709(double l) { return l < 0.018 ? 4.5 * l : 1.099 * std::pow(l, 0.45) - 0.099; }

struct Telling {
  int setting;
  int rgb[7];
  int yuv[7];
};
constexpr int kRgbAt[7] = {0, 16, 32, 64, 128, 192, 255};
constexpr int kYuvAt[7] = {16, 17, 32, 64, 128, 192, 235};
constexpr Telling kTelling[] = {
    {-32, {0, 1, 4, 15, 63, 143, 253}, {16, 16, 17, 26, 72, 156, 233}},
    {-16, {0, 17, 35, 68, 132, 194, 255}, {16, 17, 33, 67, 131, 193, 235}},
    {0, {0, 55, 84, 125, 180, 221, 255}, {16, 20, 68, 116, 172, 212, 235}},
    {16, {0, 88, 121, 159, 204, 233, 255}, {16, 24, 97, 146, 192, 221, 235}},
    {32, {0, 108, 141, 176, 215, 238, 255}, {16, 27, 114, 161, 201, 224, 235}},
};

TEST(ControlsGammaTables, TellingEntriesAreExact) {
  for (const Telling& t : kTelling)
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(rgb(t.setting)[kRgbAt[i]], t.rgb[i]) << "rgb, setting " << t.setting << " at " << kRgbAt[i];
      EXPECT_EQ(yuv(t.setting)[kYuvAt[i]], t.yuv[i]) << "yuv, setting " << t.setting << " at " << kYuvAt[i];
    }
}

// Per setting: both curves non-decreasing, never darker than the setting
// below (a smaller exponent), RGB from 0 to 253..255, YUV held to 16..235
// (235 from 235 up where the exponent is below about 1.1), and the first four
// steps above black within a level of one line.
TEST(ControlsGammaTables, EveryCurveKeepsItsShape) {
  for (int s = -32; s <= 32; ++s) {
    SCOPED_TRACE("setting " + std::to_string(s));
    for (int x = 1; x < 256; ++x) {
      ASSERT_GE(rgb(s)[x], rgb(s)[x - 1]) << "rgb at " << x;
      ASSERT_GE(yuv(s)[x], yuv(s)[x - 1]) << "yuv at " << x;
      if (s > -32) ASSERT_GE(rgb(s)[x], rgb(s - 1)[x]) << "rgb at " << x;
      if (s > -32) ASSERT_GE(yuv(s)[x], yuv(s - 1)[x]) << "yuv at " << x;
    }
    EXPECT_EQ(rgb(s)[0], 0);
    EXPECT_GE(rgb(s)[255], 253);
    EXPECT_EQ(yuv(s)[0], 16);
    EXPECT_EQ(yuv(s)[16], 16);
    EXPECT_EQ(yuv(s)[255], 235);
    EXPECT_EQ(yuv(s)[235], s >= -17 ? 235 : s == -32 ? 233 : 234);
    for (int x = 0; x <= 4; ++x) {
      EXPECT_NEAR(rgb(s)[x], x * rgb(s)[4] / 4.0, 1.0) << "rgb at " << x;
      EXPECT_NEAR(yuv(s)[16 + x], 16 + x * (yuv(s)[20] - 16) / 4.0, 1.0) << "yuv at " << 16 + x;
    }
  }
}

// Mid-grey brightens by at least a level every two settings; the darkest
// settings (exponents near or above 1) are the plain power law there, and
// setting 0 is BT.709 within one level everywhere.
TEST(ControlsGammaTables, StrengthFollowsTheExponent) {
  for (int s = -30; s <= 32; s += 2) EXPECT_GT(rgb(s)[128], rgb(s - 2)[128]) << s;
  for (int s = -32; s <= -14; ++s)
    EXPECT_NEAR(rgb(s)[128], 255.0 * std::pow(128 / 255.0, kGammaExponents[s + 32] / 4096.0), 1.0) << s;
  for (int x = 0; x < 256; ++x) EXPECT_LE(std::fabs(rgb(0)[x] - 255.0 * bt709(x / 255.0)), 1.0) << x;
  for (int x = 16; x <= 235; ++x)
    EXPECT_LE(std::fabs(yuv(0)[x] - (16.0 + 219.0 * bt709((x - 16) / 219.0))), 1.0) << x;
}

}  // namespace
}  // namespace pplcam::test
