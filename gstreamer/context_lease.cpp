#include "context_lease.h"

namespace pplcam_gst {

namespace {
// The library takes no locks: ppl_init and ppl_free must not overlap, and
// elements start and stop from any application thread.
GMutex pool_lock;
GMutex shared_results;
}  // namespace

ppl_context* acquire_context(GstElement* element) {
  g_mutex_lock(&pool_lock);
  ppl_context* ctx = ppl_init();
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
  ppl_free(ctx);
  g_mutex_unlock(&pool_lock);
}

void lock_shared_results() { g_mutex_lock(&shared_results); }
void unlock_shared_results() { g_mutex_unlock(&shared_results); }

}  // namespace pplcam_gst
