#include "allocation.h"

#include <gst/video/video.h>

#include "aligned_buffer.h"

namespace pplcam_gst {

namespace {

GstBaseTransformClass* base_class(GstBaseTransform* trans) {
  return GST_BASE_TRANSFORM_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(trans)));
}

GstAllocationParams aligned_params() {
  GstAllocationParams params;
  gst_allocation_params_init(&params);
  params.align = kRequestedAlignment - 1;
  return params;
}

gboolean get_unit_size(GstBaseTransform*, GstCaps* caps, gsize* size) { return frame_bytes(caps, size); }

// A pool of frame-sized buffers allocated with `params` (a video pool for
// video/x-raw caps).
void add_aligned_pool(GstQuery* query, GstCaps* caps, const GstAllocationParams& params) {
  gsize size = 0;
  if (!caps || !frame_bytes(caps, &size)) return;
  const bool video = gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-raw");
  GstBufferPool* pool = video ? gst_video_buffer_pool_new() : gst_buffer_pool_new();
  GstStructure* config = gst_buffer_pool_get_config(pool);
  gst_buffer_pool_config_set_params(config, caps, size, 0, 0);
  gst_buffer_pool_config_set_allocator(config, nullptr, &params);
  if (gst_buffer_pool_set_config(pool, config)) gst_query_add_allocation_pool(query, pool, size, 0, 0);
  gst_object_unref(pool);
}

gboolean propose_allocation(GstBaseTransform* trans, GstQuery* decide_query, GstQuery* query) {
  if (!base_class(trans)->propose_allocation(trans, decide_query, query)) return FALSE;
  GstAllocationParams params = aligned_params();
  gst_query_add_allocation_param(query, nullptr, &params);

  GstCaps* caps = nullptr;
  gboolean need_pool = FALSE;
  gst_query_parse_allocation(query, &caps, &need_pool);
  if (need_pool) add_aligned_pool(query, caps, params);
  return TRUE;
}

gboolean decide_allocation(GstBaseTransform* trans, GstQuery* query) {
  GstAllocator* allocator = nullptr;
  GstAllocationParams params = aligned_params();
  if (gst_query_get_n_allocation_params(query) == 0) {
    gst_query_add_allocation_param(query, nullptr, &params);
  } else {
    gst_query_parse_nth_allocation_param(query, 0, &allocator, &params);
    params.align = MAX(params.align, kRequestedAlignment - 1);
    gst_query_set_nth_allocation_param(query, 0, allocator, &params);
    if (allocator) gst_object_unref(allocator);
  }
  // Without a pool from downstream (fakesink, filesink, appsink) every
  // frame would get fresh memory from the allocator; a pool recycles it.
  if (gst_query_get_n_allocation_pools(query) == 0) {
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    add_aligned_pool(query, caps, params);
  }
  return base_class(trans)->decide_allocation(trans, query);
}

}  // namespace

bool frame_bytes(const GstCaps* caps, gsize* size) {
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  if (gst_structure_has_name(s, "video/x-bayer")) {
    int w = 0, h = 0;
    if (!gst_structure_get_int(s, "width", &w) || !gst_structure_get_int(s, "height", &h) || w <= 0 || h <= 0)
      return false;
    *size = gsize(w) * gsize(h);
    return true;
  }
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, caps)) return false;
  *size = GST_VIDEO_INFO_SIZE(&info);
  return true;
}

void use_aligned_allocation(GstBaseTransformClass* klass) {
  klass->get_unit_size = get_unit_size;
  klass->propose_allocation = propose_allocation;
  klass->decide_allocation = decide_allocation;
}

}  // namespace pplcam_gst
