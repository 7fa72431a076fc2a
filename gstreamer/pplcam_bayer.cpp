#include "pplcam_bayer.h"

#include <gst/video/video.h>

#include <string>

#include "bayer_caps.h"
#include "bayer_controls.h"
#include "bayer_source.h"
#include "bayer_statistics.h"
#include "context_lease.h"
#include "element_class.h"
#include "output_frame.h"
#include "pplcam/pplcam.h"

GST_DEBUG_CATEGORY_STATIC(pplcam_bayer_debug);
#define GST_CAT_DEFAULT pplcam_bayer_debug

using namespace pplcam_gst;

namespace {

typedef uint8_t(PPLCALL* BayerConverter)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);

struct OutputFormat {
  GstVideoFormat format;
  bool rgb;
  BayerConverter convert[3];  // indexed by BayerOutputSize: full, half, double
};

const OutputFormat kFormats[] = {
    {GST_VIDEO_FORMAT_I420, false, {BaylorToI420MMX, BaylorToI420MMX_deci_2_1, BaylorToI420MMX_intp_1_2}},
    {GST_VIDEO_FORMAT_YUY2, false, {BaylorToYUYVMMX, BaylorToYUYVMMX_deci_2_1, BaylorToYUYVMMX_intp_1_2}},
    {GST_VIDEO_FORMAT_UYVY, false, {BaylorToUYVYMMX, BaylorToUYVYMMX_deci_2_1, BaylorToUYVYMMX_intp_1_2}},
    {GST_VIDEO_FORMAT_BGR, true, {BaylorToRGB24MMX, BaylorToRGB24MMX_deci_2_1, BaylorToRGB24MMX_intp_1_2}},
    {GST_VIDEO_FORMAT_BGRx, true, {BaylorToRGB32MMX, BaylorToRGB32MMX_deci_2_1, BaylorToRGB32MMX_intp_1_2}},
};

enum { PROP_0, PROP_OUTPUT_SIZE, PROP_STATS_INTERVAL, PROP_CONTROLS };

struct BayerState {
  // Written by the application's threads under the object lock.
  BayerControls wanted = default_controls();
  bool controls_changed = false;
  BayerOutputSize output_size = kSizeAuto;
  guint stats_interval = 1;

  // The streaming thread's.
  ppl_context* ctx = nullptr;
  BayerControls applied = default_controls();
  bool first_frame = true;
  int width = 0, height = 0;
  const OutputFormat* format = nullptr;
  BayerOutputSize size = kSizeFull;
  GstVideoInfo out_info{};
  BayerSource source;
  OutputFrame output;
  guint64 frames = 0;
};

GType output_size_get_type() {
  static GType type = 0;
  static const GEnumValue values[] = {
      {kSizeAuto, "The size downstream asks for: full, half or double, full when free", "auto"},
      {kSizeFull, "Full size", "full"},
      {kSizeHalf, "Half size (2:1 decimation)", "half"},
      {kSizeDouble, "Double size (1:2 interpolation)", "double"},
      {0, nullptr, nullptr}};
  if (g_once_init_enter(&type)) g_once_init_leave(&type, g_enum_register_static("GstPplcamBayerOutputSize", values));
  return type;
}

}  // namespace

struct _GstPplcamBayer {
  GstBaseTransform parent;
  BayerState* state;
};

G_DEFINE_TYPE(GstPplcamBayer, gst_pplcam_bayer, GST_TYPE_BASE_TRANSFORM)

namespace {

BayerState* state_of(gpointer self) { return GST_PPLCAM_BAYER(self)->state; }

void set_property(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  BayerState* st = state_of(object);
  std::string why;
  bool accepted = true;
  GST_OBJECT_LOCK(object);
  switch (id) {
    case PROP_OUTPUT_SIZE:
      st->output_size = BayerOutputSize(g_value_get_enum(value));
      break;
    case PROP_STATS_INTERVAL:
      st->stats_interval = g_value_get_uint(value);
      break;
    default:
      if (id < PROP_CONTROLS) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
        break;
      }
      accepted = set_control_property(&st->wanted, id - PROP_CONTROLS, value, &why);
      st->controls_changed |= accepted;
  }
  GST_OBJECT_UNLOCK(object);
  if (!accepted) g_warning("%s: %s; the property keeps its value", GST_OBJECT_NAME(object), why.c_str());
  if (id == PROP_OUTPUT_SIZE) gst_base_transform_reconfigure_src(GST_BASE_TRANSFORM(object));
}

