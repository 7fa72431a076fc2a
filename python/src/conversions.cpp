// The converters as methods of pplcam.Context: Bayer, progressive YUV and
// interlaced input, NumPy arrays out. The binding allocates every buffer
// the library writes (aligned, so the widest kernels run), copies what the
// library would modify or could not read at full speed, releases the GIL
// while the library works, and turns the library's bottom-up B, G, R into
// top-down R, G, B.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstring>
#include <optional>
#include <string>

#include "context.h"

namespace pplcam_python {

namespace {

enum Output { kI420, kYuyv, kUyvy, kRgb };
enum Packing { kYuyvIn, kUyvyIn };

const char* const kOutputNames[] = {"i420", "yuyv", "uyvy", "rgb"};
const char* const kPackingNames[] = {"yuyv", "uyvy"};

template <size_t N>
int index_of(const char* const (&names)[N], const std::string& name, const char* what) {
  std::string accepted;
  for (size_t i = 0; i < N; ++i) {
    if (name == names[i]) return int(i);
    accepted += std::string(i ? ", " : "") + "'" + names[i] + "'";
  }
  throw py::value_error(std::string(what) + " takes " + accepted + ", got '" + name + "'");
}

// What the library writes for one output, and the array the caller gets.
// RGB goes through the context's scratch picture and is reordered from
// there; the other outputs are written into the returned arrays directly.
struct Destination {
  py::object result;
  uint8_t* library_dst = nullptr;
  size_t library_bytes = 0;
  uint8_t* rgb = nullptr;  // top-down R, G, B array, for kRgb
  py::ssize_t width = 0, height = 0;

  Destination(Context& ctx, Output out, py::ssize_t w, py::ssize_t h) : width(w), height(h) {
    switch (out) {
      case kI420: {
        if (h % 2 != 0) throw py::value_error("I420 output needs an even height, got " + std::to_string(h));
        py::tuple planes = new_aligned_planes({{h, w}, {h / 2, w / 2}, {h / 2, w / 2}});
        library_dst = static_cast<uint8_t*>(py::cast<py::array>(planes[0]).mutable_data());
        library_bytes = size_t(w * h / 2 * 3);
        result = planes;
        break;
      }
      case kYuyv:
      case kUyvy: {
        py::array_t<uint8_t> a = new_aligned_array({h, w, 2});
        library_dst = a.mutable_data();
        library_bytes = size_t(w * h * 2);
        result = a;
        break;
      }
      case kRgb: {
        py::array_t<uint8_t> a = new_aligned_array({h, w, 3});
        rgb = a.mutable_data();
        library_bytes = size_t(w * h * 3);
        library_dst = ctx.picture.reserve(library_bytes);
        result = a;
        break;
      }
    }
  }

