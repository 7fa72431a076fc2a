#include "context.h"

#include "pplcam/pplcam_ext.h"

namespace pplcam_python {

namespace {

// ppl_init and ppl_free must not run at the same time on any two threads.
std::mutex pool_mutex;

}  // namespace

Context::Context() {
  const uint32_t bytes = ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH);
  work_.reset(std::aligned_alloc(PPL_EXT_LARGE_FRAME_ALIGNMENT, bytes));
  if (!work_) throw std::bad_alloc();
  std::lock_guard<std::mutex> pool(pool_mutex);
  ctx_ = ppl_init();
  if (!ctx_) {
    throw Error("all 8 pplcam contexts are in use: close one (Context.close() or the end of a with block) first");
  }
  ppl_ext_enable_large_frames(ctx_, work_.get(), bytes);
}

Context::~Context() {
  if (ctx_) {
    std::lock_guard<std::mutex> pool(pool_mutex);
    ppl_free(ctx_);
  }
}

std::unique_lock<std::mutex> Context::lock() {
  std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock()) {
    py::gil_scoped_release nogil;
    lock.lock();
  }
  return lock;
}

std::unique_lock<std::mutex> Context::use() {
  auto held = lock();
  if (!ctx_) throw Error("this pplcam context is closed");
  return held;
}

void Context::close() {
  auto held = lock();
  if (!ctx_) return;
  std::lock_guard<std::mutex> pool(pool_mutex);
  ppl_free(ctx_);
  ctx_ = nullptr;
}

void register_context(py::module_& m, py::class_<Context>& cls) {
  py::register_exception<Error>(m, "Error", PyExc_RuntimeError).attr("__module__") = "pplcam";
  cls.def(py::init<>(),
          "Takes the lowest free of the library's eight context slots, every control at its default\n"
          "(quality 3, gains 1.0, identity colour matrix, ...). Raises pplcam.Error when all eight are\n"
          "in use. A reused slot keeps its last frame size, statistics and frame counter.")
      .def("close", &Context::close,
           "Returns the slot to the library. Closing twice is harmless; any other call on a closed\n"
           "context raises pplcam.Error.")
      .def_property_readonly("closed", &Context::closed, "True after close().")
      .def("__enter__", [](Context& c) -> Context& {
        c.use();
        return c;
      }, py::return_value_policy::reference)
      .def("__exit__", [](Context& c, py::args) { c.close(); });
}

}  // namespace pplcam_python
