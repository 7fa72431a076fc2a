// Thresholds, mirrors, quality and sensor type: accepted ranges and packed
// forms.
#include <gtest/gtest.h>

#include <algorithm>

#include "controls_packed.h"
#include "support/buffers.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

TEST(ControlsThresholds, AcceptExactlyTheirRangeAndPack) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_edge_threshold(c, 1530), 1);
  EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 256), 1);
  EXPECT_EQ(ppl_set_intl_3T_threshold(c, 765), 1);
  expect_packed(c, PPL_PICK(edge_threshold), {1530}, "edge threshold");
  expect_packed(c, PPL_PICK(edge_factor), {64}, "edge factor in 1/64");
  expect_packed(c, PPL_PICK(intl_3t_threshold), {765}, "3T threshold");

  const auto before = constants_bytes(c);
  for (int32_t bad : {-1, INT32_MIN}) {
    EXPECT_EQ(ppl_set_edge_threshold(c, bad), 0);
    EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, bad), 0);
    EXPECT_EQ(ppl_set_intl_3T_threshold(c, bad), 0);
  }
  EXPECT_EQ(ppl_set_edge_threshold(c, 1531), 0);
  EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 257), 0);
  EXPECT_EQ(ppl_set_intl_3T_threshold(c, 766), 0);
  EXPECT_EQ(ppl_edge_threshold(c), 1530);
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 256);
  EXPECT_EQ(ppl_intl_3T_threshold(c), 765);
  EXPECT_EQ(constants_bytes(c), before);

  {
    ScopedFpSaveFailure no_fp;
    EXPECT_EQ(ppl_set_nf88_edge_enhance_factor(c, 7), 1);
  }
  EXPECT_EQ(ppl_nf88_edge_enhance_factor(c), 7);
  EXPECT_EQ(constants_bytes(c), before) << "stored, not packed";
  ppl_reset_nf88_edge_enhance_factor(c);
  expect_packed(c, PPL_PICK(edge_factor), {8}, "default 32");
}

TEST(ControlsFlags, QualityAndSensorType) {
  ScopedContext c;
  EXPECT_EQ(ppl_set_quality(c, 5), 1);
  EXPECT_EQ(ppl_set_quality(c, 6), 0);
  EXPECT_EQ(ppl_set_quality(c, -1), 0);
  EXPECT_EQ(ppl_quality(c), 5);
  for (int32_t code : {0x5754, 0x5948, 0x07544F4D, 0x42564F}) EXPECT_EQ(ppl_set_sensor_type(c, code), 1);
  EXPECT_EQ(ppl_set_sensor_type(c, 0x4F56), 0);
  EXPECT_EQ(ppl_set_sensor_type(c, 0), 0);
  EXPECT_EQ(ppl_sensor_type(c), 0x42564F);
}

// The mirror setters move the picture at once (any non-zero byte is on, and
// stored as given): the first luma sample of a YUYV frame lands in the
// corner of the I420 picture they select, also for a processing operation,
// which converts with the stored geometry.
TEST(ControlsFlags, MirrorSettersMoveThePicture) {
  ScopedContext c;
  const int w = 320, h = 240;
  ASSERT_EQ(ppl_new_frame_sizes(c, w, h, w, h), 1);
  AlignedBuffer src(w * h * 2, Align::k16), dst(w * h * 3 / 2, Align::k16);
  std::fill(src.data(), src.data() + w * h * 2, 0);
  src[0] = 200;
  auto corner = [&](int index) {
    EXPECT_EQ(ppl_process_yuyvtoi420(c, src.data(), dst.data(), w, h, w, h), 1);
    return dst[index];
  };
  ASSERT_EQ(ppl_set_h_mirror(c, 1), 1);
  EXPECT_EQ(corner(w - 1), 200);
  ASSERT_EQ(ppl_set_v_mirror(c, 0x80), 1);
  EXPECT_EQ(ppl_v_mirror(c), 0x80);
  EXPECT_EQ(corner(w * h - 1), 200);
  ppl_reset_mirrors(c);
  EXPECT_EQ(ppl_h_mirror(c) | ppl_v_mirror(c), 0);
  EXPECT_EQ(corner(0), 200);
}

}  // namespace
}  // namespace pplcam::test
