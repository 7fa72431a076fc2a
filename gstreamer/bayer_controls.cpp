#include "bayer_controls.h"

#include <gst/gst.h>

#include <cstring>

namespace pplcam_gst {

namespace {

enum class Kind { kInt, kBool, kMatrix };

struct PropertyRow {
  Kind kind;
  int slot;
  const char* name;
  const char* nick;
  const char* blurb;
  int min, max, def;
};

// Ranges and defaults are the library's: a value GObject lets through is
// one the library's setter takes (the qualification pairs need min <= max
// as well, checked when they are applied).
const PropertyRow kProperties[] = {
    {Kind::kInt, kQuality, "quality", "Demosaic quality",
     "0 edge-directed demosaic with luma sharpening, 1 edge-directed demosaic, 2 bilinear, "
     "3 2x2 cell replication (the library's raw passthrough, 4 and 5, gives no picture and is not offered)",
     0, 3, 3},
    {Kind::kInt, kRGain, "r-gain", "Red gain",
     "White-balance gain of the red photosites in 1/256 (256 = x1, 2047 = x8)", 0, 2047, 256},
    {Kind::kInt, kGGain, "g-gain", "Green gain", "White-balance gain of the green photosites in 1/256 (256 = x1)", 0,
     2047, 256},
    {Kind::kInt, kBGain, "b-gain", "Blue gain", "White-balance gain of the blue photosites in 1/256 (256 = x1)", 0,
     2047, 256},
    {Kind::kInt, kROffset, "r-offset", "Red offset", "Added to the red photosites after the gain, in sample levels",
     -32768, 32767, 0},
    {Kind::kInt, kGOffset, "g-offset", "Green offset", "Added to the green photosites after the gain, in sample levels",
     -32768, 32767, 0},
    {Kind::kInt, kBOffset, "b-offset", "Blue offset", "Added to the blue photosites after the gain, in sample levels",
     -32768, 32767, 0},
    {Kind::kMatrix, kMatrix, "colour-matrix", "Sensor colour matrix",
     "Nine values in 1/256, row by row, applied to the camera's r, g, b before saturation, hue and contrast; "
     "products beyond -4.0..3.98 are clamped (default: identity <256, 0, 0, 0, 256, 0, 0, 0, 256>)",
     G_MININT32, G_MAXINT32, 0},
    {Kind::kInt, kGamma, "gamma", "Gamma setting",
     "0 is the ITU-R BT.709 curve (exponent 0.45); setting s has exponent 0.45 e^(-3s/64): higher brightens, "
     "lower darkens",
     -32, 32, 0},
    {Kind::kInt, kContrast, "contrast", "Contrast level",
     "c > 0 stretches (inputs up to c become 0, from 255 - c become 255), c < 0 compresses into -c..255 + c", -127, 127,
     0},
    {Kind::kInt, kSaturation, "saturation", "Saturation", "Chroma gain in 1/256: 0 grey, 256 unchanged, 512 double", 0,
     512, 256},
    {Kind::kInt, kHue, "hue", "Hue", "Rotation of the chroma in degrees", 0, 359, 0},
    {Kind::kInt, kEdgeThreshold, "edge-threshold", "Edge threshold",
     "Edge detection threshold of the quality-0 sharpening", 0, 1530, 100},
    {Kind::kInt, kEdgeEnhance, "edge-enhance", "Edge enhancement",
     "Sharpening strength of quality 0 in 1/256 (taken in steps of 4)", 0, 256, 32},
    {Kind::kInt, kQualBmGbMin, "qual-bmgb-min", "Qual B-Gb minimum",
     "White-balance cells: lowest B - Gb of a cell that qualifies", -32767, 32766, -25},
    {Kind::kInt, kQualBmGbMax, "qual-bmgb-max", "Qual B-Gb maximum",
     "White-balance cells: highest B - Gb of a cell that qualifies", -32767, 32766, 25},
    {Kind::kInt, kQualGrmRMin, "qual-grmr-min", "Qual Gr-R minimum",
     "White-balance cells: lowest Gr - R of a cell that qualifies", -32767, 32766, -25},
    {Kind::kInt, kQualGrmRMax, "qual-grmr-max", "Qual Gr-R maximum",
     "White-balance cells: highest Gr - R of a cell that qualifies", -32767, 32766, 25},
    {Kind::kInt, kQualSumMin, "qual-sum-min", "Qual sum minimum",
     "White-balance cells: lowest (B - Gb) + (Gr - R) of a cell that qualifies", -32767, 32766, -30},
    {Kind::kInt, kQualSumMax, "qual-sum-max", "Qual sum maximum",
     "White-balance cells: highest (B - Gb) + (Gr - R) of a cell that qualifies", -32767, 32766, 30},
    {Kind::kInt, kQualDiffMin, "qual-diff-min", "Qual difference minimum",
     "White-balance cells: lowest (B - Gb) - (Gr - R) of a cell that qualifies", -32767, 32766, -30},
    {Kind::kInt, kQualDiffMax, "qual-diff-max", "Qual difference maximum",
     "White-balance cells: highest (B - Gb) - (Gr - R) of a cell that qualifies", -32767, 32766, 30},
    {Kind::kInt, kQualRMin, "qual-r-min", "Qual red minimum", "White-balance cells: lowest R of a cell that qualifies",
     0, 255, 0},
    {Kind::kInt, kQualRMax, "qual-r-max", "Qual red maximum", "White-balance cells: highest R of a cell that qualifies",
     0, 255, 255},
    {Kind::kInt, kQualGMin, "qual-g-min", "Qual green minimum",
     "White-balance cells: lowest Gb and Gr of a cell that qualifies", 0, 255, 0},
    {Kind::kInt, kQualGMax, "qual-g-max", "Qual green maximum",
     "White-balance cells: highest Gb and Gr of a cell that qualifies", 0, 255, 255},
    {Kind::kInt, kQualBMin, "qual-b-min", "Qual blue minimum", "White-balance cells: lowest B of a cell that qualifies",
     0, 255, 0},
    {Kind::kInt, kQualBMax, "qual-b-max", "Qual blue maximum",
     "White-balance cells: highest B of a cell that qualifies", 0, 255, 255},
    {Kind::kInt, kQaeMin, "qae-min", "Exposure cells minimum",
     "Exposure cells: a cell whose four samples are all below this is left out (when above 0)", 0, 255, 0},
    {Kind::kInt, kQaeMax, "qae-max", "Exposure cells maximum",
     "Exposure cells: a cell whose four samples are all above this is left out (when below 255)", 0, 255, 255},
    {Kind::kBool, kHMirror, "h-mirror", "Horizontal mirror", "Mirror the picture left-right", 0, 1, 0},
    {Kind::kBool, kVMirror, "v-mirror", "Vertical mirror", "Mirror the picture top-bottom", 0, 1, 0},
    {Kind::kBool, kStatistics, "statistics", "Statistics",
     "Gather the AE/AWB statistics (histograms, window means, qualified cells) while converting", 0, 1, 1},
};
constexpr guint kPropertyCount = G_N_ELEMENTS(kProperties);

// One library setter and the slots it takes.
struct SetterGroup {
  int first;
  int count;
  uint8_t (*set)(ppl_context*, const int32_t*);
};

const SetterGroup kSetters[] = {
    {kQuality, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_quality(c, v[0]); }},
    {kRGain, 3, [](ppl_context* c, const int32_t* v) { return ppl_set_rgb_gain(c, v[0], v[1], v[2]); }},
    {kROffset, 3, [](ppl_context* c, const int32_t* v) { return ppl_set_rgb_delta(c, v[0], v[1], v[2]); }},
    {kMatrix, 9, [](ppl_context* c, const int32_t* v) { return ppl_copy_sensor_matrix(c, v); }},
    {kGamma, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_gamma(c, v[0]); }},
    {kContrast, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_contrast_c(c, v[0], nullptr, nullptr); }},
    {kSaturation, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_sat_hue(c, v[0], v[1]); }},
    {kEdgeThreshold, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_edge_threshold(c, v[0]); }},
    {kEdgeEnhance, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_nf88_edge_enhance_factor(c, v[0]); }},
    {kQualBmGbMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_BmGb_min_max(c, v[0], v[1]); }},
    {kQualGrmRMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_GrmR_min_max(c, v[0], v[1]); }},
    {kQualSumMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_BmGb_p_GrmR_min_max(c, v[0], v[1]); }},
    {kQualDiffMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_BmGb_m_GrmR_min_max(c, v[0], v[1]); }},
    {kQualRMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_R_min_max(c, v[0], v[1]); }},
    {kQualGMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_G_min_max(c, v[0], v[1]); }},
    {kQualBMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qual_B_min_max(c, v[0], v[1]); }},
    {kQaeMin, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_qAE_RGB_min_max(c, v[0], v[1]); }},
    {kHMirror, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_h_mirror(c, uint8_t(v[0])); }},
    // The library writes RGB bottom row first unless its vertical mirror is
    // on; GStreamer wants the top row first. So RGB outputs turn the
    // library's mirror on exactly when the picture is not to be mirrored,
    // and no second pass over the picture is needed.
    {kVMirror, 2, [](ppl_context* c, const int32_t* v) { return ppl_set_v_mirror(c, uint8_t(v[0] != v[1])); }},
    {kStatistics, 1, [](ppl_context* c, const int32_t* v) { return ppl_set_mean_collection(c, uint8_t(v[0])); }},
};

