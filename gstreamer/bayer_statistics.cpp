#include "bayer_statistics.h"

#include "context_lease.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam_gst {

namespace {

enum class As { kCount, kLevel };

// An array of guint, or (As::kLevel) of 8.8 means as gdouble levels
// 0..255, which hold every 1/256 step exactly.
void put_array(GstStructure* s, const char* field, const uint32_t* values, guint n, As as = As::kCount) {
  GValue array = G_VALUE_INIT;
  gst_value_array_init(&array, n);
  for (guint i = 0; i < n; ++i) {
    GValue v = G_VALUE_INIT;
    if (as == As::kLevel) {
      g_value_init(&v, G_TYPE_DOUBLE);
      g_value_set_double(&v, values[i] / 256.0);
    } else {
      g_value_init(&v, G_TYPE_UINT);
      g_value_set_uint(&v, values[i]);
    }
    gst_value_array_append_and_take_value(&array, &v);
  }
  gst_structure_take_value(s, field, &array);
}

// The means over the cells each region really sampled (pplcam_ext.h).
void put_level_means(GstStructure* s, ppl_context* ctx) {
  constexpr guint kWindows = 48;
  uint32_t means[3 * (kWindows + 1)], cells[kWindows + 1], whole[3];
  ppl_ext_level_means_sub_windows(ctx, means, cells);
  const uint32_t whole_cells = ppl_ext_level_means_whole_frame(ctx, whole);
  put_array(s, "level-whole-frame", whole, 3, As::kLevel);
  put_array(s, "level-sub-windows", means, 3 * kWindows, As::kLevel);
  put_array(s, "level-outside-sub-windows", means + 3 * kWindows, 3, As::kLevel);
  put_array(s, "level-sub-window-cells", cells, kWindows);
  gst_structure_set(s, "level-outside-cells", G_TYPE_UINT, cells[kWindows], "level-whole-frame-cells", G_TYPE_UINT,
                    whole_cells, nullptr);
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
  put_level_means(s, ctx);
  return gst_message_new_element(GST_OBJECT(element), s);
}

}  // namespace pplcam_gst
