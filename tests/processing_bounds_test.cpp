// The processing operations called directly: each writes no more than the
// header's byte count for the stored geometry, on every path and at both
// alignments, and refuses what a caller can get wrong (NULL buffers, black
// lines set negative or beyond 31 bits through ppl_set_decimation) with
// nothing written. The converters' own fills: converter_fallback_test.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"
#include "target_calls.h"

namespace pplcam::test {
namespace {

// How a call goes wrong, starting from a 704 x 480 geometry of the family
// (the Bayer operations: that input size), large frames on.
struct Refusal {
  const char* name;
  int null_buffer;                  // -1: none; else the source index, 3: dst
  int32_t width, height;            // input size
  int32_t top, bottom;              // black lines set on the context
  int32_t mode = 0;                 // decimation mode set with them
};

const Refusal kRefusals[] = {
    {"null destination", 3, 704, 480, 0, 0},
    {"null first source", 0, 704, 480, 0, 0},
    {"null second field", 2, 704, 480, 0, 0},
    {"negative top black lines", -1, 704, 480, -4, 0},
    {"negative bottom black lines", -1, 704, 480, 0, -2},
    {"black lines beyond 31 bits", -1, 704, 480, INT32_MAX, 0},
    {"black lines of a 1280x1024 frame beyond 31 bits", -1, 1280, 1024, 300000, 300000},
    {"a large frame doubled beyond 4096 columns", -1, 2560, 2048, 0, 0, -1},
};

TEST(ProcessingBounds, RefusalsWriteNothing) {
  ScopedContext ctx;
  ASSERT_EQ(ctx.allow_large_frames(), 1);
  const size_t kBytes = 1280 * 1024 * 4;
  std::vector<AlignedBuffer> sources;
  for (int i = 0; i < 3; ++i) sources.emplace_back(kBytes, Align::k16);
  AlignedBuffer dst(kBytes, Align::k16);
  for (const Refusal& r : kRefusals) {
    for (const FrameFunction& op : exported_frame_functions()) {
      if (!is_processing(op) || (r.null_buffer == 2 && op.shape != Shape::kInterlaced)) continue;
      for (PathId p : machine_paths()) {
        SCOPED_TRACE(std::string(op.name) + ", " + r.name + ", " + path_name(p));
        ScopedPathLimit limit(ctx, p);
        // A geometry of the family first, then the black lines; the
        // caller passes the stored sizes so that nothing is re-sized.
        if (op.shape == Shape::kBayer)
          ASSERT_EQ(ppl_new_frame_size(ctx, r.width, r.height), 1);
        else
          ASSERT_EQ(ppl_new_frame_sizes(ctx, r.width, r.height, r.width, r.height), 1);
        ppl_set_decimation(ctx, r.mode, r.top, r.bottom);
        uint8_t* buffers[4] = {sources[0].data(), sources[1].data(), sources[2].data(), dst.data()};
        if (r.null_buffer >= 0) buffers[r.null_buffer] = nullptr;
        std::fill(dst.data(), dst.data() + kBytes, 0x5A);
        const uint32_t frames = ppl_n_frame(ctx);
        EXPECT_EQ(call_frame_function(op, ctx, buffers, buffers[3], {r.width, r.height, ctx->out_width, ctx->out_height}), 0);
        EXPECT_EQ(ppl_n_frame(ctx), frames);
        EXPECT_EQ(std::count(dst.data(), dst.data() + kBytes, 0x5A), static_cast<ptrdiff_t>(kBytes));
        if (HasFailure()) return;
      }
    }
  }
}

// Every operation at the size pairs in use writes within the header's
// count, which its destination ends at (guard after) or starts at (guard
// before), with sources against guards too; at both alignments, both
// mirror settings, on every path. The Bayer operations keep the output
// geometry ppl_new_frame_sizes left for their input size (black lines,
// half, quarter and double size). Large frames are on throughout: the
// table's sizes keep their bounds, and camera sizes beyond it are walked
// through the work area too.
TEST(ProcessingBounds, EveryOperationWritesWithinTheHeaderCount) {
  const FrameSize kSizes[] = {{720, 576, 720, 576}, {720, 480, 720, 487}, {704, 480, 704, 576},
                          {704, 576, 352, 300}, {704, 576, 176, 150}, {640, 480, 1280, 960},
                          {1280, 1024, 1280, 1024}, {1920, 1080, 1920, 1080}};
  ScopedContext ctx;
  ASSERT_EQ(ctx.allow_large_frames(), 1);
  ppl_set_intl_3T_threshold(ctx, 0);   // every word moves: the most reads
  for (const FrameSize& k : kSizes)
    for (const FrameFunction& op : exported_frame_functions()) {
      if (!is_processing(op)) continue;
      const size_t src_bytes = source_bytes(op, k)[0];
      const size_t dst_bytes = static_cast<size_t>(k.out_w) * k.out_h * op.output_bytes_per_pixel_x2 / 2;
      for (Guard g : {Guard::kAfter, Guard::kBefore}) {
        GuardedBuffer s0(src_bytes, g), s1(src_bytes, g), s2(src_bytes, g);
        uint8_t* const srcs[3] = {s0.data(), s1.data(), s2.data()};
        for (int i = 0; i < 3; ++i) fill_random(srcs[i], src_bytes, i + 1);
        // Guard after: dst + dst_bytes is the guard (8 bytes short of it at
        // offset 8); guard before: it is `offset` bytes below dst.
        for (size_t offset : {0, 8}) {
          GuardedBuffer dst(dst_bytes + offset, g);
          for (int mirrors : {0, 3})
            for (PathId path : machine_paths()) {
              SCOPED_TRACE(describe(op, k) + " offset " + std::to_string(offset) + " mirrors " +
                           std::to_string(mirrors) + " " + path_name(path));
              ScopedPathLimit limit(ctx, path);
              ppl_set_h_mirror(ctx, mirrors & 1);
              ppl_set_v_mirror(ctx, mirrors & 2);
              ASSERT_EQ(ppl_new_frame_sizes(ctx, k.in_w, k.in_h, k.out_w, k.out_h), 1);
              call_frame_function(op, ctx, srcs, dst.data() + offset, k);
            }
        }
      }
    }
}

}  // namespace
}  // namespace pplcam::test
