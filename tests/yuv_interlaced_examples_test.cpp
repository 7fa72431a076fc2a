// The interlaced converters' calls that write nothing: a size pair outside
// the table is refused before the kernel and does not count the frame; a
// geometry the walk cannot cover (set through ppl_new_frame_size) reaches
// the kernel, which writes nothing but counts the frame. What they write
// otherwise is checked against the model.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/environment.h"
#include "yuv_interlaced_support.h"

namespace pplcam::test {
namespace {

TEST(InterlacedExamples, EveryCallCountsOneFrameAndRefusedSizesWriteNothing) {
  const struct {
    IntlSizes frame_size, call;
    uint8_t result;
    uint32_t frames;
  } rows[] = {{{720, 480, 720, 480}, {720, 480, 720, 480}, 1, 1},
              {{720, 480, 720, 480}, {720, 480, 360, 240}, 0, 0},
              {{136, 50, 136, 50}, {136, 50, 136, 50}, 0, 1}};
  for (const auto& row : rows) {
    ScopedContext ctx;
    ASSERT_EQ(ppl_new_frame_size(ctx, row.frame_size.in_width, row.frame_size.in_height), 1);
    const FieldSet f = random_fields(row.call, 9);
    for (const IntlCase& c : kIntlCases) {
      const std::vector<uint8_t> before(row.call.dst_bytes(c.output), 0xA5);
      std::vector<uint8_t> dst = before;
      const uint32_t frames = ppl_n_frame(ctx);
      EXPECT_EQ(run_intl_on_path(machine_paths().back(), c.convert, ctx, f, dst, row.call), row.result)
          << c.name << " " << size_name(row.call);
      if (row.result == 0) EXPECT_EQ(dst, before) << c.name << " " << size_name(row.call);
      EXPECT_EQ(ppl_n_frame(ctx), frames + row.frames) << c.name << " " << size_name(row.call);
    }
  }
}

}  // namespace
}  // namespace pplcam::test
