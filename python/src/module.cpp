// The extension module pplcam._pplcam; the package pplcam re-exports it.
#include "context.h"

namespace py = pybind11;

PYBIND11_MODULE(_pplcam, m) {
  m.doc() =
      "pplcam, the image pipeline of a USB camera, from NumPy.\n\n"
      "A Context holds one of the library's eight context slots: picture controls as properties,\n"
      "conversions from raw Bayer, progressive YUYV/UYVY and interlaced fields as methods that take\n"
      "and return NumPy uint8 arrays (RGB top-down in R, G, B order), and the statistics of the last\n"
      "Bayer conversion. Conversions release the GIL: contexts in different threads convert in\n"
      "parallel; calls on one context wait for each other.";
  py::class_<pplcam_python::Context> cls(
      m, "Context",
      "One of the library's eight context slots, with every picture control at its default.\n"
      "Use it in a with block, or call close(), to give the slot back; calls after close raise\n"
      "pplcam.Error. Setting a control outside its range raises ValueError and keeps the old value.");
  // Users import the package pplcam; signatures and help() name it.
  cls.attr("__module__") = "pplcam";
  pplcam_python::register_context(m, cls);
  pplcam_python::register_controls(cls);
  pplcam_python::register_conversions(cls);
  pplcam_python::register_statistics(m, cls);
}
