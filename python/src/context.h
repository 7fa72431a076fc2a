// pplcam.Context: one of the library's eight context slots, owned by a
// Python object, with the state the binding keeps beside it.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "buffers.h"
#include "pplcam/pplcam.h"

namespace pplcam_python {

namespace py = pybind11;

// Raised as pplcam.Error (a RuntimeError): no free slot, a closed context,
// a conversion the library did not run.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The interlaced converters' motion reference: the second field of the
// previous frame, kept by the binding.
struct FieldReference {
  ScratchBuffer field;
  py::ssize_t rows = 0, row_bytes = 0;
  int source = -1;  // packing of the stored field; -1: none kept
};

class Context {
 public:
  Context();  // raises Error when all eight slots are in use
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // Returns the slot to the library; later calls raise Error. Waits for a
  // conversion running on another thread.
  void close();
  bool closed() const { return ctx_ == nullptr; }

  // Holds the context for one call and checks that it is open. The library
  // allows one call at a time on a context: a second thread waits here,
  // without holding the GIL (a converting thread holds this lock with the
  // GIL released and takes the GIL back after unlocking).
  std::unique_lock<std::mutex> use();
  ppl_context* raw() const { return ctx_; }

  // The library has no getters for the contrast level and curve points:
  // the binding remembers what it set (every call on this slot goes
  // through this object).
  int32_t contrast_level = 0;
  int32_t contrast_x = 0, contrast_y = 0;

  // Copies of input arrays (the Bayer frame the library conditions in
  // place; YUV frames and fields that are not contiguous and aligned).
  ScratchBuffer inputs[3];
  ScratchBuffer picture;  // RGB24 output before reordering
  FieldReference reference;

 private:
  // Takes mutex_, waiting without the GIL.
  std::unique_lock<std::mutex> lock();
  std::mutex mutex_;
  // Large frames (up to 4096 x 4096, pplcam_ext.h) are on for every
  // context, through this work area, freed after the context.
  struct Free {
    void operator()(void* p) const { std::free(p); }
  };
  std::unique_ptr<void, Free> work_;
  ppl_context* ctx_ = nullptr;
};

void register_context(py::module_& m, py::class_<Context>& cls);
void register_controls(py::class_<Context>& cls);
void register_conversions(py::class_<Context>& cls);
void register_statistics(py::module_& m, py::class_<Context>& cls);

}  // namespace pplcam_python
