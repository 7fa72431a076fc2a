// The context pool: eight slots, lowest free first, defaults on every hand-out.
#include <gtest/gtest.h>

#include <vector>

#include "core/lifecycle.h"
#include "support/environment.h"

namespace pplcam::test {
namespace {

class PoolTest : public ::testing::Test {
 protected:
  void SetUp() override { load_entry(); }
  void TearDown() override { load_entry(); }
};

TEST_F(PoolTest, HandsOutEightSlotsLowestFreeFirst) {
  std::vector<ppl_context*> taken;
  for (int i = 0; i < 8; ++i) {
    ppl_context* c = ppl_init();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c, pool_slot(i)) << "slot " << i;
    taken.push_back(c);
  }
  EXPECT_EQ(ppl_init(), nullptr) << "a ninth context must be refused";

  EXPECT_EQ(ppl_free(taken[5]), 1);
  EXPECT_EQ(ppl_free(taken[2]), 1);
  EXPECT_EQ(ppl_init(), taken[2]) << "the lowest free slot comes back first";
  EXPECT_EQ(ppl_init(), taken[5]);
  EXPECT_EQ(ppl_init(), nullptr);
}

TEST_F(PoolTest, FreeOfNullIsRefused) { EXPECT_EQ(ppl_free(nullptr), 0); }

TEST_F(PoolTest, RecordKeepsItsAlignmentsInEverySlot) {
  for (int i = 0; i < kPoolSlots; ++i) {
    ppl_context* c = pool_slot(i);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&c->group16.constants) % 16, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(c->work_area) % 32, 0u);
  }
}

TEST_F(PoolTest, InitPlacesTheRingsInTheWorkArea) {
  ScopedContext c;
  ASSERT_NE(c.get(), nullptr);
  EXPECT_EQ(c->ring[kGreenRing], c->work_area);
  EXPECT_EQ(c->ring[kLumaRing], c->work_area + 8192);
  EXPECT_EQ(c->ring[kPlaneRing1], c->work_area + 12288);
  EXPECT_EQ(c->ring[kPlaneRing2], c->work_area + 16384);
  EXPECT_EQ(c->ring[kPlaneRing3], c->work_area + 20480);
  EXPECT_GE(c->work_area + kWorkAreaBytes - c->ring[kPlaneRing3], 4096);
}

TEST_F(PoolTest, ReusedSlotKeepsFrameSizeAndCounters) {
  ppl_context* c = ppl_init();
  ASSERT_EQ(ppl_new_frame_size(c, 640, 480), 1);
  c->n_frame = 41;
  ppl_free(c);
  ppl_context* again = ppl_init();
  ASSERT_EQ(again, c);
  EXPECT_EQ(again->in_width, 640);
  EXPECT_EQ(again->in_height, 480);
  EXPECT_EQ(again->n_frame, 41u);
  ppl_free(again);
}

TEST_F(PoolTest, FreshContextReportsFrameDefaults) {
  ScopedContext c;
  EXPECT_EQ(c->quality, 3);
  EXPECT_EQ(c->mean_collection, 1);
  EXPECT_EQ(c->P3_only, 0);
  EXPECT_EQ(ppl_decimation(c), 0);
  EXPECT_EQ(ppl_decimation_top_black_lines(c), 0);
  EXPECT_EQ(ppl_decimation_bottom_black_lines(c), 0);
  EXPECT_EQ(c->h_mirror, 0);
  EXPECT_EQ(c->v_mirror, 0);
  for (int ch = 0; ch < 3; ++ch)
    for (int i = 0; i < 256; ++i) ASSERT_EQ(c->dekneel[ch][i], i);
}

TEST_F(PoolTest, UnloadDoesNothing) { EXPECT_EQ(DllUnload(), 0u); }

}  // namespace
}  // namespace pplcam::test
