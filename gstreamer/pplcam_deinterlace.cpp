#include "pplcam_deinterlace.h"

#include <gst/video/video.h>

#include "context_lease.h"
#include "element_class.h"
#include "interlaced_fields.h"
#include "output_frame.h"
#include "pplcam/pplcam.h"

GST_DEBUG_CATEGORY_STATIC(pplcam_deinterlace_debug);
#define GST_CAT_DEFAULT pplcam_deinterlace_debug

using namespace pplcam_gst;

namespace {

typedef uint8_t(PPLCALL* IntlConverter)(ppl_context*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, int32_t,
                                        int32_t, int32_t, int32_t);

struct Conversion {
  GstVideoFormat in, out;
  IntlConverter motion, weave;
};

// The library's interlaced converters (there is none from YUYV to UYVY).
// Its RGB24 is BGR with the bottom row first, which these converters
// write whatever the mirror flags say: that output is turned over on its
// way into the buffer.
const Conversion kConversions[] = {
    {GST_VIDEO_FORMAT_YUY2, GST_VIDEO_FORMAT_YUY2, IntlYUYVToYUYVMMX, IntlYUYVToYUYVMMX_no_motion},
    {GST_VIDEO_FORMAT_YUY2, GST_VIDEO_FORMAT_I420, IntlYUYVToI420MMX, IntlYUYVToI420MMX_no_motion},
    {GST_VIDEO_FORMAT_YUY2, GST_VIDEO_FORMAT_BGR, IntlYUYVToRGB24MMX, IntlYUYVToRGB24MMX_no_motion},
    {GST_VIDEO_FORMAT_UYVY, GST_VIDEO_FORMAT_UYVY, IntlUYVYToUYVYMMX, IntlUYVYToUYVYMMX_no_motion},
    {GST_VIDEO_FORMAT_UYVY, GST_VIDEO_FORMAT_YUY2, IntlUYVYToYUYVMMX, IntlUYVYToYUYVMMX_no_motion},
    {GST_VIDEO_FORMAT_UYVY, GST_VIDEO_FORMAT_I420, IntlUYVYToI420MMX, IntlUYVYToI420MMX_no_motion},
    {GST_VIDEO_FORMAT_UYVY, GST_VIDEO_FORMAT_BGR, IntlUYVYToRGB24MMX, IntlUYVYToRGB24MMX_no_motion},
};

const char kTakes[] =
    "YUY2 or UYVY with the two fields interleaved line by line (interlace-mode=interleaved), 128 to 4096 pixels "
    "wide in steps of 16 and 12 to 4096 rows high in steps of 2, and gives progressive frames of the same size "
    "in YUY2, UYVY (from UYVY), I420 or BGR";

constexpr int kDefaultThreshold = 50;

enum { PROP_0, PROP_MOTION_THRESHOLD, PROP_WEAVE_ONLY };

struct DeinterlaceState {
  // Written by the application's threads under the object lock.
  int threshold = kDefaultThreshold;
  bool weave_only = false;

  // The streaming thread's.
  ppl_context* ctx = nullptr;
  int applied_threshold = kDefaultThreshold;
  const Conversion* conversion = nullptr;
  GstVideoInfo in_info{}, out_info{};
  InterlacedFields fields;
  OutputFrame output;
};

// Every size the library deinterlaces at full size with large frames on
// (the element's context has them, context_lease.h).
GstCaps* size_caps(const char* formats, const char* interlace) {
  gchar* s = g_strdup_printf(
      "video/x-raw, format=(string){ %s }, width=(int)[128, 4096, 16], height=(int)[12, 4096, 2], "
      "interlace-mode=(string)%s, framerate=(fraction)[0/1, 2147483647/1]",
      formats, interlace);
  GstCaps* caps = gst_caps_from_string(s);
  g_free(s);
  return caps;
}

GstCaps* sink_template_caps() { return size_caps("YUY2, UYVY", "interleaved"); }
GstCaps* src_template_caps() { return size_caps("YUY2, UYVY, I420, BGR", "progressive"); }

// The formats of `s` on the other side of the element.
bool other_formats(const GstStructure* s, bool to_progressive, GValue* list) {
  g_value_init(list, GST_TYPE_LIST);
  for (const Conversion& c : kConversions) {
    const GstVideoFormat from = to_progressive ? c.in : c.out;
    const GstVideoFormat to = to_progressive ? c.out : c.in;
    GValue from_value = G_VALUE_INIT;
    g_value_init(&from_value, G_TYPE_STRING);
    g_value_set_static_string(&from_value, gst_video_format_to_string(from));
    const GValue* formats = gst_structure_get_value(s, "format");
    const bool match = !formats || gst_value_can_intersect(formats, &from_value);
    g_value_unset(&from_value);
    if (!match) continue;
    GValue to_value = G_VALUE_INIT;
    g_value_init(&to_value, G_TYPE_STRING);
    g_value_set_static_string(&to_value, gst_video_format_to_string(to));
    bool seen = false;
    for (guint i = 0; i < gst_value_list_get_size(list); ++i)
      seen |= gst_value_compare(gst_value_list_get_value(list, i), &to_value) == GST_VALUE_EQUAL;
    if (seen)
      g_value_unset(&to_value);
    else
      gst_value_list_append_and_take_value(list, &to_value);
  }
  return gst_value_list_get_size(list) > 0;
}

}  // namespace

