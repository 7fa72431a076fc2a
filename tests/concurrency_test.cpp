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
#include "target_calls.h"

namespace pplcam::test {
namespace {

using Bytes = std::vector<uint8_t>;

// One conversion of a random frame; the buffers made from one seed hold
// the same sources, so every run starts from a fresh copy (Bayer sources
// are conditioned in place).
struct Job {
  const char* name;
  FrameSize size;
};
const Job kJobs[] = {{"BaylorToRGB24MMX", {640, 480, 0, 0}},
                     {"BaylorToI420MMX_deci_2_1", {640, 480, 0, 0}},
                     {"YUYVToI420MMX", {640, 480, 640, 480}},
                     {"IntlYUYVToRGB24MMX", {720, 576, 720, 576}}};
constexpr int kThreads = 8;

Bytes run_alone(ppl_context* c, int thread) {
  const Job& job = kJobs[thread % 4];
  const FrameFunction& f = function_named(job.name);
  FrameBuffers buffers(f, job.size, Align::k16, 100 + thread);
  buffers.call(f, c, job.size);
  return buffers.output();
}

TEST(Concurrency, EightContextsOnEightThreadsConvertAsAlone) {
  std::vector<ppl_context*> ctx;
  for (int i = 0; i < kThreads; ++i) ctx.push_back(ppl_init());
  for (ppl_context* c : ctx) ASSERT_NE(c, nullptr);
  // Each thread its own job (two threads per job), quality and frame.
  std::vector<Bytes> expected;
  for (int t = 0; t < kThreads; ++t) {
    ppl_set_quality(ctx[t], t % 4);
    expected.push_back(run_alone(ctx[t], t));
  }
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int frame = 0; frame < 6; ++frame)
        if (run_alone(ctx[t], t) != expected[t]) ++mismatches;
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
