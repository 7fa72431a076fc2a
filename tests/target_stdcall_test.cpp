// Exported functions called the way a Windows driver calls them: through
// stdcall function pointers typed from the public header alone.
//
// On 32-bit x86 every export must be stdcall: the callee pops exactly its
// 4-byte argument words. A raw call that pushes the words itself and
// measures the stack pointer afterwards shows both a cdecl export (bytes
// left behind) and a wrong argument count (too many bytes popped). On x86-64
// there is one convention and nothing to check here.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/environment.h"
#include "target_calls.h"

namespace pplcam::test {
namespace {

#if defined(__i386__)
// Pushes `n` argument words right to left, calls `fn` with the call site
// 16-byte aligned, and returns the bytes of arguments the callee left on the
// stack (0 for stdcall, 4n for cdecl; negative when it popped too many).
// `*result` receives EAX.
int32_t call_counting_pops(const void* fn, const uint32_t* args, uint32_t n, uint32_t* result) {
  uint32_t eax, left = n, saved_esp, before_pushes;
  const uint32_t* a = args;
  const void* target = fn;
  asm volatile(
      "mov %%esp, %[saved]\n\t"
      "mov %%ecx, %%eax\n\t"
      "shl $2, %%eax\n\t"
      "sub %%eax, %%esp\n\t"
      "and $-16, %%esp\n\t"
      "add %%eax, %%esp\n\t"
      "mov %%esp, %[before]\n\t"
      "1:\n\t"
      "test %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "pushl -4(%%ebx,%%ecx,4)\n\t"
      "dec %%ecx\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "call *%%edx\n\t"
      "mov %[before], %%ecx\n\t"
      "sub %%esp, %%ecx\n\t"
      "mov %[saved], %%esp\n\t"
      : "=a"(eax), "+c"(left), "+b"(a), "+d"(target), [saved] "=&S"(saved_esp),
        [before] "=&D"(before_pushes)
      :
      : "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)",
        "mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7", "xmm0", "xmm1", "xmm2", "xmm3",
        "xmm4", "xmm5", "xmm6", "xmm7");
  *result = eax;
  return static_cast<int32_t>(left);
}

const void* address_of(const FrameFunction& f) {
  return f.bayer ? reinterpret_cast<const void*>(f.bayer)
                 : f.progressive ? reinterpret_cast<const void*>(f.progressive) : reinterpret_cast<const void*>(f.interlaced);
}

// Every frame function, on a frame it accepts and on the MMX path (buffers
// 8 but not 16 bytes aligned), pops exactly its arguments and gives the
// same result as a typed call.
TEST(StdcallExports, FrameFunctionsPopExactlyTheirArguments) {
  ScopedContext c;
  ASSERT_NE(c.get(), nullptr);
  uint32_t seed = 7;
  for (const FrameFunction& f : exported_frame_functions()) {
    const FrameSize size = frame_sizes(f.shape).front();
    FrameBuffers raw(f, size, Align::k8Not16, seed), typed(f, size, Align::k8Not16, seed);
    ++seed;
    const std::vector<uint32_t> args = raw.words(f, c, size);
    uint32_t result = 0;
    EXPECT_EQ(call_counting_pops(address_of(f), args.data(), args.size(), &result), 0) << f.name;
    EXPECT_EQ(static_cast<uint8_t>(result), typed.call(f, c, size)) << f.name;
  }
}

// Lifecycle and control functions of the other argument counts.
TEST(StdcallExports, ControlFunctionsPopExactlyTheirArguments) {
  ScopedContext c;
  ASSERT_NE(c.get(), nullptr);
  const uint32_t ctx = reinterpret_cast<uintptr_t>(c.get());
  uint32_t out_x = 0, out_y = 0;
  const uint32_t x = reinterpret_cast<uintptr_t>(&out_x), y = reinterpret_cast<uintptr_t>(&out_y);
  struct Call {
    const char* name;
    const void* fn;
    std::vector<uint32_t> args;
  };
#define CALL(fn, ...) Call{#fn, reinterpret_cast<const void*>(fn), {__VA_ARGS__}}
  const Call calls[] = {
      CALL(DllUnload), CALL(ppl_quality, ctx), CALL(ppl_set_quality, ctx, 1), CALL(ppl_set_h_mirror, ctx, 1),
      CALL(ppl_set_sat_hue, ctx, 300, 20), CALL(ppl_set_rgb_gain, ctx, 300, 256, 280),
      CALL(ppl_set_contrast_c, ctx, 30, x, y), CALL(ppl_new_frame_size, ctx, 640, 480),
      CALL(ppl_set_decimation, ctx, 1, 0, 0), CALL(ppl_set_qual_RGB_min_max, ctx, 1, 250, 2, 251, 3, 252),
      CALL(ppl_reset_all_controls, ctx),
  };
#undef CALL
  for (const Call& call : calls) {
    uint32_t result = 0;
    EXPECT_EQ(call_counting_pops(call.fn, call.args.data(), call.args.size(), &result), 0)
        << call.name;
  }
  EXPECT_EQ(ppl_quality(c), 3) << "ppl_reset_all_controls ran last and restores quality 3";

  // ppl_init and ppl_free hand a slot out and back through raw calls.
  uint32_t slot = 0, freed = 0;
  EXPECT_EQ(call_counting_pops(reinterpret_cast<const void*>(ppl_init), nullptr, 0, &slot), 0);
  ASSERT_NE(slot, 0u);
  EXPECT_EQ(call_counting_pops(reinterpret_cast<const void*>(ppl_free), &slot, 1, &freed), 0);
  EXPECT_EQ(static_cast<uint8_t>(freed), 1);
}
#endif  // __i386__

}  // namespace
}  // namespace pplcam::test
