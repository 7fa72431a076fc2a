// pplcam.Statistics: the figures the library gathered during the last Bayer
// conversion of a context, copied into NumPy arrays.
#include <pybind11/numpy.h>

#include <algorithm>
#include <mutex>

#include "context.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam_python {

namespace {

// The centre-weighted and four-point mean getters write into storage that
// all contexts share: the binding calls them under this lock and copies
// the result at once, so contexts in parallel threads never read another
// context's figures.
std::mutex shared_means_mutex;

// The means over the cells each region really sampled, as float levels.
struct Levels {
  py::object window_means, outside_means, whole_frame_means, window_cells;
  uint32_t outside_cells = 0, whole_frame_cells = 0;
};

struct Statistics {
  py::object histograms, window_means, outside_means, all_windows_means, whole_frame_means;
  py::object four_point_means, central4_means, central8_means, central16_means;
  py::object qae_means, qual_means;
  uint32_t qae_count = 0, qual_count = 0, n_frame = 0;
  Levels levels;
};

py::array_t<uint32_t> copy_of(const uint32_t* p, std::initializer_list<py::ssize_t> shape) {
  py::array_t<uint32_t> a{std::vector<py::ssize_t>(shape)};
  std::copy(p, p + a.size(), a.mutable_data());
  return a;
}

py::array_t<uint32_t> triple(const uint32_t* p) { return copy_of(p, {3}); }

// 8.8 means as float64 levels 0..255 (every 1/256 step is exact).
py::array_t<double> levels_of(const uint32_t* p, std::initializer_list<py::ssize_t> shape) {
  py::array_t<double> a{std::vector<py::ssize_t>(shape)};
  std::transform(p, p + a.size(), a.mutable_data(), [](uint32_t v) { return v / 256.0; });
  return a;
}

Levels read_levels(ppl_context* c) {
  uint32_t means[49 * 3], cells[49], whole[3];
  ppl_ext_level_means_sub_windows(c, means, cells);
  Levels l;
  l.whole_frame_cells = ppl_ext_level_means_whole_frame(c, whole);
  l.window_means = levels_of(means, {6, 8, 3});
  l.outside_means = levels_of(means + 48 * 3, {3});
  l.whole_frame_means = levels_of(whole, {3});
  l.window_cells = copy_of(cells, {6, 8});
  l.outside_cells = cells[48];
  return l;
}

Statistics read_statistics(Context& ctx) {
  auto held = ctx.use();
  ppl_context* c = ctx.raw();
  Statistics s;
  uint32_t cols = 0, rows = 0;
  ppl_n_sub_windows(c, &cols, &rows);
  s.window_means = copy_of(ppl_rgb_means_sub_windows(c), {py::ssize_t(rows), py::ssize_t(cols), 3});
  py::array_t<uint32_t> h({3, 256});
  const uint32_t* channels[3] = {ppl_r_histogram(c), ppl_g_histogram(c), ppl_b_histogram(c)};
  for (int k = 0; k < 3; ++k) std::copy(channels[k], channels[k] + 256, h.mutable_data(k, 0));
  s.histograms = h;
  s.outside_means = triple(ppl_rgb_means_outside_all_sub_windows(c));
  s.all_windows_means = triple(ppl_rgb_means_all_sub_windows(c));
  s.whole_frame_means = triple(ppl_rgb_means_whole_frame(c));
  {
    std::lock_guard<std::mutex> shared(shared_means_mutex);
    s.four_point_means = triple(ppl_rgb_means_whole_frame_4pts(c));
    s.central4_means = triple(ppl_rgb_means_whole_frame_central4(c));
    s.central8_means = triple(ppl_rgb_means_whole_frame_central8(c));
    s.central16_means = triple(ppl_rgb_means_whole_frame_central16(c));
  }
  s.qae_means = triple(ppl_qAE_rgb_means_whole_frame(c));
  s.qual_means = triple(ppl_qual_rgb_means_whole_frame(c));
  s.qae_count = ppl_n_qAE_2x2_whole_frame(c);
  s.qual_count = ppl_n_qual_2x2_whole_frame(c);
  s.n_frame = ppl_n_frame(c);
  s.levels = read_levels(c);
  return s;
}

}  // namespace

