// Test controls over the library's environment: the processor features it
// sees, failures of the floating-point save, and contexts that are freed at
// the end of a scope.
#pragma once

#include <cstdint>
#include <memory>

#include "core/cpu_features.h"
#include "core/platform.h"
#include "pplcam/pplcam_ext.h"
#include "support/buffers.h"

namespace pplcam::test {

// While alive, the library sees the detected features with `clear` removed
// (kCpuMmxPath for a processor without the integer extensions, kCpuSse2 for
// one without SSE2, kCpuAvx2 or kCpuAvx512 for one without those rows), for
// tests about the features themselves; tests that run a case on each path
// limit the context instead (kernel_path.h).
class ScopedCpuFeatures {
 public:
  explicit ScopedCpuFeatures(CpuFeatureSet clear) : saved_(cpu_feature_set()) { see(saved_ & ~clear); }
  ~ScopedCpuFeatures() { see(saved_); }

 private:
  static void see(CpuFeatureSet f) {
    cpu_features = static_cast<uint32_t>(f);
    g_wide_features = static_cast<uint32_t>(f >> 32);
  }
  CpuFeatureSet saved_;
};

// While alive, every floating-point save fails.
class ScopedFpSaveFailure {
 public:
  ScopedFpSaveFailure() { platform_fail_next_fp_saves(1 << 30); }
  ~ScopedFpSaveFailure() { platform_fail_next_fp_saves(0); }
};

// A context from ppl_init, freed when the scope ends.
class ScopedContext {
 public:
  ScopedContext() : ctx_(ppl_init()) {}
  ~ScopedContext() { ppl_free(ctx_); }
  ScopedContext(const ScopedContext&) = delete;
  ScopedContext& operator=(const ScopedContext&) = delete;
  ppl_context* get() const { return ctx_; }
  operator ppl_context*() const { return ctx_; }
  ppl_context* operator->() const { return ctx_; }

  // Large frames on, with a work area for the widest frames that ends at a
  // guard page. Returns the enable call's result.
  uint8_t allow_large_frames() {
    const uint32_t bytes = ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH);
    work_ = std::make_unique<GuardedBuffer>(bytes, Guard::kAfter, PPL_EXT_LARGE_FRAME_ALIGNMENT);
    return ppl_ext_enable_large_frames(ctx_, work_->data(), bytes);
  }

 private:
  ppl_context* ctx_;
  std::unique_ptr<GuardedBuffer> work_;   // freed after the context
};

}  // namespace pplcam::test
