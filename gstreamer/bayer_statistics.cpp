#include "bayer_statistics.h"

#include "context_lease.h"

namespace pplcam_gst {

namespace {

void put_array(GstStructure* s, const char* field, const uint32_t* values, guint n) {
  GValue array = G_VALUE_INIT;
  gst_value_array_init(&array, n);
  for (guint i = 0; i < n; ++i) {
    GValue v = G_VALUE_INIT;
    g_value_init(&v, G_TYPE_UINT);
    g_value_set_uint(&v, values[i]);
    gst_value_array_append_and_take_value(&array, &v);
  }
  gst_structure_take_value(s, field, &array);
}

}  // namespace

GstMessage* statistics_message(GstElement* element, ppl_context* ctx, GstClockTime timestamp,
                               GstClockTime running_time) {
  uint32_t columns = 0, rows = 0;
  const uint32_t windows = ppl_n_sub_windows(ctx, &columns, &rows);
  GstStructure* s = gst_structure_new("pplcam-statistics", "frame", G_TYPE_UINT, ppl_n_frame(ctx), "timestamp",
                                      G_TYPE_UINT64, timestamp, "running-time", G_TYPE_UINT64, running_time,
                                      "sub-window-columns", G_TYPE_UINT, columns, "sub-window-rows", G_TYPE_UINT, rows,
                                      "qae-cells", G_TYPE_UINT, ppl_n_qAE_2x2_whole_frame(ctx), "qual-cells",
                                      G_TYPE_UINT, ppl_n_qual_2x2_whole_frame(ctx), nullptr);
  put_array(s, "whole-frame", ppl_rgb_means_whole_frame(ctx), 3);
  put_array(s, "all-sub-windows", ppl_rgb_means_all_sub_windows(ctx), 3);
  put_array(s, "outside-sub-windows", ppl_rgb_means_outside_all_sub_windows(ctx), 3);
  put_array(s, "sub-windows", ppl_rgb_means_sub_windows(ctx), 3 * windows);
  put_array(s, "qae-means", ppl_qAE_rgb_means_whole_frame(ctx), 3);
  put_array(s, "qual-means", ppl_qual_rgb_means_whole_frame(ctx), 3);
  // These four getters return storage shared by all contexts, rewritten by
  // the next call on any of them.
  lock_shared_results();
  put_array(s, "whole-frame-4pts", ppl_rgb_means_whole_frame_4pts(ctx), 3);
  put_array(s, "whole-frame-central4", ppl_rgb_means_whole_frame_central4(ctx), 3);
  put_array(s, "whole-frame-central8", ppl_rgb_means_whole_frame_central8(ctx), 3);
  put_array(s, "whole-frame-central16", ppl_rgb_means_whole_frame_central16(ctx), 3);
  unlock_shared_results();
  put_array(s, "r-histogram", ppl_r_histogram(ctx), 256);
  put_array(s, "g-histogram", ppl_g_histogram(ctx), 256);
  put_array(s, "b-histogram", ppl_b_histogram(ctx), 256);
  // The statistics read as plain levels (pplcam_ext.h) join the message
  // here once the extension header declares them.
  return gst_message_new_element(GST_OBJECT(element), s);
}

}  // namespace pplcam_gst
