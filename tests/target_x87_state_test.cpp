// The x87 unit after calls that ran the 8-byte (MMX) path.
//
// MMX registers alias the x87 register stack: an MMX instruction tags all
// eight registers in use, and only EMMS empties them again. A kernel that
// returns without EMMS leaves the caller's next x87 load overflowing the
// stack, which gives NaN. In the 32-bit build the MMX kernels are real MMX
// code, so this is the check of their discipline; in 64-bit builds the
// compiler maps the MMX intrinsics to SSE2 and the x87 state must stay
// untouched as well. The processing operations are called directly (no
// bracket of the library closes behind them), as a caller that does its
// own bracketing would.
#include <gtest/gtest.h>

#include <cstdint>

#include "support/environment.h"
#include "support/kernel_path.h"
#include "target_calls.h"

namespace pplcam::test {
namespace {

// x87 tag word: two bits per register, 0xFFFF when the stack is empty.
uint16_t x87_tag_word() {
  struct {
    uint16_t control, pad0, status, pad1, tags, pad2;
    uint32_t pointers[4];
  } env;
  // FNSTENV masks all x87 exceptions after storing; FLDENV puts them back.
  asm volatile("fnstenv %0\n\tfldenv %0" : "=m"(env) : : "memory");
  return env.tags;
}

// Long double arithmetic always runs on the x87 unit.
bool x87_computes() {
  volatile long double a = 3.0L, b = 7.0L;
  const long double r = a * b + a / b;   // 21.428571...
  volatile long double c = 1.25L;
  const long double square = c * c;
  return r > 21.4285L && r < 21.4286L && square == 1.5625L;
}

// Expects a clean x87 unit after the call just made.
#define EXPECT_X87_CLEAN(what)                                                   \
  do {                                                                           \
    EXPECT_EQ(x87_tag_word(), 0xFFFF) << "x87 registers left in use by " << what; \
    EXPECT_TRUE(x87_computes()) << "x87 arithmetic fails after " << what;         \
  } while (0)

// Parameter: the path the context is limited to (16-byte-aligned buffers).
class X87AfterCalls : public ::testing::TestWithParam<PathId> {};

// Every frame function at every size; the Bayer walk takes a different
// route per quality and mirror setting, so the Bayer calls at the first size
// run under each (setting 0: quality 3, no mirror, the defaults).
TEST_P(X87AfterCalls, EveryFrameFunctionAtEverySizeQualityAndMirror) {
  ScopedContext c;
  ASSERT_NE(c.get(), nullptr);
  ScopedPathLimit limit(c, GetParam());
  ASSERT_EQ(x87_tag_word(), 0xFFFF);
  uint32_t seed = 1;
  for (const FrameFunction& f : exported_frame_functions()) {
    const std::vector<FrameSize> sizes = frame_sizes(f.shape);
    for (size_t i = 0; i < sizes.size(); ++i)
      for (int setting = 0; setting < (f.shape == Shape::kBayer && i == 0 ? 24 : 1); ++setting) {
        const int quality = (setting + 3) % 6, mirrors = setting / 6;
        ppl_set_quality(c, quality);
        ppl_set_h_mirror(c, mirrors & 1);
        ppl_set_v_mirror(c, mirrors >> 1);
        FrameBuffers buffers(f, sizes[i], Align::k16, seed++);
        buffers.call(f, c, sizes[i]);
        EXPECT_X87_CLEAN(describe(f, sizes[i]) << " quality " << quality << " mirrors " << mirrors);
      }
  }
}

// Setters rebuild the packed constants of every column-group width; the
// lifecycle calls run every builder.
#define EXPECT_X87_CLEAN_AFTER(call) \
  do {                               \
    call;                            \
    EXPECT_X87_CLEAN(#call);         \
  } while (0)

TEST(X87AfterSetters, LifecycleAndControlSetters) {
  ppl_context* c = ppl_init();
  ASSERT_NE(c, nullptr);
  EXPECT_X87_CLEAN("ppl_init");
  const int32_t matrix[9] = {300, -20, -24, -30, 290, -4, 0, -50, 306};
  uint8_t curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = static_cast<uint8_t>(255 - i);
  uint32_t x = 0, y = 0;
  EXPECT_X87_CLEAN_AFTER(ppl_set_rgb_gain(c, 300, 256, 410));
  EXPECT_X87_CLEAN_AFTER(ppl_set_rgb_delta(c, -5, 3, 12));
  EXPECT_X87_CLEAN_AFTER(ppl_copy_sensor_matrix(c, matrix));
  EXPECT_X87_CLEAN_AFTER(ppl_set_sat_hue(c, 320, 45));
  EXPECT_X87_CLEAN_AFTER(ppl_set_contrast_c(c, 40, &x, &y));
  EXPECT_X87_CLEAN_AFTER(ppl_copy_contrast_table(c, curve));
  EXPECT_X87_CLEAN_AFTER(ppl_set_gamma(c, 2));
  EXPECT_X87_CLEAN_AFTER(ppl_copy_rgb_gamma_table(c, curve));
  EXPECT_X87_CLEAN_AFTER(ppl_set_edge_threshold(c, 60));
  EXPECT_X87_CLEAN_AFTER(ppl_set_nf88_edge_enhance_factor(c, 64));
  EXPECT_X87_CLEAN_AFTER(ppl_set_intl_3T_threshold(c, 30));
  EXPECT_X87_CLEAN_AFTER(ppl_set_qual_BmGb_min_max(c, -10, 12));
  EXPECT_X87_CLEAN_AFTER(ppl_set_qual_RGB_min_max(c, 10, 240, 12, 230, 8, 250));
  EXPECT_X87_CLEAN_AFTER(ppl_set_qAE_RGB_min_max(c, 16, 235));
  EXPECT_X87_CLEAN_AFTER(ppl_set_h_mirror(c, 1));
  EXPECT_X87_CLEAN_AFTER(ppl_set_v_mirror(c, 1));
  EXPECT_X87_CLEAN_AFTER(ppl_new_frame_size(c, 640, 480));
  EXPECT_X87_CLEAN_AFTER(ppl_new_frame_sizes(c, 704, 480, 352, 240));
  EXPECT_X87_CLEAN_AFTER(ppl_set_decimation(c, -1, 0, 0));
  EXPECT_X87_CLEAN_AFTER(ppl_reset_all_controls(c));
  ppl_free(c);
}

INSTANTIATE_TEST_SUITE_P(Paths, X87AfterCalls, ::testing::ValuesIn(machine_paths()),
                         [](const ::testing::TestParamInfo<PathId>& p) { return std::string(path_name(p.param)); });

}  // namespace
}  // namespace pplcam::test