void get_property(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  BayerState* st = state_of(object);
  GST_OBJECT_LOCK(object);
  switch (id) {
    case PROP_OUTPUT_SIZE:
      g_value_set_enum(value, st->output_size);
      break;
    case PROP_STATS_INTERVAL:
      g_value_set_uint(value, st->stats_interval);
      break;
    default:
      if (id < PROP_CONTROLS)
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
      else
        get_control_property(st->wanted, id - PROP_CONTROLS, value);
  }
  GST_OBJECT_UNLOCK(object);
}

gboolean start(GstBaseTransform* trans) {
  BayerState* st = state_of(trans);
  st->ctx = acquire_context(GST_ELEMENT(trans));
  if (!st->ctx) return FALSE;
  st->applied = default_controls();
  st->first_frame = true;
  st->frames = 0;
  return TRUE;
}

gboolean stop(GstBaseTransform* trans) {
  BayerState* st = state_of(trans);
  if (st->ctx) release_context(st->ctx);
  st->ctx = nullptr;
  return TRUE;
}

GstCaps* transform_caps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps, GstCaps* filter) {
  GST_OBJECT_LOCK(trans);
  const BayerOutputSize size = state_of(trans)->output_size;
  GST_OBJECT_UNLOCK(trans);
  GstCaps* result = bayer_transform_caps(direction, caps, size);
  if (filter) {
    GstCaps* filtered = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(result);
    result = filtered;
  }
  GST_DEBUG_OBJECT(trans, "%" GST_PTR_FORMAT " -> %" GST_PTR_FORMAT, caps, result);
  return result;
}

gboolean set_caps(GstBaseTransform* trans, GstCaps* incaps, GstCaps* outcaps) {
  BayerState* st = state_of(trans);
  const GstStructure* in = gst_caps_get_structure(incaps, 0);
  GstVideoInfo out;
  int width = 0, height = 0;
  if (!gst_structure_get_int(in, "width", &width) || !gst_structure_get_int(in, "height", &height) ||
      !gst_video_info_from_caps(&out, outcaps))
    return FALSE;
  const OutputFormat* format = nullptr;
  for (const OutputFormat& f : kFormats)
    if (f.format == GST_VIDEO_INFO_FORMAT(&out)) format = &f;
  BayerOutputSize size = kSizeFull;
  const std::string why =
      format ? check_bayer_sizes(width, height, GST_VIDEO_INFO_WIDTH(&out), GST_VIDEO_INFO_HEIGHT(&out),
                                 format->format == GST_VIDEO_FORMAT_I420, &size)
             : "unsupported output format";
  if (!why.empty()) {
    GST_ELEMENT_ERROR(trans, CORE, NEGOTIATION, ("%s.", why.c_str()),
                      ("input %" GST_PTR_FORMAT ", output %" GST_PTR_FORMAT, incaps, outcaps));
    return FALSE;
  }
  st->width = width;
  st->height = height;
  st->format = format;
  st->size = size;
  st->out_info = out;
  return TRUE;
}

// Applies the properties changed since the last frame, and the vertical
// order the output format needs.
void apply_pending_controls(GstPplcamBayer* self, BayerState* st, BayerControls* wanted, guint* interval) {
  GST_OBJECT_LOCK(self);
  const bool changed = st->controls_changed;
  st->controls_changed = false;
  *wanted = st->wanted;
  *interval = st->stats_interval;
  GST_OBJECT_UNLOCK(self);
  wanted->v[kRgbOutput] = st->format->rgb;
  if (!changed && !st->first_frame && wanted->v[kRgbOutput] == st->applied.v[kRgbOutput]) return;
  const std::string refused = apply_controls(st->ctx, wanted, &st->applied, st->first_frame);
  st->first_frame = false;
  if (refused.empty()) return;
  GST_OBJECT_LOCK(self);
  if (!st->controls_changed) st->wanted = *wanted;  // the properties read what is in effect
  GST_OBJECT_UNLOCK(self);
  GST_ELEMENT_WARNING(self, LIBRARY, SETTINGS,
                      ("pplcam refused %s (a minimum may not exceed its maximum); the previous values stay in effect.",
                       refused.c_str()),
                      (nullptr));
}

