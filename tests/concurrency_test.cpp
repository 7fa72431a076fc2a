// Contexts used on several threads at once: eight contexts converting side
// by side give the bytes of the same conversions done alone, and
// ppl_init/ppl_free called from several threads never hand one slot to two
// callers. (The centre-weighted means are shared by all contexts by design
// and are left out.)
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/lifecycle.h"
#include "pplcam/pplcam.h"
#include "support/buffers.h"

namespace pplcam::test {
namespace {

using Bytes = std::vector<uint8_t>;

// One conversion of a fixed frame; Bayer sources are conditioned in place,
// so every call starts from a fresh copy.
struct Job {
  const char* name;
  size_t src_bytes, dst_bytes;
  void (*run)(ppl_context*, uint8_t* src, uint8_t* dst);
};

const Job kJobs[] = {
    {"Bayer RGB24 640x480", 640 * 480, 640 * 480 * 3,
     [](ppl_context* c, uint8_t* s, uint8_t* d) { BaylorToRGB24MMX(c, s, d, 640, 480); }},
    {"Bayer I420 half size 640x480", 640 * 480, 320 * 240 * 3 / 2,
     [](ppl_context* c, uint8_t* s, uint8_t* d) { BaylorToI420MMX_deci_2_1(c, s, d, 640, 480); }},
    {"YUYV to I420 640x480", 640 * 480 * 2, 640 * 480 * 3 / 2,
     [](ppl_context* c, uint8_t* s, uint8_t* d) { YUYVToI420MMX(c, s, d, 640, 480, 640, 480); }},
    {"interlaced YUYV to RGB24 720x576", 720 * 576 * 3, 720 * 576 * 3,
     [](ppl_context* c, uint8_t* s, uint8_t* d) {
       const size_t field = 720 * 576;
       IntlYUYVToRGB24MMX(c, s, s + field, s + 2 * field, d, 720, 576, 720, 576);
     }},
};
constexpr int kThreads = 8;

Bytes run_alone(ppl_context* c, const Job& job, const Bytes& src) {
  AlignedBuffer s(job.src_bytes, Align::k16), d(job.dst_bytes, Align::k16);
  std::copy(src.begin(), src.end(), s.data());
  std::fill(d.data(), d.data() + job.dst_bytes, 0);
  job.run(c, s.data(), d.data());
  return Bytes(d.data(), d.data() + job.dst_bytes);
}

TEST(Concurrency, EightContextsOnEightThreadsConvertAsAlone) {
  std::vector<ppl_context*> ctx;
  for (int i = 0; i < kThreads; ++i) ctx.push_back(ppl_init());
  for (ppl_context* c : ctx) ASSERT_NE(c, nullptr);
  // Each thread its own job (two threads per job), quality and frame.
  std::vector<Bytes> sources, expected;
  for (int t = 0; t < kThreads; ++t) {
    const Job& job = kJobs[t % 4];
    ppl_set_quality(ctx[t], t % 4);
    sources.push_back(random_bytes(job.src_bytes, 100 + t));
    expected.push_back(run_alone(ctx[t], job, sources[t]));
  }
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int frame = 0; frame < 6; ++frame)
        if (run_alone(ctx[t], kJobs[t % 4], sources[t]) != expected[t]) ++mismatches;
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
  for (ppl_context* c : ctx) ppl_free(c);
}

TEST(Concurrency, InitAndFreeNeverHandOneSlotToTwoCallers) {
  std::atomic<int> holders[kPoolSlots] = {};
  std::atomic<int> shared{0}, claims{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        ppl_context* c = ppl_init();
        if (!c) continue;
        const int slot = static_cast<int>(c - pool_slot(0));
        if (holders[slot].fetch_add(1) != 0) ++shared;
        ++claims;
        holders[slot].fetch_sub(1);
        ppl_free(c);
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(shared.load(), 0);
  EXPECT_GT(claims.load(), 0);
}

}  // namespace
}  // namespace pplcam::test
