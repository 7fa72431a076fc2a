// pplcamdeinterlace: interlaced YUY2 or UYVY frames (fields interleaved
// line by line) to progressive YUY2, UYVY, I420 or BGR through the
// library's motion-adaptive deinterlacer or its plain weave.
#pragma once

#include <gst/base/gstbasetransform.h>

G_BEGIN_DECLS

#define GST_TYPE_PPLCAM_DEINTERLACE (gst_pplcam_deinterlace_get_type())
G_DECLARE_FINAL_TYPE(GstPplcamDeinterlace, gst_pplcam_deinterlace, GST, PPLCAM_DEINTERLACE, GstBaseTransform)

G_END_DECLS
