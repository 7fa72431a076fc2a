// pplcambayer against the library's Bayer converters called directly on
// the same frame with the same controls.
#include <string>
#include <vector>

#include "gst_support.h"
#include "pplcam/pplcam_ext.h"

namespace {

typedef uint8_t(PPLCALL* BayerFn)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);
typedef void (*Controls)(ppl_context*);

constexpr int kWidth = 640, kHeight = 480;
const char* const kBayer = "video/x-bayer,format=bggr";

const Bytes& coffee() {
  static const Bytes frame = read_file(PPLCAM_DATA_DIR "/coffee_640x480.bggr");
  return frame;
}

// Caps of `type` (media type and format) at width x height, 30 frames a second.
std::string caps(const std::string& type, int width = kWidth, int height = kHeight) {
  return type + ",width=" + std::to_string(width) + ",height=" + std::to_string(height) + ",framerate=30/1";
}
std::string raw(const char* format) { return std::string("video/x-raw,format=") + format; }

// The library's picture of src.
Bytes library_output(BayerFn convert, Controls controls, Bytes src, size_t out_bytes, bool v_mirror = false,
                     int width = kWidth, int height = kHeight) {
  LibraryContext ctx;
  controls(ctx);
  if (v_mirror) ppl_set_v_mirror(ctx, 1);
  Bytes dst(out_bytes);
  EXPECT_EQ(convert(ctx, src.data(), dst.data(), width, height), 1);
  return dst;
}

void realistic(ppl_context* c) {
  const int32_t m[9] = {400, -100, -44, -60, 380, -64, -20, -120, 396};
  ppl_set_quality(c, 2);
  ppl_set_rgb_gain(c, 333, 256, 410);
  ppl_copy_sensor_matrix(c, m);
  ppl_set_gamma(c, 4);
  ppl_set_contrast_c(c, 10, nullptr, nullptr);
  ppl_set_sat(c, 300);
}
const char* const kRealistic =
    "quality=2 r-gain=333 b-gain=410 colour-matrix=<400,-100,-44,-60,380,-64,-20,-120,396> gamma=4 contrast=10 "
    "saturation=300";

void sharp(ppl_context* c) {
  ppl_set_quality(c, 0);
  ppl_set_h_mirror(c, 1);
  ppl_set_edge_threshold(c, 50);
  ppl_set_nf88_edge_enhance_factor(c, 64);
  ppl_set_rgb_delta(c, -8, 0, 0);
  ppl_set_sat_hue(c, 400, 30);
  ppl_set_gamma(c, -8);
  ppl_set_contrast_c(c, -20, nullptr, nullptr);
}
const char* const kSharp = "quality=0 h-mirror=true edge-threshold=50 edge-enhance=64 r-offset=-8 hue=30 "
                           "saturation=400 gamma=-8 contrast=-20";

struct Row {
  const char* properties;
  const char* format;
  int num, den;  // output size over input size
  BayerFn convert;
  bool v_mirror;  // the library's: RGB rows want it on for GStreamer's top row first, unless mirrored
  Controls controls;
  int width = kWidth, height = kHeight;
};

const Row kRows[] = {
    {"", "I420", 1, 1, BaylorToI420MMX, false, [](ppl_context*) {}},
    {kRealistic, "I420", 1, 2, BaylorToI420MMX_deci_2_1, false, realistic},
    {kSharp, "YUY2", 1, 1, BaylorToYUYVMMX, false, sharp},
    {"quality=1 v-mirror=true", "UYVY", 2, 1, BaylorToUYVYMMX_intp_1_2, false,
     [](ppl_context* c) {
       ppl_set_quality(c, 1);
       ppl_set_v_mirror(c, 1);
     }},
    {"quality=2 v-mirror=true", "BGR", 1, 1, BaylorToRGB24MMX, false, [](ppl_context* c) { ppl_set_quality(c, 2); }},
    {"quality=3 output-size=double", "BGR", 2, 1, BaylorToRGB24MMX_intp_1_2, true, [](ppl_context*) {}},
    {kSharp, "BGRx", 1, 2, BaylorToRGB32MMX_deci_2_1, true, sharp},
    // A 1920 x 1080 camera, beyond the original limits.
    {kRealistic, "I420", 1, 2, BaylorToI420MMX_deci_2_1, false, realistic, 1920, 1080},
    {"quality=3 output-size=double", "BGRx", 2, 1, BaylorToRGB32MMX_intp_1_2, true, [](ppl_context*) {}, 1920, 1080},
};

