#include "bayer_caps.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cstdint>

namespace pplcam_gst {

namespace {

// Library limits of a Bayer frame with large frames on (the elements'
// contexts have them, context_lease.h) and the walk's column groups; the
// statistics need at least 128 x 12. Beyond 1280 x 1024 the output stays
// within 4096 x 4096 too.
constexpr int kMinWidth = 128, kMaxWidth = 4096, kWidthStep = 16;
constexpr int kMinHeight = 12, kMaxHeight = 4096, kHeightStep = 2;

// Output size over input size, per BayerOutputSize.
constexpr int kNum[] = {1, 1, 2};
constexpr int kDen[] = {1, 2, 1};

// `in` (an int, an int range or a list of them) times num / den; false
// when nothing is left.
bool scale_value(const GValue* in, int num, int den, GValue* out) {
  if (G_VALUE_HOLDS_INT(in)) {
    const int64_t v = int64_t(g_value_get_int(in)) * num;
    if (v % den != 0 || v / den > G_MAXINT) return false;
    g_value_init(out, G_TYPE_INT);
    g_value_set_int(out, int(v / den));
    return true;
  }
  if (GST_VALUE_HOLDS_INT_RANGE(in)) {
    const int64_t lo = (int64_t(gst_value_get_int_range_min(in)) * num + den - 1) / den;
    const int64_t hi = std::min<int64_t>(int64_t(gst_value_get_int_range_max(in)) * num / den, G_MAXINT);
    if (lo > hi) return false;
    if (lo == hi) {
      g_value_init(out, G_TYPE_INT);
      g_value_set_int(out, int(lo));
    } else {
      g_value_init(out, GST_TYPE_INT_RANGE);
      gst_value_set_int_range(out, int(lo), int(hi));
    }
    return true;
  }
  if (GST_VALUE_HOLDS_LIST(in)) {
    g_value_init(out, GST_TYPE_LIST);
    for (guint i = 0; i < gst_value_list_get_size(in); ++i) {
      GValue v = G_VALUE_INIT;
      if (scale_value(gst_value_list_get_value(in, i), num, den, &v)) gst_value_list_append_and_take_value(out, &v);
    }
    if (gst_value_list_get_size(out) > 0) return true;
    g_value_unset(out);
  }
  return false;
}

// A structure named `name` with the size and the rate fields of `from`.
GstStructure* sized(const char* name, const GstStructure* from, GValue* width, GValue* height) {
  GstStructure* s = gst_structure_new_empty(name);
  gst_structure_take_value(s, "width", width);
  gst_structure_take_value(s, "height", height);
  for (const char* field : {"framerate", "pixel-aspect-ratio"})
    if (const GValue* v = gst_structure_get_value(from, field)) gst_structure_set_value(s, field, v);
  return s;
}

void set_formats(GstStructure* s, std::initializer_list<const char*> formats) {
  GValue list = G_VALUE_INIT;
  g_value_init(&list, GST_TYPE_LIST);
  for (const char* f : formats) {
    GValue v = G_VALUE_INIT;
    g_value_init(&v, G_TYPE_STRING);
    g_value_set_string(&v, f);
    gst_value_list_append_and_take_value(&list, &v);
  }
  gst_structure_take_value(s, "format", &list);
}

}  // namespace

const char kBayerTakes[] =
    "video/x-bayer, format=bggr, 128 to 4096 pixels wide in steps of 16 and 12 to 4096 rows high in steps of 2, "
    "and gives I420, YUY2, UYVY, BGR or BGRx at the same, half or double size (within 4096x4096 for frames "
    "beyond 1280x1024)";

GstCaps* bayer_sink_template_caps() {
  return gst_caps_from_string(
      "video/x-bayer, format=(string)bggr, width=(int)[128, 4096], height=(int)[12, 4096], "
      "framerate=(fraction)[0/1, 2147483647/1]");
}

GstCaps* bayer_src_template_caps() {
  return gst_caps_from_string(
      "video/x-raw, format=(string){ I420, YUY2, UYVY }, width=(int)[64, 4096], height=(int)[6, 4096], "
      "framerate=(fraction)[0/1, 2147483647/1], colorimetry=(string)bt601; "
      "video/x-raw, format=(string){ BGR, BGRx }, width=(int)[64, 4096], height=(int)[6, 4096], "
      "framerate=(fraction)[0/1, 2147483647/1]");
}

GstCaps* bayer_transform_caps(GstPadDirection direction, const GstCaps* caps, BayerOutputSize size) {
  const bool to_raw = direction == GST_PAD_SINK;
  GstCaps* result = gst_caps_new_empty();
  for (int scale = kSizeFull; scale <= kSizeDouble; ++scale) {
    if (size != kSizeAuto && size != scale) continue;
    const int num = to_raw ? kNum[scale] : kDen[scale];
    const int den = to_raw ? kDen[scale] : kNum[scale];
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
      const GstStructure* s = gst_caps_get_structure(caps, i);
      const GValue* w = gst_structure_get_value(s, "width");
      const GValue* h = gst_structure_get_value(s, "height");
      GValue ow = G_VALUE_INIT, oh = G_VALUE_INIT;
      if (!w || !h || !scale_value(w, num, den, &ow)) continue;
      if (!scale_value(h, num, den, &oh)) {
        g_value_unset(&ow);
        continue;
      }
      if (!to_raw) {
        GstStructure* bayer = sized("video/x-bayer", s, &ow, &oh);
        gst_structure_set(bayer, "format", G_TYPE_STRING, "bggr", nullptr);
        result = gst_caps_merge_structure(result, bayer);
        continue;
      }
      GstStructure* yuv = sized("video/x-raw", s, &ow, &oh);
      GstStructure* rgb = gst_structure_copy(yuv);
      set_formats(yuv, {"I420", "YUY2", "UYVY"});
      // The library's YUV is BT.601 studio range at every size.
      gst_structure_set(yuv, "colorimetry", G_TYPE_STRING, "bt601", nullptr);
      set_formats(rgb, {"BGR", "BGRx"});
      result = gst_caps_merge_structure(result, yuv);
      result = gst_caps_merge_structure(result, rgb);
    }
  }
  GstCaps* templ = to_raw ? bayer_src_template_caps() : bayer_sink_template_caps();
  GstCaps* allowed = gst_caps_intersect_full(result, templ, GST_CAPS_INTERSECT_FIRST);
  gst_caps_unref(templ);
  gst_caps_unref(result);
  return allowed;
}

