// The processing operations called directly, with what a caller can get
// wrong: NULL buffers, black lines set negative or beyond 31 bits through
// ppl_set_decimation, a geometry kept from an earlier call. Each call either
// refuses with nothing written or writes no more than the header's byte
// count for the stored geometry, on every path and at both alignments.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "core/context.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/kernel_path.h"

namespace pplcam::test {
namespace {

enum class Family { kBayer, kProgressive, kInterlaced };

// One processing operation in a common shape: sources (one, or reference,
// first and second field), destination, input and output size.
struct Op {
  const char* name;
  Family family;
  uint8_t (*call)(ppl_context*, uint8_t* const*, uint8_t*, int32_t, int32_t, int32_t, int32_t);
  int64_t (*dst_bytes)(int64_t p);   // the header's count for P output pixels
};

int64_t i420_kernel(int64_t p) { return p + 2 * (p / 4); }
int64_t i420(int64_t p) { return p + p / 2; }
int64_t x2(int64_t p) { return 2 * p; }
int64_t x3(int64_t p) { return 3 * p; }
int64_t x4(int64_t p) { return 4 * p; }

#define BAYER_OP(fn, bytes) \
  Op{#fn, Family::kBayer, [](ppl_context* c, uint8_t* const* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t) { return fn(c, s[0], d, w, h); }, bytes}
#define YUV_OP(fn, bytes) \
  Op{#fn, Family::kProgressive, [](ppl_context* c, uint8_t* const* s, uint8_t* d, int32_t iw, int32_t ih, int32_t ow, int32_t oh) { return fn(c, s[0], d, iw, ih, ow, oh); }, bytes}
#define INTL_OP(fn, bytes) \
  Op{#fn, Family::kInterlaced, [](ppl_context* c, uint8_t* const* s, uint8_t* d, int32_t iw, int32_t ih, int32_t ow, int32_t oh) { return fn(c, s[0], s[1], s[2], d, iw, ih, ow, oh); }, bytes}

const Op kOps[] = {
    BAYER_OP(ppl_process_blrtoi420, i420_kernel), BAYER_OP(ppl_process_blrtoyuyv, x2),
    BAYER_OP(ppl_process_blrtouyvy, x2),          BAYER_OP(ppl_process_blrtorgb24, x3),
    BAYER_OP(ppl_process_blrtorgb32, x4),
    YUV_OP(ppl_process_yuyvtoi420, i420),         YUV_OP(ppl_process_uyvytoi420, i420),
    YUV_OP(ppl_process_yuyvtorgb24, x3),          YUV_OP(ppl_process_uyvytorgb24, x3),
    YUV_OP(ppl_process_yuyvyyyytoi420, i420),     YUV_OP(ppl_process_uyvyyyyytoi420, i420),
    YUV_OP(ppl_process_rgb24torgb32, x4),
    INTL_OP(ppl_process_intlyuyvtoyuyv, x2),      INTL_OP(ppl_process_intluyvytouyvy, x2),
    INTL_OP(ppl_process_intlyuyvtoi420, i420),    INTL_OP(ppl_process_intluyvytoi420, i420),
    INTL_OP(ppl_process_intlyuyvtorgb24, x3),     INTL_OP(ppl_process_intluyvytorgb24, x3),
};

// How a call goes wrong, starting from a 704 x 480 geometry of the family
// (the Bayer operations: that input size).
struct Refusal {
  const char* name;
  int null_buffer;                  // -1: none; else the source index, 3: dst
  int32_t width, height;            // input size
  int32_t top, bottom;              // black lines set on the context
};

const Refusal kRefusals[] = {
    {"null destination", 3, 704, 480, 0, 0},
    {"null first source", 0, 704, 480, 0, 0},
    {"null second field", 2, 704, 480, 0, 0},
    {"negative top black lines", -1, 704, 480, -4, 0},
    {"negative bottom black lines", -1, 704, 480, 0, -2},
    {"black lines beyond 31 bits", -1, 704, 480, INT32_MAX, 0},
    {"black lines of a 1280x1024 frame beyond 31 bits", -1, 1280, 1024, 300000, 300000},
};

TEST(ProcessingBounds, RefusalsWriteNothing) {
  ScopedContext ctx;
  const size_t kBytes = 1280 * 1024 * 4;
  std::vector<AlignedBuffer> sources;
  for (int i = 0; i < 3; ++i) sources.emplace_back(kBytes, Align::k16);
  AlignedBuffer dst(kBytes, Align::k16);
  for (const Refusal& r : kRefusals) {
    for (const Op& op : kOps) {
      if (r.null_buffer == 2 && op.family != Family::kInterlaced) continue;
      for (PathId p : machine_paths()) {
        SCOPED_TRACE(std::string(op.name) + ", " + r.name + ", " + path_name(p));
        ScopedPathLimit limit(ctx, p);
        // A geometry of the family first, then the black lines; the
        // caller passes the stored sizes so that nothing is re-sized.
        if (op.family == Family::kBayer)
          ASSERT_EQ(ppl_new_frame_size(ctx, r.width, r.height), 1);
        else
          ASSERT_EQ(ppl_new_frame_sizes(ctx, r.width, r.height, r.width, r.height), 1);
        ppl_set_decimation(ctx, 0, r.top, r.bottom);
        uint8_t* srcs[3] = {sources[0].data(), sources[1].data(), sources[2].data()};
        uint8_t* out = dst.data();
        if (r.null_buffer == 3) out = nullptr;
        else if (r.null_buffer >= 0) srcs[r.null_buffer] = nullptr;
        std::fill(dst.data(), dst.data() + kBytes, 0x5A);
        const uint32_t frames = ppl_n_frame(ctx);
        EXPECT_EQ(op.call(ctx, srcs, out, r.width, r.height, ctx->out_width, ctx->out_height), 0);
        EXPECT_EQ(ppl_n_frame(ctx), frames);
        EXPECT_EQ(std::count(dst.data(), dst.data() + kBytes, 0x5A), static_cast<ptrdiff_t>(kBytes));
        if (HasFailure()) return;
      }
    }
  }
}

// A Bayer operation keeps the output geometry an earlier call left for the
// same input size (black lines, double size): it writes exactly within the
// header's count for that geometry, which the destination ends at.
TEST(ProcessingBounds, BayerOperationsWriteWithinTheKeptGeometry) {
  struct Kept {
    int32_t in_w, in_h, out_w, out_h;
  };
  const Kept kKept[] = {{704, 480, 704, 576}, {640, 480, 1280, 960}, {704, 576, 176, 150}};
  ScopedContext ctx;
  for (const Kept& k : kKept) {
    const int64_t p = static_cast<int64_t>(k.out_w) * k.out_h;
    for (const Op& op : kOps) {
      if (op.family != Family::kBayer) continue;
      const size_t bytes = static_cast<size_t>(op.dst_bytes(p));
      for (Guard g : {Guard::kAfter, Guard::kBefore})
        for (size_t offset : {0, 8})   // 16-byte aligned, 8 but not 16
          for (PathId path : machine_paths()) {
            SCOPED_TRACE(std::string(op.name) + " " + std::to_string(k.out_w) + "x" +
                         std::to_string(k.out_h) + " offset " + std::to_string(offset) + " " +
                         path_name(path));
            ScopedPathLimit limit(ctx, path);
            ASSERT_EQ(ppl_new_frame_sizes(ctx, k.in_w, k.in_h, k.out_w, k.out_h), 1);
            GuardedBuffer src(static_cast<size_t>(k.in_w) * k.in_h, g);
            fill_random(src.data(), src.size(), 7);
            // Guard after: dst + bytes is the guard (8 bytes short of it at
            // offset 8); guard before: it is `offset` bytes below dst.
            GuardedBuffer dst(bytes + offset, g);
            uint8_t* const srcs[1] = {src.data()};
            EXPECT_EQ(op.call(ctx, srcs, dst.data() + offset, k.in_w, k.in_h, 0, 0), 1);
            if (HasFailure()) return;
          }
    }
  }
}

}  // namespace
}  // namespace pplcam::test
