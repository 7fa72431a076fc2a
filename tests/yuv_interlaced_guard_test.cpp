// No interlaced converter reads or writes outside the caller's buffers: the
// reference, both fields and the destination each placed against an
// inaccessible page, before and after, on every path, for every
// decimation mode and with black lines (one line above: odd top).
#include <gtest/gtest.h>

#include "support/buffers.h"
#include "support/environment.h"
#include "yuv_interlaced_support.h"

namespace pplcam::test {
namespace {

// Byte counts are multiples of 16, so every buffer ends exactly at its guard.
const IntlSizes kGuardSizes[] = {
    {720, 576, 720, 576}, {704, 480, 704, 482}, {704, 576, 352, 300},
    {704, 576, 176, 150}, {640, 480, 1280, 960},
};

TEST(InterlacedGuard, EveryBufferAgainstGuardPagesOnEveryPath) {
  ScopedContext ctx;
  ppl_set_intl_3T_threshold(ctx, 0);
  for (const IntlSizes& s : kGuardSizes) {
    for (Guard g : {Guard::kBefore, Guard::kAfter}) {
      GuardedBuffer ref(s.field_bytes(), g), first(s.field_bytes(), g), second(s.field_bytes(), g);
      fill_random(ref.data(), s.field_bytes(), 1);
      fill_random(first.data(), s.field_bytes(), 2);
      fill_random(second.data(), s.field_bytes(), 3);
      for (const IntlCase& c : kIntlCases) {
        GuardedBuffer dst(s.dst_bytes(c.output), g);
        for (PathId p : machine_paths()) {
          ScopedPathLimit limit(ctx, p);
          EXPECT_EQ(c.convert(ctx, ref.data(), first.data(), second.data(), dst.data(), s.in_width,
                              s.in_height, s.out_width, s.out_height),
                    1)
              << c.name << " " << path_name(p) << " " << size_name(s);
        }
      }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