GstFlowReturn transform(GstBaseTransform* trans, GstBuffer* inbuf, GstBuffer* outbuf) {
  auto* self = GST_PPLCAM_BAYER(trans);
  BayerState* st = self->state;
  BayerControls wanted;
  guint interval = 0;
  apply_pending_controls(self, st, &wanted, &interval);

  const gsize frame_bytes = gsize(st->width) * gsize(st->height);
  uint8_t* src = st->source.begin(inbuf, frame_bytes);
  if (!src) {
    GST_ELEMENT_ERROR(trans, STREAM, FAILED,
                      ("Cannot read a %dx%d Bayer frame from a buffer of %" G_GSIZE_FORMAT " bytes.", st->width,
                       st->height, gst_buffer_get_size(inbuf)),
                      (nullptr));
    return GST_FLOW_ERROR;
  }
  if (st->source.copied()) GST_LOG_OBJECT(trans, "input shared or unaligned: converting a copy");
  uint8_t* dst = st->output.begin(outbuf, st->out_info, false);
  const uint8_t converted = dst ? st->format->convert[st->size](st->ctx, src, dst, st->width, st->height) : 0;
  st->output.finish();
  st->source.finish();
  if (!converted) {
    GST_ELEMENT_ERROR(trans, STREAM, FAILED, ("pplcam could not convert the frame."), (nullptr));
    return GST_FLOW_ERROR;
  }

  if (interval && wanted.v[kStatistics] && st->frames % interval == 0) {
    const GstClockTime pts = GST_BUFFER_PTS(inbuf);
    const GstClockTime running_time = trans->segment.format == GST_FORMAT_TIME
                                          ? gst_segment_to_running_time(&trans->segment, GST_FORMAT_TIME, pts)
                                          : GST_CLOCK_TIME_NONE;
    gst_element_post_message(GST_ELEMENT(trans), statistics_message(GST_ELEMENT(trans), st->ctx, pts, running_time));
  }
  ++st->frames;
  return GST_FLOW_OK;
}

void finalize(GObject* object) {
  delete state_of(object);
  G_OBJECT_CLASS(gst_pplcam_bayer_parent_class)->finalize(object);
}

}  // namespace

static void gst_pplcam_bayer_class_init(GstPplcamBayerClass* klass) {
  GST_DEBUG_CATEGORY_INIT(pplcam_bayer_debug, "pplcambayer", 0, "pplcam Bayer converter");
  auto* object_class = G_OBJECT_CLASS(klass);
  auto* trans_class = GST_BASE_TRANSFORM_CLASS(klass);
  object_class->set_property = set_property;
  object_class->get_property = get_property;
  object_class->finalize = finalize;

  const auto flags = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING);
  g_object_class_install_property(
      object_class, PROP_OUTPUT_SIZE,
      g_param_spec_enum("output-size", "Output size",
                        "Picture size against the Bayer frame (the library's plain, _deci_2_1 and _intp_1_2 "
                        "converters)",
                        output_size_get_type(), kSizeAuto, flags));
  g_object_class_install_property(
      object_class, PROP_STATS_INTERVAL,
      g_param_spec_uint("stats-interval", "Statistics interval",
                        "Post a \"pplcam-statistics\" element message every this many frames (0: never): the "
                        "library's means in 1/256 of a sample level, and level-* means over the cells each region "
                        "sampled, in levels 0..255",
                        0, G_MAXUINT, 1, flags));
  install_control_properties(object_class, PROP_CONTROLS);

  init_element_class(trans_class,
                     {"pplcam Bayer converter", "Filter/Converter/Video",
                      "Converts raw Bayer camera frames (bggr) to I420, YUY2, UYVY, BGR or BGRx at full, half or "
                      "double size: demosaic, white balance, colour matrix, gamma, contrast, saturation, hue, "
                      "sharpening and mirrors, with the AE/AWB statistics of every frame posted on the bus",
                      kBayerTakes},
                     bayer_sink_template_caps(), bayer_src_template_caps());
  trans_class->start = start;
  trans_class->stop = stop;
  trans_class->transform_caps = transform_caps;
  trans_class->set_caps = set_caps;
  trans_class->transform = transform;
}

static void gst_pplcam_bayer_init(GstPplcamBayer* self) { self->state = new BayerState; }
