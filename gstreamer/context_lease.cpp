#include "context_lease.h"

#include <cstdlib>

#include "pplcam/pplcam_ext.h"

namespace pplcam_gst {

namespace {
// The library takes no locks: ppl_init and ppl_free must not overlap, and
// elements start and stop from any application thread.
GMutex pool_lock;
GMutex shared_results;

// The large-frame work area of each leased context (under pool_lock).
struct Lease {
  ppl_context* ctx;
  void* work;
};
Lease leases[8];

// Large frames on, with a work area for the widest frames; false when it
// cannot be allocated.
bool allow_large_frames(ppl_context* ctx) {
  const uint32_t bytes = ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH);
  void* work = std::aligned_alloc(PPL_EXT_LARGE_FRAME_ALIGNMENT, bytes);
  if (!work || !ppl_ext_enable_large_frames(ctx, work, bytes)) {
    std::free(work);
    return false;
  }
  for (Lease& l : leases)
    if (!l.ctx) {
      l = {ctx, work};
      return true;
    }
  ppl_ext_disable_large_frames(ctx);
  std::free(work);
  return false;
}

}  // namespace

ppl_context* acquire_context(GstElement* element) {
  g_mutex_lock(&pool_lock);
  ppl_context* ctx = ppl_init();
  if (ctx && !allow_large_frames(ctx)) {
    ppl_free(ctx);
    ctx = nullptr;
  }
  g_mutex_unlock(&pool_lock);
  if (!ctx) {
    GST_ELEMENT_ERROR(element, RESOURCE, BUSY, ("All eight pplcam contexts are in use."),
                      ("The pplcam library serves at most eight streams at once in one process "
                       "(pplcambayer and pplcamdeinterlace elements together): stop another one first."));
  }
  return ctx;
}

void release_context(ppl_context* ctx) {
  g_mutex_lock(&pool_lock);
  ppl_ext_disable_large_frames(ctx);
  for (Lease& l : leases)
    if (l.ctx == ctx) {
      std::free(l.work);
      l = {};
    }
  ppl_free(ctx);
  g_mutex_unlock(&pool_lock);
}

void lock_shared_results() { g_mutex_lock(&shared_results); }
void unlock_shared_results() { g_mutex_unlock(&shared_results); }

}  // namespace pplcam_gst