struct _GstPplcamDeinterlace {
  GstBaseTransform parent;
  DeinterlaceState* state;
};

G_DEFINE_TYPE(GstPplcamDeinterlace, gst_pplcam_deinterlace, GST_TYPE_BASE_TRANSFORM)

namespace {

DeinterlaceState* state_of(gpointer self) { return GST_PPLCAM_DEINTERLACE(self)->state; }

void set_property(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  DeinterlaceState* st = state_of(object);
  GST_OBJECT_LOCK(object);
  switch (id) {
    case PROP_MOTION_THRESHOLD:
      st->threshold = g_value_get_int(value);
      break;
    case PROP_WEAVE_ONLY:
      st->weave_only = g_value_get_boolean(value);
      break;
    default:
      G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
  }
  GST_OBJECT_UNLOCK(object);
}

void get_property(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  DeinterlaceState* st = state_of(object);
  GST_OBJECT_LOCK(object);
  switch (id) {
    case PROP_MOTION_THRESHOLD:
      g_value_set_int(value, st->threshold);
      break;
    case PROP_WEAVE_ONLY:
      g_value_set_boolean(value, st->weave_only);
      break;
    default:
      G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
  }
  GST_OBJECT_UNLOCK(object);
}

gboolean start(GstBaseTransform* trans) {
  DeinterlaceState* st = state_of(trans);
  st->ctx = acquire_context(GST_ELEMENT(trans));
  if (!st->ctx) return FALSE;
  st->applied_threshold = kDefaultThreshold;
  st->fields.reset();
  return TRUE;
}

gboolean stop(GstBaseTransform* trans) {
  DeinterlaceState* st = state_of(trans);
  if (st->ctx) release_context(st->ctx);
  st->ctx = nullptr;
  return TRUE;
}

GstCaps* transform_caps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps, GstCaps* filter) {
  const bool to_progressive = direction == GST_PAD_SINK;
  GstCaps* result = gst_caps_new_empty();
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
    const GstStructure* s = gst_caps_get_structure(caps, i);
    GValue formats = G_VALUE_INIT;
    if (!other_formats(s, to_progressive, &formats)) {
      g_value_unset(&formats);
      continue;
    }
    GstStructure* out = gst_structure_copy(s);
    gst_structure_take_value(out, "format", &formats);
    gst_structure_set(out, "interlace-mode", G_TYPE_STRING, to_progressive ? "progressive" : "interleaved", nullptr);
    gst_structure_remove_fields(out, "field-order", "colorimetry", "chroma-site", nullptr);
    result = gst_caps_merge_structure(result, out);
  }
  GstCaps* templ = to_progressive ? src_template_caps() : sink_template_caps();
  GstCaps* allowed = gst_caps_intersect_full(result, templ, GST_CAPS_INTERSECT_FIRST);
  gst_caps_unref(templ);
  gst_caps_unref(result);
  if (filter) {
    GstCaps* filtered = gst_caps_intersect_full(filter, allowed, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(allowed);
    allowed = filtered;
  }
  GST_DEBUG_OBJECT(trans, "%" GST_PTR_FORMAT " -> %" GST_PTR_FORMAT, caps, allowed);
  return allowed;
}

gboolean set_caps(GstBaseTransform* trans, GstCaps* incaps, GstCaps* outcaps) {
  DeinterlaceState* st = state_of(trans);
  GstVideoInfo in, out;
  if (!gst_video_info_from_caps(&in, incaps) || !gst_video_info_from_caps(&out, outcaps)) return FALSE;
  const Conversion* conversion = nullptr;
  for (const Conversion& c : kConversions)
    if (c.in == GST_VIDEO_INFO_FORMAT(&in) && c.out == GST_VIDEO_INFO_FORMAT(&out)) conversion = &c;
  const int w = GST_VIDEO_INFO_WIDTH(&in), h = GST_VIDEO_INFO_HEIGHT(&in);
  if (!conversion || GST_VIDEO_INFO_WIDTH(&out) != w || GST_VIDEO_INFO_HEIGHT(&out) != h ||
      !ppl_new_frame_sizes(st->ctx, w, h, w, h) || ppl_decimation(st->ctx) != 0) {
    GST_ELEMENT_ERROR(trans, CORE, NEGOTIATION, ("pplcamdeinterlace takes %s.", what_element_takes(trans)),
                      ("input %" GST_PTR_FORMAT ", output %" GST_PTR_FORMAT, incaps, outcaps));
    return FALSE;
  }
  st->conversion = conversion;
  st->in_info = in;
  st->out_info = out;
  st->fields.reset();
  return TRUE;
}

