// The picture controls as properties of pplcam.Context. Each setter checks
// the value against the range the library documents before calling the
// library: some setters store an out-of-range value and answer 0, some
// always answer 0, so their answer cannot tell a refusal. A value outside
// the range raises ValueError and the context keeps its old value.
#include <pybind11/numpy.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "context.h"

namespace pplcam_python {

namespace {

constexpr int64_t kInt32Min = INT32_MIN, kInt32Max = INT32_MAX;

std::string range_text(int64_t lo, int64_t hi) { return std::to_string(lo) + ".." + std::to_string(hi); }

std::string text_of(py::handle v) { return py::repr(v).cast<std::string>(); }

// A Python or NumPy integer; values beyond int64 come back as the nearest
// int64, which every range check refuses.
int64_t as_integer(py::handle v, const std::string& name) {
  if (!PyIndex_Check(v.ptr()) || PyFloat_Check(v.ptr())) {
    throw py::type_error(name + " takes integers, got " + text_of(v));
  }
  py::object i = py::reinterpret_steal<py::object>(PyNumber_Index(v.ptr()));
  if (!i) throw py::error_already_set();
  int overflow = 0;
  const long long x = PyLong_AsLongLongAndOverflow(i.ptr(), &overflow);
  if (overflow) return overflow > 0 ? INT64_MAX : INT64_MIN;
  return x;
}

// Exactly n integers from anything NumPy reads as integers (a tuple, a
// list, an array of any integer type and shape with n elements).
std::vector<int64_t> integers(py::handle v, size_t n, const std::string& name) {
  py::array a = py::module_::import("numpy").attr("asarray")(v);
  const char kind = a.dtype().kind();
  if (kind != 'i' && kind != 'u' && kind != 'b') throw py::type_error(name + " takes integers, got " + text_of(v));
  if (size_t(a.size()) != n) {
    throw py::value_error(name + " takes " + std::to_string(n) + " values, got " + std::to_string(a.size()));
  }
  std::vector<int64_t> out;
  for (py::handle x : a.attr("reshape")(-1).attr("tolist")()) out.push_back(as_integer(x, name));
  return out;
}

void check_range(const std::vector<int64_t>& values, int64_t lo, int64_t hi, const std::string& name,
                 const std::string& given, const std::string& current) {
  for (int64_t x : values) {
    if (x < lo || x > hi) {
      throw py::value_error(name + " takes " + range_text(lo, hi) + ", got " + given + "; it stays " + current);
    }
  }
}

py::tuple as_tuple(std::initializer_list<int32_t> values) {
  py::tuple t(values.size());
  size_t i = 0;
  for (int32_t v : values) t[i++] = py::int_(v);
  return t;
}

// --- Table rows ----------------------------------------------------------------

struct IntControl {
  const char* name;
  int32_t (*get)(ppl_context*);
  uint8_t (*set)(ppl_context*, int32_t);
  int64_t lo, hi;
  const char* doc;
};

int32_t gamma_setting(ppl_context* c) {
  int32_t setting = 0;
  ppl_nf20_12_gamma(c, &setting, nullptr, nullptr);
  return setting;
}

const IntControl kIntControls[] = {
    {"quality", ppl_quality, ppl_set_quality, 0, 5,
     "Bayer quality, int 0..5 (default 3): 0 edge-directed demosaic with luma sharpening, 1 the same\n"
     "without sharpening, 2 bilinear, 3 2x2 cell replication, 4 and 5 raw passthrough."},
    {"sat", ppl_nf88_sat, ppl_set_sat, 0, 512,
     "Saturation, nf88 int 0..512 (default 256): 0 grey, 256 unchanged, 512 double chroma."},
    {"hue", ppl_hue_degree, ppl_set_hue, kInt32Min, kInt32Max,
     "Hue rotation of the chroma in degrees, any int; stored (and read back) as hue mod 360\n"
     "in 0..359 (default 0)."},
    {"gamma", gamma_setting, ppl_set_gamma, -32, 32,
     "Gamma setting, int -32..32 (default 0): loads the setting's rgb curve (applied to the raw\n"
     "samples) and yuv curve. 0 is the ITU-R BT.709 transfer curve (exponent 0.45); setting s\n"
     "has the exponent 0.45 e^(-3s/64), so higher settings brighten. A table written through\n"
     "rgb_gamma_table or yuv_gamma_table leaves this setting as it was."},
    {"edge_threshold", ppl_edge_threshold, ppl_set_edge_threshold, 0, 1530,
     "Edge detection threshold of the quality-0 sharpening, int 0..1530 (default 100)."},
    {"edge_enhance_factor", ppl_nf88_edge_enhance_factor, ppl_set_nf88_edge_enhance_factor, 0, 256,
     "Sharpening strength of quality 0, nf88 int 0..256, used in steps of 4 (default 32)."},
    {"intl_3T_threshold", ppl_intl_3T_threshold, ppl_set_intl_3T_threshold, 0, 765,
     "Motion threshold of the interlaced converters, int 0..765 (default 50); lower finds more\n"
     "motion."},
};

struct FlagControl {
  const char* name;
  uint8_t (*get)(ppl_context*);
  uint8_t (*set)(ppl_context*, uint8_t);
  const char* doc;
};

const FlagControl kFlagControls[] = {
    {"h_mirror", ppl_h_mirror, ppl_set_h_mirror,
     "Mirror the output left-right (default False); takes effect on the next conversion."},
    {"v_mirror", ppl_v_mirror, ppl_set_v_mirror,
     "Mirror the output top-bottom (default False); takes effect on the next conversion."},
    {"mean_collection", ppl_mean_collection, ppl_set_mean_collection,
     "Gather statistics during Bayer conversions (default True)."},
    {"P3_only", ppl_P3_only, ppl_set_P3_only,
     "Force the 8-byte (MMX) kernels where the SSE2 kernels could run (default False); both give\n"
     "the same pictures."},
};

struct TripleControl {
  const char* name;
  int32_t (*get[3])(ppl_context*);
  uint8_t (*set)(ppl_context*, int32_t, int32_t, int32_t);
  int64_t lo, hi;
  const char* doc;
};

const TripleControl kTripleControls[] = {
    {"rgb_gain", {ppl_nf88_r_gain, ppl_nf88_g_gain, ppl_nf88_b_gain}, ppl_set_rgb_gain, 0, 2047,
     "White-balance gains (r, g, b), nf88 ints 0..2047 each (x0 to x8; default 256 = 1.0),\n"
     "applied to the raw samples."},
    {"rgb_delta", {ppl_r_delta, ppl_g_delta, ppl_b_delta}, ppl_set_rgb_delta, -32768, 32767,
     "Offsets (r, g, b) added to the raw samples after the gain, ints -32768..32767 each\n"
     "(default 0)."},
    {"quals_rgb_gain", {ppl_nf88_quals_r_gain, ppl_nf88_quals_g_gain, ppl_nf88_quals_b_gain},
     ppl_set_quals_rgb_gain, kInt32Min, kInt32Max,
     "A second set of gains (r, g, b), nf88, kept for the caller; no conversion uses them\n"
     "(default 256 each)."},
};

struct LimitControl {
  const char* name;
  int32_t (*get_min)(ppl_context*);
  int32_t (*get_max)(ppl_context*);
  uint8_t (*set)(ppl_context*, int32_t, int32_t);
  int64_t lo, hi;
  const char* doc;
};

// Difference limits keep min - 1 and max + 1 within 16 bits.
const LimitControl kLimitControls[] = {
    {"qual_BmGb", ppl_qual_BmGb_min, ppl_qual_BmGb_max, ppl_set_qual_BmGb_min_max, -32767, 32766,
     "Qual limits (min, max) of B - Gb of a cell, min <= max within -32767..32766 (default -25, 25)."},
    {"qual_GrmR", ppl_qual_GrmR_min, ppl_qual_GrmR_max, ppl_set_qual_GrmR_min_max, -32767, 32766,
     "Qual limits (min, max) of Gr - R of a cell, min <= max within -32767..32766 (default -25, 25)."},
    {"qual_BmGb_p_GrmR", ppl_qual_BmGb_p_GrmR_min, ppl_qual_BmGb_p_GrmR_max, ppl_set_qual_BmGb_p_GrmR_min_max,
     -32767, 32766,
     "Qual limits (min, max) of (B - Gb) + (Gr - R), min <= max within -32767..32766\n"
     "(default -30, 30)."},
    {"qual_BmGb_m_GrmR", ppl_qual_BmGb_m_GrmR_min, ppl_qual_BmGb_m_GrmR_max, ppl_set_qual_BmGb_m_GrmR_min_max,
     -32767, 32766,
     "Qual limits (min, max) of (B - Gb) - (Gr - R), min <= max within -32767..32766\n"
     "(default -30, 30)."},
    {"qual_R", ppl_qual_R_min, ppl_qual_R_max, ppl_set_qual_R_min_max, 0, 255,
     "Qual limits (min, max) of a cell's R, 0 <= min <= max <= 255 (default 0, 255)."},
    {"qual_G", ppl_qual_G_min, ppl_qual_G_max, ppl_set_qual_G_min_max, 0, 255,
     "Qual limits (min, max) of a cell's Gb and Gr, 0 <= min <= max <= 255 (default 0, 255)."},
    {"qual_B", ppl_qual_B_min, ppl_qual_B_max, ppl_set_qual_B_min_max, 0, 255,
     "Qual limits (min, max) of a cell's B, 0 <= min <= max <= 255 (default 0, 255)."},
    {"qAE", ppl_qAE_RGB_min, ppl_qAE_RGB_max, ppl_set_qAE_RGB_min_max, 0, 255,
     "qAE limits (min, max), 0 <= min <= max <= 255 (default 0, 255): a cell is left out of the\n"
     "qAE figures when all four samples are below min (min > 0) or all above max (max < 255)."},
};

struct TableControl {
  const char* name;
  const uint8_t* (*get)(ppl_context*);
  uint8_t (*copy)(ppl_context*, const uint8_t*);  // nullptr: read-only
  const char* doc;
};

const TableControl kTableControls[] = {
    {"rgb_gamma_table", ppl_rgb_gamma_table, ppl_copy_rgb_gamma_table,
     "The rgb gamma curve applied to the raw samples, 256 uint8. Writing one sets nf20_12_gamma\n"
     "to 0 (a free curve has no exponent)."},
    {"yuv_gamma_table", ppl_yuv_gamma_table, ppl_copy_yuv_gamma_table,
     "The studio-range yuv gamma curve kept for the caller, 256 uint8. Writing one sets\n"
     "nf20_12_gamma to 0."},
    {"contrast_table", ppl_contrast_table, ppl_copy_contrast_table,
     "The contrast curve, 256 uint8. Writing one keeps the contrast level and the colour\n"
     "matrices."},
    {"yuv_contrast_gamma_table", ppl_yuv_contrast_gamma_table, nullptr,
     "yuv_gamma_table[contrast_table[i]], 256 uint8 (read-only)."},
    {"rgb_contrast_gamma_table", ppl_rgb_contrast_gamma_table, nullptr,
     "rgb_gamma_table[contrast_table[i]], 256 uint8 (read-only)."},
    {"r_dekneel_table", ppl_r_dekneel_table, ppl_copy_r_dekneel_table,
     "Dekneel table of r, 256 uint8, kept for the caller; no conversion uses it (default identity)."},
    {"g_dekneel_table", ppl_g_dekneel_table, ppl_copy_g_dekneel_table,
     "Dekneel table of g, 256 uint8, kept for the caller; no conversion uses it (default identity)."},
    {"b_dekneel_table", ppl_b_dekneel_table, ppl_copy_b_dekneel_table,
     "Dekneel table of b, 256 uint8, kept for the caller; no conversion uses it (default identity)."},
};

const int32_t kSensorTypes[] = {0x5754, 0x5948, 0x42564F, 0x07544F4D};

py::array_t<uint8_t> table_copy(const uint8_t* table) {
  py::array_t<uint8_t> out(256);
  std::copy(table, table + 256, out.mutable_data());
  return out;
}

}  // namespace

void register_controls(py::class_<Context>& cls) {
  for (const IntControl& row : kIntControls) {
    const IntControl* c = &row;
    cls.def_property(
        c->name, [c](Context& ctx) { auto held = ctx.use(); return c->get(ctx.raw()); },
        [c](Context& ctx, py::object v) {
          auto held = ctx.use();
          const int64_t x = as_integer(v, c->name);
          check_range({x}, c->lo, c->hi, c->name, text_of(v), std::to_string(c->get(ctx.raw())));
          c->set(ctx.raw(), int32_t(x));
        },
        c->doc);
  }
  for (const FlagControl& row : kFlagControls) {
    const FlagControl* c = &row;
    cls.def_property(
        c->name, [c](Context& ctx) { auto held = ctx.use(); return c->get(ctx.raw()) != 0; },
        [c](Context& ctx, bool on) { auto held = ctx.use(); c->set(ctx.raw(), on); }, c->doc);
  }
  for (const TripleControl& row : kTripleControls) {
    const TripleControl* c = &row;
    auto read = [c](ppl_context* p) { return as_tuple({c->get[0](p), c->get[1](p), c->get[2](p)}); };
    cls.def_property(
        c->name, [read](Context& ctx) { auto held = ctx.use(); return read(ctx.raw()); },
        [c, read](Context& ctx, py::object v) {
          auto held = ctx.use();
          const auto x = integers(v, 3, c->name);
          check_range(x, c->lo, c->hi, std::string(c->name) + " (each of r, g, b)", text_of(v),
                      text_of(read(ctx.raw())));
          c->set(ctx.raw(), int32_t(x[0]), int32_t(x[1]), int32_t(x[2]));
        },
        c->doc);
  }
  for (const LimitControl& row : kLimitControls) {
    const LimitControl* c = &row;
    auto read = [c](ppl_context* p) { return as_tuple({c->get_min(p), c->get_max(p)}); };
    cls.def_property(
        c->name, [read](Context& ctx) { auto held = ctx.use(); return read(ctx.raw()); },
        [c, read](Context& ctx, py::object v) {
          auto held = ctx.use();
          const auto x = integers(v, 2, c->name);
          if (x[0] < c->lo || x[0] > x[1] || x[1] > c->hi) {
            throw py::value_error(std::string(c->name) + " takes (min, max) with " + std::to_string(c->lo) +
                                  " <= min <= max <= " + std::to_string(c->hi) + ", got " + text_of(v) +
                                  "; it stays " + text_of(read(ctx.raw())));
          }
          c->set(ctx.raw(), int32_t(x[0]), int32_t(x[1]));
        },
        c->doc);
  }
  for (const TableControl& row : kTableControls) {
    const TableControl* c = &row;
    auto get = [c](Context& ctx) { auto held = ctx.use(); return table_copy(c->get(ctx.raw())); };
    if (!c->copy) {
      cls.def_property_readonly(c->name, get, c->doc);
      continue;
    }
    cls.def_property(
        c->name, get,
        [c](Context& ctx, py::object v) {
          auto held = ctx.use();
          const auto x = integers(v, 256, c->name);
          check_range(x, 0, 255, std::string(c->name) + " (each entry)", "an entry out of range",
                      "as it was");
          uint8_t table[256];
          for (int i = 0; i < 256; ++i) table[i] = uint8_t(x[i]);
          c->copy(ctx.raw(), table);
        },
        c->doc);
  }

  cls.def_property(
      "sensor_matrix",
      [](Context& ctx) {
        auto held = ctx.use();
        py::array_t<int32_t> m({3, 3});
        ppl_sensor_matrix(ctx.raw(), m.mutable_data());
        return m;
      },
      [](Context& ctx, py::object v) {
        auto held = ctx.use();
        const auto x = integers(v, 9, "sensor_matrix");
        check_range(x, kInt32Min, kInt32Max, "sensor_matrix (each element)", "an element out of range",
                    "as it was");
        int32_t m[9];
        for (int i = 0; i < 9; ++i) m[i] = int32_t(x[i]);
        ppl_copy_sensor_matrix(ctx.raw(), m);
      },
      "Sensor colour matrix, 3x3 nf88 int32, row-major, applied to the camera's r, g, b before the\n"
      "saturation, hue and contrast adjustment (default identity, 256 on the diagonal). Any values;\n"
      "products beyond the kernels' coefficient range (-4.0 .. 3.98) are clamped to it.");

  cls.def_property(
      "contrast", [](Context& ctx) { auto held = ctx.use(); return ctx.contrast_level; },
      [](Context& ctx, py::object v) {
        auto held = ctx.use();
        const int64_t c = as_integer(v, "contrast");
        check_range({c}, -127, 127, "contrast", text_of(v), std::to_string(ctx.contrast_level));
        uint32_t x = 0, y = 0;
        ppl_set_contrast_c(ctx.raw(), int32_t(c), &x, &y);
        ctx.contrast_level = int32_t(c);
        ctx.contrast_x = int32_t(x);
        ctx.contrast_y = int32_t(y);
      },
      "Contrast level, int -127..127 (default 0). c > 0 stretches: inputs up to c become 0 and\n"
      "inputs from 255 - c become 255, and the luma gain of the colour matrices is 1 + 2c/256.\n"
      "c < 0 compresses the curve into -c..255 + c with a luma gain of 1 + c/256. Sets\n"
      "contrast_xy to (max(c, 0), max(-c, 0)).");
  cls.def_property(
      "contrast_xy",
      [](Context& ctx) {
        auto held = ctx.use();
        return as_tuple({ctx.contrast_x, ctx.contrast_y});
      },
      [](Context& ctx, py::object v) {
        auto held = ctx.use();
        const auto xy = integers(v, 2, "contrast_xy");
        const std::string given = text_of(v), current = text_of(as_tuple({ctx.contrast_x, ctx.contrast_y}));
        check_range({xy[0]}, 0, 127, "contrast_xy x", given, current);
        check_range({xy[1]}, kInt32Min, kInt32Max, "contrast_xy y", given, current);
        ppl_set_contrast_xy(ctx.raw(), int32_t(xy[0]), int32_t(xy[1]));
        ctx.contrast_x = int32_t(xy[0]);
        ctx.contrast_y = int32_t(xy[1]);
      },
      "Contrast curve points (x, y), x 0..127, y any int (default 0, 0): the curve runs through\n"
      "(0, 0), (x, y), (255 - x, 255 - y), (255, 255), straight between the points; with x = 0 it\n"
      "is the one line from (0, y) to (255, 255 - y). y in 0..255 keeps the curve in byte range,\n"
      "other y give entries taken modulo 256. Keeps the contrast level.");
  cls.def_property_readonly(
      "nf20_12_gamma",
      [](Context& ctx) {
        auto held = ctx.use();
        return ppl_nf20_12_gamma(ctx.raw(), nullptr, nullptr, nullptr);
      },
      "Gamma exponent in 20.12 fixed point, floor(4096 x 0.45 e^(-3s/64)) for setting s: 8260 at\n"
      "-32, 1843 at 0, 411 at 32; 0 after a gamma table was written.");
  cls.def_property(
      "sensor_type", [](Context& ctx) { auto held = ctx.use(); return ppl_sensor_type(ctx.raw()); },
      [](Context& ctx, py::object v) {
        auto held = ctx.use();
        const int64_t code = as_integer(v, "sensor_type");
        if (std::find(std::begin(kSensorTypes), std::end(kSensorTypes), code) == std::end(kSensorTypes)) {
          throw py::value_error("sensor_type takes 0x5754, 0x5948, 0x42564F or 0x07544F4D, got " + text_of(v) +
                                "; it stays " + std::to_string(ppl_sensor_type(ctx.raw())));
        }
        ppl_set_sensor_type(ctx.raw(), int32_t(code));
      },
      "Sensor identification stored for the caller: 0x5754 (\"TW\"), 0x5948 (\"HY\"), 0x42564F\n"
      "(\"OVB\") or 0x07544F4D (\"MOT\" + 7), read as little-endian bytes. A slot starts at 0;\n"
      "reset_controls() leaves the code alone.");
  cls.def(
      "reset_controls",
      [](Context& ctx) {
        auto held = ctx.use();
        ppl_reset_all_controls(ctx.raw());
        ctx.contrast_level = ctx.contrast_x = ctx.contrast_y = 0;
      },
      "Puts every control back to its default. Keeps the frame size, statistics, frame counter\n"
      "and sensor_type.");
}

}  // namespace pplcam_python