const PropertyRow* row_of_slot(int slot) {
  for (const PropertyRow& r : kProperties)
    if (r.slot == slot) return &r;
  return nullptr;
}

std::string describe_group(const SetterGroup& g, const int32_t* v) {
  std::string s;
  for (int i = 0; i < g.count; ++i) {
    const PropertyRow* r = row_of_slot(g.first + i);
    if (!r) continue;
    if (!s.empty()) s += ", ";
    s += r->name;
    if (r->kind != Kind::kMatrix) s += " " + std::to_string(v[i]);
  }
  return s;
}

}  // namespace

BayerControls default_controls() {
  BayerControls c{};
  for (const PropertyRow& r : kProperties) c.v[r.slot] = r.def;
  for (int i = 0; i < 3; ++i) c.v[kMatrix + 4 * i] = 256;
  return c;
}

guint install_control_properties(GObjectClass* klass, guint first_id) {
  const auto flags = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING);
  for (guint i = 0; i < kPropertyCount; ++i) {
    const PropertyRow& r = kProperties[i];
    GParamSpec* param = nullptr;
    switch (r.kind) {
      case Kind::kInt:
        param = g_param_spec_int(r.name, r.nick, r.blurb, r.min, r.max, r.def, flags);
        break;
      case Kind::kBool:
        param = g_param_spec_boolean(r.name, r.nick, r.blurb, r.def != 0, flags);
        break;
      case Kind::kMatrix:
        param =
            gst_param_spec_array(r.name, r.nick, r.blurb,
                                 g_param_spec_int("coefficient", "Coefficient", "Matrix coefficient in 1/256", r.min,
                                                  r.max, 0, GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)),
                                 flags);
        break;
    }
    g_object_class_install_property(klass, first_id + i, param);
  }
  return first_id + kPropertyCount;
}

