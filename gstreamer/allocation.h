// Buffer sizes and allocation queries of both elements: frames in buffers
// aligned for the kernels.
#pragma once

#include <gst/base/gstbasetransform.h>

namespace pplcam_gst {

// Bytes of one frame of `caps` (video/x-bayer or video/x-raw).
bool frame_bytes(const GstCaps* caps, gsize* size);

// Installs the element's get_unit_size (frame_bytes), and allocation
// hooks that chain up to GstBaseTransform and then
//  - answer upstream's query with allocation parameters of the requested
//    alignment and, when upstream wants one, a pool of frame-sized buffers
//    with them (a video pool for video/x-raw caps);
//  - raise the alignment of the parameters downstream answered (adding
//    them when it gave none), and add such a pool when downstream offered
//    none, before the base class sets up the output pool.
void use_aligned_allocation(GstBaseTransformClass* klass);

}  // namespace pplcam_gst