void register_statistics(py::module_& m, py::class_<Context>& cls) {
  py::class_<Levels> levels(
      m, "Levels",
      "The means to read for exposure and white balance: each region's sum divided by the 2 x 2\n"
      "cells it really sampled, as float64 levels 0..255, so a flat frame conditioned to level L\n"
      "reads L in every region on every path and at every size. (The library's own window means\n"
      "divide by a normaliser made for a nominal number of samples, while neighbouring windows\n"
      "sample different numbers of cells: they stripe by column, a flat frame reading about 0.8\n"
      "and 1.2 times its level in turn on the 16-byte path, and the whole-frame mean depends on\n"
      "the path and the frame size.) Measured on the conditioned photosites (after gains, offsets\n"
      "and the RGB gamma table); G is the mean of both greens. Quality 3 fills no window (means\n"
      "and cells 0): only the whole frame has a mean. Qualities 4 and 5 and mean_collection off\n"
      "give 0 everywhere.");
  levels.attr("__module__") = "pplcam";
  levels
      .def_readonly("window_means", &Levels::window_means,
                    "float64 (6, 8, 3): means of the 8 x 6 windows, row by row (0 where a window sampled no\n"
                    "cell).")
      .def_readonly("window_cells", &Levels::window_cells, "uint32 (6, 8): 2 x 2 cells each window sampled.")
      .def_readonly("outside_means", &Levels::outside_means, "float64 (3,): the region right of and below the grid.")
      .def_readonly("outside_cells", &Levels::outside_cells, "2 x 2 cells the region outside the grid sampled.")
      .def_readonly("whole_frame_means", &Levels::whole_frame_means,
                    "float64 (3,): every sampled cell (the 49 regions; the whole frame at quality 3).")
      .def_readonly("whole_frame_cells", &Levels::whole_frame_cells, "2 x 2 cells sampled in the whole frame.")
      .def("__repr__", [](const Levels& l) {
        return "<pplcam.Levels whole_frame_means=" + py::str(l.whole_frame_means).cast<std::string>() +
               " whole_frame_cells=" + std::to_string(l.whole_frame_cells) + ">";
      });

  py::class_<Statistics> stats(m, "Statistics",
                         "Statistics of a context's last Bayer conversion (all zero at qualities 4 and 5 and with\n"
                         "mean_collection off). Read levels (pplcam.Levels) to judge a picture: means over the\n"
                         "cells each region sampled, in levels 0..255. The other means are the library's own\n"
                         "figures, in 1/256 of a sample level (8.8 fixed point), as a driver written against the\n"
                         "C API sees them: their windows stripe by column (see pplcam.Levels). Each triple is\n"
                         "r, g, b. Every array is a copy.");
  stats.attr("__module__") = "pplcam";
  stats.def_readonly("histograms", &Statistics::histograms,
                    "uint32 (3, 256): R, G, B histograms of qualifying cells (raw sensor values).")
      .def_readonly("window_means", &Statistics::window_means,
                    "uint32 (6, 8, 3): the library's means of the 8 x 6 sub-windows, row by row. Filled at\n"
                    "qualities 0..2, zero at quality 3. They stripe by column: levels.window_means do not.")
      .def_readonly("outside_means", &Statistics::outside_means,
                    "uint32 (3,): the region right of and below the grid.")
      .def_readonly("all_windows_means", &Statistics::all_windows_means,
                    "uint32 (3,): the mean of the 48 window means.")
      .def_readonly("whole_frame_means", &Statistics::whole_frame_means, "uint32 (3,): the whole frame.")
      .def_readonly("four_point_means", &Statistics::four_point_means,
                    "uint32 (3,): plain mean of the four central windows (whole_frame_means at quality 3\n"
                    "and above).")
      .def_readonly("central4_means", &Statistics::central4_means,
                    "uint32 (3,): centre-weighted mean, the four central windows weighing 3 (rows 2-3,\n"
                    "columns 3-4), the twenty around them 1 and the mean of all windows 48\n"
                    "(whole_frame_means at quality 3 and above).")
      .def_readonly("central8_means", &Statistics::central8_means,
                    "uint32 (3,): as central4_means with the central windows weighing 7.")
      .def_readonly("central16_means", &Statistics::central16_means,
                    "uint32 (3,): as central4_means with the central windows weighing 15.")
      .def_readonly("qae_means", &Statistics::qae_means,
                    "uint32 (3,): means of the cells that passed the qAE limits (0 when none did).")
      .def_readonly("qae_count", &Statistics::qae_count, "Cells that passed the qAE limits, scaled to the frame.")
      .def_readonly("qual_means", &Statistics::qual_means,
                    "uint32 (3,): means of the cells that passed the qual limits (raw sensor values).")
      .def_readonly("qual_count", &Statistics::qual_count,
                    "Cells that passed the qual limits, scaled to the frame.")
      .def_readonly("n_frame", &Statistics::n_frame, "Frames converted on this slot since the library was loaded.")
      .def_readonly("levels", &Statistics::levels,
                    "pplcam.Levels: the means over the cells each region sampled, in float levels 0..255;\n"
                    "the ones to read.")
      .def("__repr__", [](const Statistics& s) {
        return "<pplcam.Statistics n_frame=" + std::to_string(s.n_frame) +
               " whole_frame_means=" + py::str(s.whole_frame_means).cast<std::string>() + ">";
      });

  cls.def("statistics", &read_statistics,
          "Statistics gathered during this context's last Bayer conversion (see pplcam.Statistics).\n"
          "Every Bayer conversion overwrites them; YUV conversions leave them.");
  cls.def_property_readonly(
      "n_frame", [](Context& ctx) { auto held = ctx.use(); return ppl_n_frame(ctx.raw()); },
      "Frames converted on this slot since the library was loaded (every conversion counts).");
}

}  // namespace pplcam_python
