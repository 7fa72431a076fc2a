// The library's contexts for the elements: eight static slots shared by
// every user in the process, taken when an element starts streaming and
// given back when it stops.
#pragma once

#include <gst/gst.h>

#include "pplcam/pplcam.h"

namespace pplcam_gst {

// Takes a slot for `element`, large frames on (frames up to 4096 x 4096,
// pplcam_ext.h) with a work area the lease owns. When all eight are in use
// (or the work area cannot be allocated) it posts an error
// that says so on the element's bus and returns nullptr, so the element's
// state change fails.
ppl_context* acquire_context(GstElement* element);
void release_context(ppl_context* ctx);

// Held around the weighted-mean getters, whose results live in storage
// that all contexts share.
void lock_shared_results();
void unlock_shared_results();

}  // namespace pplcam_gst