std::string check_bayer_sizes(int width, int height, int out_width, int out_height, bool i420, BayerOutputSize* size) {
  const std::string in = std::to_string(width) + "x" + std::to_string(height);
  if (width < kMinWidth || width > kMaxWidth || width % kWidthStep != 0 || height < kMinHeight || height > kMaxHeight ||
      height % kHeightStep != 0)
    return "pplcambayer cannot take a " + in + " frame: it takes " + kBayerTakes;
  for (int scale = kSizeFull; scale <= kSizeDouble; ++scale) {
    if (int64_t(width) * kNum[scale] != int64_t(out_width) * kDen[scale] ||
        int64_t(height) * kNum[scale] != int64_t(out_height) * kDen[scale])
      continue;
    if ((width > 1280 || height > 1024) && (out_width > kMaxWidth || out_height > kMaxHeight))
      return "pplcambayer gives at most 4096x4096 from a frame beyond 1280x1024, not " + std::to_string(out_width) +
             "x" + std::to_string(out_height);
    // Half-size I420 has a chroma row for every two picture rows.
    if (scale == kSizeHalf && i420 && height % 4 != 0)
      return "half-size I420 needs a frame height that is a multiple of 4, not " + in;
    *size = BayerOutputSize(scale);
    return "";
  }
  return "output " + std::to_string(out_width) + "x" + std::to_string(out_height) +
         " is not the full, half or double size of the " + in + " frame";
}

}  // namespace pplcam_gst