  // After the library's call; needs no GIL.
  void finish() const {
    if (rgb) bgr_bottom_up_to_rgb(library_dst, rgb, width, height);
  }
};

// --- Bayer -------------------------------------------------------------------

using BayerFn = uint8_t(PPLCALL*)(ppl_context*, uint8_t*, uint8_t*, int32_t, int32_t);

enum BayerSize { kSame, kHalf, kDouble };
const char* const kBayerSizeNames[] = {"same", "half", "double"};

const BayerFn kBayerConverters[4][3] = {
    {BaylorToI420MMX, BaylorToI420MMX_deci_2_1, BaylorToI420MMX_intp_1_2},
    {BaylorToYUYVMMX, BaylorToYUYVMMX_deci_2_1, BaylorToYUYVMMX_intp_1_2},
    {BaylorToUYVYMMX, BaylorToUYVYMMX_deci_2_1, BaylorToUYVYMMX_intp_1_2},
    {BaylorToRGB24MMX, BaylorToRGB24MMX_deci_2_1, BaylorToRGB24MMX_intp_1_2},
};

// The Bayer sizes the binding hands to the library: whole 16-photosite
// column groups and row pairs, within the library's frame limits.
void check_bayer_size(py::ssize_t w, py::ssize_t h) {
  if (w % 16 == 0 && w >= 128 && w <= 4096 && h % 2 == 0 && h >= 12 && h <= 4096) return;
  throw py::value_error("raw is " + std::to_string(w) + " x " + std::to_string(h) +
                        " (width x height); Bayer frames are 128..4096 wide in steps of 16 and "
                        "12..4096 high in steps of 2");
}

py::object convert_bayer(Context& ctx, const py::array& raw, Output out, const std::string& size_name,
                         bool in_place) {
  auto held = ctx.use();
  const int size = index_of(kBayerSizeNames, size_name, "size");
  const Frame f = check_frame(raw, "raw", 1);
  const py::ssize_t w = f.width, h = f.rows;
  check_bayer_size(w, h);
  if (in_place) {
    if (!f.contiguous() || !f.array.writeable() || reinterpret_cast<uintptr_t>(f.data) % 8 != 0) {
      throw py::value_error("in_place needs a writeable C-contiguous array aligned to 8 bytes (16 for the SSE2 "
                            "kernels)");
    }
  }
  const py::ssize_t ow = size == kHalf ? w / 2 : size == kDouble ? w * 2 : w;
  const py::ssize_t oh = size == kHalf ? h / 2 : size == kDouble ? h * 2 : h;
  Destination dst(ctx, out, ow, oh);
  uint8_t* src = in_place ? const_cast<uint8_t*>(f.data) : ctx.inputs[0].reserve(size_t(w * h));
  // Raw passthrough (qualities 4 and 5) leaves parts of some outputs
  // unwritten and answers 0 by design.
  const bool passthrough = ppl_quality(ctx.raw()) >= 4;
  uint8_t ok;
  {
    py::gil_scoped_release nogil;
    if (!in_place) copy_rows(f, src);
    if (passthrough) std::memset(dst.library_dst, 0, dst.library_bytes);
    ok = kBayerConverters[out][size](ctx.raw(), src, dst.library_dst, int32_t(w), int32_t(h));
    if (ok || passthrough) dst.finish();
  }
  if (!ok && !passthrough) throw Error("the library did not convert the frame");
  return dst.result;
}

// --- Progressive YUV -----------------------------------------------------------

using YuvFn = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t);

const char kYuvSizes[] = "frames 128..4096 wide in steps of 16, 12..4096 high in steps of 2";

// The caller's frame as the library reads it: the array itself when it is
// contiguous and aligned, else a copy made by copy() without the GIL.
struct Input {
  const Frame* frame;
  uint8_t* copy_to = nullptr;
  const uint8_t* data;
  Input(const Frame& f, ScratchBuffer& scratch) : frame(&f), data(f.data) {
    if (!f.aligned()) data = copy_to = scratch.reserve(size_t(f.rows * f.row_bytes()));
  }
  void copy() const {
    if (copy_to) copy_rows(*frame, copy_to);
  }
};

py::object convert_progressive(Context& ctx, const py::array& frame, YuvFn fn, Output out) {
  auto held = ctx.use();
  const Frame f = check_frame(frame, "frame", 2);
  const py::ssize_t w = f.width, h = f.rows;
  const auto refused = [&] {
    return py::value_error("frame is " + std::to_string(w) + " x " + std::to_string(h) +
                           "; the YUV converters take " + kYuvSizes);
  };
  // Sizes the kernels walk, checked before the library counts a frame.
  if (w % 16 != 0 || w < 128 || w > 4096 || h % 2 != 0 || h < 12 || h > 4096) throw refused();
  Destination dst(ctx, out, w, h);
  const Input in(f, ctx.inputs[0]);
  uint8_t ok;
  {
    py::gil_scoped_release nogil;
    in.copy();
    ok = fn(ctx.raw(), in.data, dst.library_dst, int32_t(w), int32_t(h), int32_t(w), int32_t(h));
    if (ok) dst.finish();
  }
  if (!ok) throw refused();
  return dst.result;
}

// --- Interlaced ------------------------------------------------------------------

using IntlFn = uint8_t(PPLCALL*)(ppl_context*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, int32_t,
                                 int32_t, int32_t, int32_t);

struct IntlConverter {
  Packing source;
  Output to;
  IntlFn motion, weave;
};

const IntlConverter kIntlConverters[] = {
    {kYuyvIn, kYuyv, IntlYUYVToYUYVMMX, IntlYUYVToYUYVMMX_no_motion},
    {kUyvyIn, kUyvy, IntlUYVYToUYVYMMX, IntlUYVYToUYVYMMX_no_motion},
    {kUyvyIn, kYuyv, IntlUYVYToYUYVMMX, IntlUYVYToYUYVMMX_no_motion},
    {kYuyvIn, kI420, IntlYUYVToI420MMX, IntlYUYVToI420MMX_no_motion},
    {kUyvyIn, kI420, IntlUYVYToI420MMX, IntlUYVYToI420MMX_no_motion},
    {kYuyvIn, kRgb, IntlYUYVToRGB24MMX, IntlYUYVToRGB24MMX_no_motion},
    {kUyvyIn, kRgb, IntlUYVYToRGB24MMX, IntlUYVYToRGB24MMX_no_motion},
};

void check_same_shape(const Frame& a, const Frame& b, const char* what) {
  if (a.rows != b.rows || a.width != b.width) {
    throw py::value_error(std::string(what) + " must have the shape of first: " + std::to_string(b.rows) + " x " +
                          std::to_string(b.width) + " pixels, got " + std::to_string(a.rows) + " x " +
                          std::to_string(a.width));
  }
}

py::object deinterlace(Context& ctx, const py::array& first_obj, const py::array& second_obj,
                       const std::string& source_name, const std::optional<std::string>& to_name, bool motion,
                       const std::optional<std::pair<py::ssize_t, py::ssize_t>>& out_size,
                       const std::optional<py::array>& reference_obj) {
  auto held = ctx.use();
  const Packing source = Packing(index_of(kPackingNames, source_name, "source"));
  const Output to = to_name ? Output(index_of(kOutputNames, *to_name, "to"))
                            : Output(source == kYuyvIn ? kYuyv : kUyvy);
  const IntlConverter* conv = nullptr;
  for (const IntlConverter& c : kIntlConverters)
    if (c.source == source && c.to == to) conv = &c;
  if (!conv) {
    throw py::value_error(std::string("the library has no interlaced ") + kPackingNames[source] + " to " +
                          kOutputNames[to] + " conversion");
  }
  const Frame first = check_frame(first_obj, "first", 2), second = check_frame(second_obj, "second", 2);
  check_same_shape(second, first, "second");
  const py::ssize_t w = first.width, h = first.rows * 2;
  const auto [ow, oh] = out_size.value_or(std::make_pair(w, h));
  if (ow <= 0 || oh <= 0 || ow > INT32_MAX || oh > INT32_MAX) {
    throw py::value_error("out_size takes (width, height), positive 32-bit ints");
  }
  FieldReference& kept = ctx.reference;
  const py::ssize_t field_bytes = first.rows * first.row_bytes();
  Frame given_reference{};
  const bool has_given = reference_obj.has_value();
  if (has_given) {
    given_reference = check_frame(*reference_obj, "reference", 2);
    check_same_shape(given_reference, first, "reference");
  }
  // Without a reference of this size and packing the second field serves as
  // its own: no word moves, the frame is woven.
  const bool use_kept = !has_given && kept.source == source && kept.rows == first.rows &&
                        kept.row_bytes == first.row_bytes();
  if (!use_kept) kept.source = -1;  // its buffer may be reallocated below
  Destination dst(ctx, to, ow, oh);
  const Input in_first(first, ctx.inputs[0]), in_second(second, ctx.inputs[1]);
  const Input in_given = has_given ? Input(given_reference, ctx.inputs[2]) : in_second;
  uint8_t* keep_to = kept.field.reserve(size_t(field_bytes));
  uint8_t ok;
  {
    py::gil_scoped_release nogil;
    in_first.copy();
    in_second.copy();
    if (has_given) in_given.copy();
    const uint8_t* ref = use_kept ? keep_to : in_given.data;
    ok = (motion ? conv->motion : conv->weave)(ctx.raw(), ref, in_first.data, in_second.data, dst.library_dst,
                                              int32_t(w), int32_t(h), int32_t(ow), int32_t(oh));
    if (ok) {
      dst.finish();
      std::memcpy(keep_to, in_second.data, size_t(field_bytes));
    }
  }
  if (!ok) {
    throw py::value_error("the library does not convert interlaced " + std::to_string(w) + " x " +
                          std::to_string(h) + " frames to " + std::to_string(ow) + " x " + std::to_string(oh) +
                          " (the pairs it takes are listed with ppl_new_frame_sizes in pplcam.h)");
  }
  kept.source = source;
  kept.rows = first.rows;
  kept.row_bytes = first.row_bytes();
  return dst.result;
}

// The methods, with the Python type each returns (for its signature).
template <Output out, typename Result>
Result bayer_method(Context& ctx, const py::array& raw, const std::string& size, bool in_place) {
  return py::reinterpret_steal<Result>(convert_bayer(ctx, raw, out, size, in_place).release());
}

template <YuvFn fn, Output out, typename Result>
Result progressive_method(Context& ctx, const py::array& frame) {
  return py::reinterpret_steal<Result>(convert_progressive(ctx, frame, fn, out).release());
}

}  // namespace

