// Explaining a refused negotiation: GStreamer's own report of caps an
// element cannot take is a bare "not-negotiated" from the source, so the
// elements say on the bus what they take instead.
#pragma once

#include <gst/base/gstbasetransform.h>

namespace pplcam_gst {

// GstBaseTransform's accept_caps; when it refuses fixed caps on the sink
// pad, posts a warning "<what_it_takes>, not <caps>" first.
gboolean accept_caps_or_explain(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps,
                                const char* what_it_takes);

}  // namespace pplcam_gst
