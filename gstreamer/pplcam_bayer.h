// pplcambayer: raw Bayer camera frames (bggr) to I420, YUY2, UYVY, BGR or
// BGRx through the library's Bayer converters, with every picture control
// as a property and the frame statistics posted on the bus.
#pragma once

#include <gst/base/gstbasetransform.h>

G_BEGIN_DECLS

#define GST_TYPE_PPLCAM_BAYER (gst_pplcam_bayer_get_type())
G_DECLARE_FINAL_TYPE(GstPplcamBayer, gst_pplcam_bayer, GST, PPLCAM_BAYER, GstBaseTransform)

G_END_DECLS