bool set_control_property(BayerControls* c, guint index, const GValue* value, std::string* why) {
  const PropertyRow& r = kProperties[index];
  switch (r.kind) {
    case Kind::kInt:
      c->v[r.slot] = g_value_get_int(value);
      return true;
    case Kind::kBool:
      c->v[r.slot] = g_value_get_boolean(value) ? 1 : 0;
      return true;
    case Kind::kMatrix: {
      const guint n = gst_value_array_get_size(value);
      if (n != 9) {
        *why = "colour-matrix takes nine values (row by row, 256 = 1.0), not " + std::to_string(n);
        return false;
      }
      int32_t m[9];
      for (guint i = 0; i < 9; ++i) {
        const GValue* e = gst_value_array_get_value(value, i);
        if (!G_VALUE_HOLDS_INT(e)) {
          *why = "colour-matrix takes nine integers";
          return false;
        }
        m[i] = g_value_get_int(e);
      }
      std::memcpy(&c->v[kMatrix], m, sizeof m);
      return true;
    }
  }
  return false;
}

void get_control_property(const BayerControls& c, guint index, GValue* value) {
  const PropertyRow& r = kProperties[index];
  switch (r.kind) {
    case Kind::kInt:
      g_value_set_int(value, c.v[r.slot]);
      break;
    case Kind::kBool:
      g_value_set_boolean(value, c.v[r.slot] != 0);
      break;
    case Kind::kMatrix:
      for (int i = 0; i < 9; ++i) {
        GValue e = G_VALUE_INIT;
        g_value_init(&e, G_TYPE_INT);
        g_value_set_int(&e, c.v[kMatrix + i]);
        gst_value_array_append_and_take_value(value, &e);
      }
      break;
  }
}

std::string apply_controls(ppl_context* ctx, BayerControls* wanted, BayerControls* applied, bool first) {
  std::string refused;
  for (const SetterGroup& g : kSetters) {
    int32_t* v = &wanted->v[g.first];
    if (!first && std::memcmp(v, &applied->v[g.first], sizeof(int32_t) * g.count) == 0) continue;
    if (g.set(ctx, v)) continue;
    if (!refused.empty()) refused += "; ";
    refused += describe_group(g, v);
    // A refused setter stores nothing: the library keeps what it had.
    std::memcpy(v, &applied->v[g.first], sizeof(int32_t) * g.count);
  }
  *applied = *wanted;
  return refused;
}

}  // namespace pplcam_gst