gboolean sink_event(GstBaseTransform* trans, GstEvent* event) {
  if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) state_of(trans)->fields.reset();
  return GST_BASE_TRANSFORM_CLASS(gst_pplcam_deinterlace_parent_class)->sink_event(trans, event);
}

GstFlowReturn transform(GstBaseTransform* trans, GstBuffer* inbuf, GstBuffer* outbuf) {
  DeinterlaceState* st = state_of(trans);
  GST_OBJECT_LOCK(trans);
  const int threshold = st->threshold;
  const bool weave_only = st->weave_only;
  GST_OBJECT_UNLOCK(trans);
  if (threshold != st->applied_threshold) {
    ppl_set_intl_3T_threshold(st->ctx, threshold);
    st->applied_threshold = threshold;
  }

  const int w = GST_VIDEO_INFO_WIDTH(&st->in_info), h = GST_VIDEO_INFO_HEIGHT(&st->in_info);
  const gsize line_bytes = gsize(w) * 2;
  if (GST_BUFFER_IS_DISCONT(inbuf)) st->fields.reset();
  GstMapInfo in;
  if (!gst_buffer_map(inbuf, &in, GST_MAP_READ)) return GST_FLOW_ERROR;
  const bool whole = in.size >= line_bytes * gsize(h);
  const bool split = whole && st->fields.split(in.data, line_bytes, h);
  gst_buffer_unmap(inbuf, &in);
  if (!split) {
    GST_ELEMENT_ERROR(trans, STREAM, FAILED,
                      ("Cannot read a %dx%d interlaced frame from a buffer of %" G_GSIZE_FORMAT " bytes.", w, h,
                       gst_buffer_get_size(inbuf)),
                      (nullptr));
    return GST_FLOW_ERROR;
  }

  const bool flip = st->conversion->out == GST_VIDEO_FORMAT_BGR;
  uint8_t* dst = st->output.begin(outbuf, st->out_info, flip);
  const IntlConverter convert = weave_only ? st->conversion->weave : st->conversion->motion;
  const uint8_t converted =
      dst ? convert(st->ctx, st->fields.reference(), st->fields.first(), st->fields.second(), dst, w, h, w, h) : 0;
  st->output.finish();
  st->fields.keep_reference();
  if (!converted) {
    GST_ELEMENT_ERROR(trans, STREAM, FAILED, ("pplcam could not deinterlace the frame."), (nullptr));
    return GST_FLOW_ERROR;
  }
  return GST_FLOW_OK;
}

void finalize(GObject* object) {
  delete state_of(object);
  G_OBJECT_CLASS(gst_pplcam_deinterlace_parent_class)->finalize(object);
}

}  // namespace

static void gst_pplcam_deinterlace_class_init(GstPplcamDeinterlaceClass* klass) {
  GST_DEBUG_CATEGORY_INIT(pplcam_deinterlace_debug, "pplcamdeinterlace", 0, "pplcam deinterlacer");
  auto* object_class = G_OBJECT_CLASS(klass);
  auto* trans_class = GST_BASE_TRANSFORM_CLASS(klass);
  object_class->set_property = set_property;
  object_class->get_property = get_property;
  object_class->finalize = finalize;

  const auto flags = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING);
  g_object_class_install_property(
      object_class, PROP_MOTION_THRESHOLD,
      g_param_spec_int("motion-threshold", "Motion threshold",
                       "Chroma of the second field (odd lines) is interpolated from the first where its change "
                       "against the previous frame varies by more than this between neighbouring words; lower "
                       "finds more motion",
                       0, 765, kDefaultThreshold, flags));
  g_object_class_install_property(
      object_class, PROP_WEAVE_ONLY,
      g_param_spec_boolean("weave-only", "Weave only",
                           "Weave the two fields without the motion test (for still scenes)", FALSE, flags));

  init_element_class(trans_class,
                     {"pplcam deinterlacer", "Filter/Effect/Video/Deinterlace",
                      "Deinterlaces YUY2 or UYVY frames whose fields are interleaved line by line, as capture "
                      "devices send them, into progressive YUY2, UYVY, I420 or BGR frames of the same size: the two "
                      "fields woven, with the chroma of moving areas taken from the first field",
                      kTakes},
                     sink_template_caps(), src_template_caps());
  trans_class->start = start;
  trans_class->stop = stop;
  trans_class->transform_caps = transform_caps;
  trans_class->set_caps = set_caps;
  trans_class->sink_event = sink_event;
  trans_class->transform = transform;
}

static void gst_pplcam_deinterlace_init(GstPplcamDeinterlace* self) { self->state = new DeinterlaceState; }