void register_conversions(py::class_<Context>& cls) {
  const std::string bayer_doc =
      "Converts a raw Bayer frame with this context's picture controls and gathers the\n"
      "statistics (see statistics()).\n"
      "raw: a uint8 array (height, width), blue at row 0, column 0; 128..4096 wide in steps\n"
      "of 16, 12..4096 high in steps of 2.\n"
      "size: 'same', 'half' (2:1 decimation) or 'double' (1:2 interpolation); beyond 1280 x 1024\n"
      "the output stays within 4096 x 4096.\n"
      "The library conditions its source in place (gain, offset, gamma): raw is copied and\n"
      "left unchanged, unless in_place=True, which converts raw itself (a writeable\n"
      "C-contiguous array, 16-byte aligned for the SSE2 kernels) and leaves the conditioned\n"
      "samples in it. At qualities 4 and 5 (raw passthrough) the parts of the output the\n"
      "library does not write are 0.\n";
  auto bayer_args = [&](const char* name, auto fn, const char* returns) {
    cls.def(name, fn, py::arg("raw"), py::kw_only(), py::arg("size") = "same", py::arg("in_place") = false,
            (bayer_doc + returns).c_str());
  };
  bayer_args("bayer_to_rgb", &bayer_method<kRgb, py::array>,
             "Returns a new (height, width, 3) uint8 array, rows top-down, R, G, B.");
  bayer_args("bayer_to_i420", &bayer_method<kI420, py::tuple>,
             "Returns the planes (y, u, v), new uint8 arrays (height, width) and\n"
             "(height/2, width/2) twice. At size 'half' the height must be a multiple of 4.");
  bayer_args("bayer_to_yuyv", &bayer_method<kYuyv, py::array>,
             "Returns a new (height, width, 2) uint8 array: Y0 U Y1 V per pixel pair.");
  bayer_args("bayer_to_uyvy", &bayer_method<kUyvy, py::array>,
             "Returns a new (height, width, 2) uint8 array: U Y0 V Y1 per pixel pair.");

  const std::string yuv_doc = std::string(
                                  "Converts a progressive frame, a uint8 array (height, width, 2), at its own\n"
                                  "size: ") +
                              kYuvSizes +
                              ".\nNo picture control applies except h_mirror and v_mirror to I420 output;\n"
                              "no statistics.\n";
  auto yuv_method = [&](const char* name, auto fn, const char* about) {
    cls.def(name, fn, py::arg("frame"), (yuv_doc + about).c_str());
  };
  yuv_method("yuyv_to_i420", &progressive_method<YUYVToI420MMX, kI420, py::tuple>,
             "Input Y0 U Y1 V per pixel pair. Returns the planes (y, u, v); luma is copied, chroma\n"
             "is the rounded mean of each line pair.");
  yuv_method("uyvy_to_i420", &progressive_method<UYVYToI420MMX, kI420, py::tuple>,
             "Input U Y0 V Y1 per pixel pair. Returns the planes (y, u, v).");
  yuv_method("yuyv_to_rgb", &progressive_method<YUYVToRGB24MMX, kRgb, py::array>,
             "Input Y0 U Y1 V per pixel pair. Returns a new (height, width, 3) array, top-down\n"
             "R, G, B (BT.601 studio range).");
  yuv_method("uyvy_to_rgb", &progressive_method<UYVYToRGB24MMX, kRgb, py::array>,
             "Input U Y0 V Y1 per pixel pair. Returns a new (height, width, 3) array, top-down\n"
             "R, G, B.");

  const std::string intl_doc =
      "source: 'yuyv' or 'uyvy'; to: 'yuyv', 'uyvy', 'i420' or 'rgb' (default: the source's\n"
      "packing; uyvy converts to every output, yuyv to all but uyvy).\n"
      "Output line 2k is first-field line k, line 2k+1 second-field line k. With motion=True\n"
      "the chroma of second-field words that moved against the reference (threshold:\n"
      "intl_3T_threshold) is the mean of the first-field lines above and below; motion=False\n"
      "weaves. The reference is the previous frame's second field: by default the second\n"
      "field of this context's last deinterlace call of the same size and packing (on the\n"
      "first call the second field itself, which finds no motion); reference= gives one\n"
      "explicitly. This call's second field is kept as the next reference.\n"
      "out_size: (width, height) of the output, default the frame's; the library takes the\n"
      "pairs listed with ppl_new_frame_sizes in pplcam.h (half, quarter and double size, black\n"
      "lines above and below for taller outputs) and raises ValueError for others.\n"
      "Returns new arrays: (height, width, 2) for yuyv and uyvy, the planes (y, u, v) for\n"
      "i420, (height, width, 3) top-down R, G, B for rgb.";
  cls.def("deinterlace", &deinterlace, py::arg("first"), py::arg("second"), py::kw_only(),
          py::arg("source") = "yuyv", py::arg("to") = py::none(), py::arg("motion") = true,
          py::arg("out_size") = py::none(), py::arg("reference") = py::none(),
          ("Deinterlaces two fields, each a uint8 array (height/2, width, 2), into one frame.\n" + intl_doc).c_str());
  cls.def(
      "deinterlace_frame",
      [](Context& ctx, const py::array& frame, const std::string& source, const std::optional<std::string>& to,
         bool motion, const std::optional<std::pair<py::ssize_t, py::ssize_t>>& out_size,
         const std::optional<py::array>& reference) {
        const Frame f = check_frame(frame, "frame", 2);
        if (f.rows % 2 != 0) throw py::value_error("frame needs an even number of lines");
        py::array first = frame[py::slice(0, f.rows, 2)], second = frame[py::slice(1, f.rows, 2)];
        return deinterlace(ctx, first, second, source, to, motion, out_size, reference);
      },
      py::arg("frame"), py::kw_only(), py::arg("source") = "yuyv", py::arg("to") = py::none(),
      py::arg("motion") = true, py::arg("out_size") = py::none(), py::arg("reference") = py::none(),
      ("Deinterlaces a frame whose lines interleave the two fields (even lines the first field,\n"
       "odd lines the second), a uint8 array (height, width, 2); otherwise as deinterlace().\n" +
       intl_doc)
          .c_str());
}

}  // namespace pplcam_python
