#include "gst_support.h"

#include <gst/video/video.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// GStreamer on this build's plugin only, with a registry of its own; the
// registry is built in this process, which a sanitizer build of the
// plugin needs (a forked scanner is not instrumented).
class GstEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_setenv("GST_PLUGIN_PATH", PPLCAM_GST_PLUGIN_DIR, TRUE);
    g_setenv("GST_PLUGIN_SYSTEM_PATH_1_0", "", TRUE);
    g_setenv("GST_REGISTRY", PPLCAM_GST_REGISTRY, TRUE);
    g_setenv("GST_REGISTRY_FORK", "no", TRUE);
    gst_init(nullptr, nullptr);
    ASSERT_NE(gst_registry_find_plugin(gst_registry_get(), "pplcam"), nullptr) << "plugin not found";
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GstEnvironment);

}  // namespace

ElementHarness::ElementHarness(const char* factory, const char* properties, const char* in_caps, const char* out_caps)
    : h_(gst_harness_new(factory)), bus_(gst_bus_new()) {
  gst_element_set_bus(h_->element, bus_);
  gchar** settings = g_strsplit(properties, " ", -1);
  for (gchar** s = settings; *s; ++s) {
    gchar** kv = g_strsplit(*s, "=", 2);
    if (kv[0] && kv[1]) gst_util_set_object_arg(G_OBJECT(h_->element), kv[0], kv[1]);
    g_strfreev(kv);
  }
  g_strfreev(settings);
  gst_harness_set_sink_caps_str(h_, out_caps);
  gst_harness_set_src_caps_str(h_, in_caps);
}

ElementHarness::~ElementHarness() {
  gst_harness_teardown(h_);
  gst_object_unref(bus_);
}

GstFlowReturn ElementHarness::push(const Bytes& frame, size_t offset, GstBuffer** keep) {
  GstAllocationParams params;
  gst_allocation_params_init(&params);
  params.align = 63;
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, frame.size() + offset, &params);
  gst_buffer_fill(buffer, offset, frame.data(), frame.size());
  gst_buffer_resize(buffer, gssize(offset), gssize(frame.size()));
  if (keep) *keep = gst_buffer_ref(buffer);
  return gst_harness_push(h_, buffer);
}

Bytes ElementHarness::pull() {
  GstBuffer* buffer = gst_harness_try_pull(h_);
  Bytes bytes = buffer ? buffer_bytes(buffer) : Bytes();
  if (buffer) gst_buffer_unref(buffer);
  return bytes;
}

GstMessage* ElementHarness::pop(GstMessageType type) { return gst_bus_pop_filtered(bus_, type); }

std::string message_text(GstBus* bus, GstMessageType type) {
  GstMessage* message = gst_bus_pop_filtered(bus, type);
  if (!message) return "";
  GError* error = nullptr;
  (type == GST_MESSAGE_ERROR ? gst_message_parse_error : gst_message_parse_warning)(message, &error, nullptr);
  const std::string text = error->message;
  g_error_free(error);
  gst_message_unref(message);
  return text;
}

Bytes buffer_bytes(GstBuffer* buffer) {
  Bytes bytes(gst_buffer_get_size(buffer));
  gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
  return bytes;
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

size_t raw_frame_bytes(const char* format, int width, int height) {
  GstVideoInfo info;
  gst_video_info_set_format(&info, gst_video_format_from_string(format), width, height);
  return GST_VIDEO_INFO_SIZE(&info);
}

Bytes flip_rows(const Bytes& a, int rows) {
  const size_t row = a.size() / rows;
  Bytes out(a.size());
  for (int r = 0; r < rows; ++r) std::memcpy(&out[r * row], &a[(rows - 1 - r) * row], row);
  return out;
}