// The coffee frame, tiled to width x height.
Bytes tiled(int width, int height) {
  Bytes frame(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) frame[size_t(y) * width + x] = coffee()[size_t(y % kHeight) * kWidth + x % kWidth];
  return frame;
}

TEST(PplcamBayer, OutputIsTheLibrarysPicture) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.format) + " " + std::to_string(row.num) + "/" + std::to_string(row.den) + " " +
                 row.properties + " " + std::to_string(row.width));
    const int w = row.width * row.num / row.den, h = row.height * row.num / row.den;
    const Bytes frame = tiled(row.width, row.height);
    ElementHarness e("pplcambayer", row.properties, caps(kBayer, row.width, row.height).c_str(),
                     caps(raw(row.format), w, h).c_str());
    ASSERT_EQ(e.push(frame), GST_FLOW_OK);
    EXPECT_TRUE(same_bytes(e.pull(), library_output(row.convert, row.controls, frame, raw_frame_bytes(row.format, w, h),
                                                    row.v_mirror, row.width, row.height)));
  }
}

// The converter conditions its source in place: a buffer someone else
// holds must come back unchanged, and a copy (also for an unaligned
// buffer) must give the same picture.
TEST(PplcamBayer, ConvertsSharedAndUnalignedBuffersThroughACopy) {
  const Bytes expected = library_output(BaylorToI420MMX, realistic, coffee(), raw_frame_bytes("I420", 640, 480));
  for (const size_t offset : {0, 1, 8}) {
    SCOPED_TRACE(offset);
    ElementHarness e("pplcambayer", kRealistic, caps(kBayer).c_str(), caps(raw("I420")).c_str());
    GstBuffer* held = nullptr;
    ASSERT_EQ(e.push(coffee(), offset, &held), GST_FLOW_OK);
    EXPECT_TRUE(same_bytes(e.pull(), expected));
    EXPECT_TRUE(same_bytes(buffer_bytes(held), coffee()));
    gst_buffer_unref(held);
  }
}

// A field of the message and what the library answers for the same frame.
struct Figure {
  const char* field;
  std::vector<double> want;
};

std::vector<double> figures_of(const uint32_t* values, size_t n, double unit = 1) {
  std::vector<double> v(values, values + n);
  for (double& x : v) x /= unit;
  return v;
}

