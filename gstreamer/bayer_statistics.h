// The statistics of a Bayer frame as an element message on the bus.
//
// Structure "pplcam-statistics". The library's own figures, every mean a
// <r, g, b> array of guint in 1/256 of a sample level:
//   frame                 library frame counter of the context (guint)
//   timestamp, running-time  of the frame's buffer (guint64, ns)
//   whole-frame, all-sub-windows, outside-sub-windows  region means
//   whole-frame-4pts, whole-frame-central4, -central8, -central16
//                         centre-weighted means (qualities 0..2)
//   sub-window-columns, sub-window-rows  8 and 6
//   sub-windows           48 triples, row by row (qualities 0..2)
//   qae-means, qual-means  means of the exposure / white-balance cells
//   qae-cells, qual-cells  their counts scaled to the whole frame (guint)
//   r-histogram, g-histogram, b-histogram  256 counters each
// The means over the cells each region really sampled, as gdouble levels
// 0..255 (a flat frame reads its level in every region; qualities 0..2
// fill the windows, quality 3 only the whole frame):
//   level-whole-frame, level-outside-sub-windows  <r, g, b>
//   level-sub-windows     48 triples, row by row
//   level-sub-window-cells  48 counts of sampled 2 x 2 cells (guint)
//   level-outside-cells, level-whole-frame-cells  (guint)
#pragma once

#include <gst/gst.h>

#include "pplcam/pplcam.h"

namespace pplcam_gst {

GstMessage* statistics_message(GstElement* element, ppl_context* ctx, GstClockTime timestamp,
                               GstClockTime running_time);

}  // namespace pplcam_gst