TEST(PplcamBayer, PostsTheLibrarysStatisticsEveryNthFrame) {
  ElementHarness e("pplcambayer", "stats-interval=2 quality=2", caps(kBayer).c_str(), caps(raw("I420")).c_str());
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(e.push(coffee()), GST_FLOW_OK);
    e.pull();
  }
  LibraryContext ctx;
  ppl_set_quality(ctx, 2);
  Bytes src = coffee(), dst(raw_frame_bytes("I420", 640, 480));
  ASSERT_EQ(BaylorToI420MMX(ctx, src.data(), dst.data(), kWidth, kHeight), 1);
  uint32_t levels[49 * 3], cells[49], whole_levels[3];
  ppl_ext_level_means_sub_windows(ctx, levels, cells);
  const uint32_t whole_cells = ppl_ext_level_means_whole_frame(ctx, whole_levels);
  const Figure figures[] = {
      {"whole-frame", figures_of(ppl_rgb_means_whole_frame(ctx), 3)},
      {"sub-windows", figures_of(ppl_rgb_means_sub_windows(ctx), 144)},
      {"outside-sub-windows", figures_of(ppl_rgb_means_outside_all_sub_windows(ctx), 3)},
      {"qual-means", figures_of(ppl_qual_rgb_means_whole_frame(ctx), 3)},
      {"qae-means", figures_of(ppl_qAE_rgb_means_whole_frame(ctx), 3)},
      {"whole-frame-central16", figures_of(ppl_rgb_means_whole_frame_central16(ctx), 3)},
      {"r-histogram", figures_of(ppl_r_histogram(ctx), 256)},
      {"b-histogram", figures_of(ppl_b_histogram(ctx), 256)},
      {"level-whole-frame", figures_of(whole_levels, 3, 256)},
      {"level-sub-windows", figures_of(levels, 144, 256)},
      {"level-outside-sub-windows", figures_of(levels + 144, 3, 256)},
      {"level-sub-window-cells", figures_of(cells, 48)},
      // Counts: single numbers, not arrays.
      {"qual-cells", {double(ppl_n_qual_2x2_whole_frame(ctx))}},
      {"level-outside-cells", {double(cells[48])}},
      {"level-whole-frame-cells", {double(whole_cells)}},
  };
  int messages = 0;
  while (GstMessage* m = e.pop(GST_MESSAGE_ELEMENT)) {
    const GstStructure* s = gst_message_get_structure(m);
    ASSERT_TRUE(gst_structure_has_name(s, "pplcam-statistics"));
    ++messages;
    for (const Figure& f : figures) {
      SCOPED_TRACE(f.field);
      const GValue* value = gst_structure_get_value(s, f.field);
      const bool array = value && GST_VALUE_HOLDS_ARRAY(value);
      ASSERT_TRUE(value && (array ? gst_value_array_get_size(value) : 1) == f.want.size());
      for (guint i = 0; i < f.want.size(); ++i) {
        const GValue* v = array ? gst_value_array_get_value(value, i) : value;
        ASSERT_EQ(G_VALUE_HOLDS_DOUBLE(v) ? g_value_get_double(v) : g_value_get_uint(v), f.want[i]) << i;
      }
    }
    gst_message_unref(m);
  }
  EXPECT_EQ(messages, 2);
}

// Every value a property's range allows is one the library takes; a pair
// the library refuses (minimum above maximum) is reported and rolled back.
TEST(PplcamBayer, PropertyRangesAreTheLibrarys) {
  ElementHarness e("pplcambayer", "", caps(kBayer, 128, 12).c_str(), caps(raw("I420"), 128, 12).c_str());
  const Bytes frame = random_bytes(128 * 12, 1);
  GObjectClass* klass = G_OBJECT_GET_CLASS(e.element());
  guint n = 0;
  GParamSpec** props = g_object_class_list_properties(klass, &n);
  for (guint i = 0; i < n; ++i) {
    if (!G_IS_PARAM_SPEC_INT(props[i])) continue;
    // A qualification pair is set to one value at both ends.
    std::string name = props[i]->name, partner = name;
    const size_t end = name.size() - std::min<size_t>(name.size(), 4);
    if (name.substr(end) == "-min") partner = name.substr(0, end) + "-max";
    if (name.substr(end) == "-max") partner = name.substr(0, end) + "-min";
    const GParamSpecInt* p = G_PARAM_SPEC_INT(props[i]);
    const GParamSpecInt* q = G_PARAM_SPEC_INT(g_object_class_find_property(klass, partner.c_str()));
    for (const int v : {p->minimum, p->maximum}) {
      SCOPED_TRACE(name + "=" + std::to_string(v));
      g_object_set(e.element(), name.c_str(), v, partner.c_str(), v, nullptr);
      ASSERT_EQ(e.push(frame), GST_FLOW_OK);
      e.pull();
      EXPECT_EQ(e.message(GST_MESSAGE_WARNING), "");
    }
    g_object_set(e.element(), name.c_str(), p->default_value, partner.c_str(), q->default_value, nullptr);
  }
  g_free(props);

  g_object_set(e.element(), "qual-r-min", 200, "qual-r-max", 100, nullptr);
  ASSERT_EQ(e.push(frame), GST_FLOW_OK);
  EXPECT_NE(e.message(GST_MESSAGE_WARNING), "");
  int min = -1, max = -1;
  g_object_get(e.element(), "qual-r-min", &min, "qual-r-max", &max, nullptr);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 255);
}

}  // namespace
