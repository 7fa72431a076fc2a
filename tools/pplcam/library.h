// Thin C++ handles over the library's C API: a context that is freed when
// it goes out of scope (large frames on), and frame buffers with the alignment the converters
// want (16 bytes gives the SSE2 kernels, 8-but-not-16 forces the MMX ones).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "pplcam/pplcam_ext.h"

namespace pplcam_tool {

// A byte buffer whose data() is 64-byte aligned plus `offset` bytes.
class FrameBuffer {
 public:
  FrameBuffer() = default;
  explicit FrameBuffer(size_t size, size_t offset = 0) { resize(size, offset); }
  void resize(size_t size, size_t offset = 0);
  uint8_t* data() { return base_.get() + offset_; }
  const uint8_t* data() const { return base_.get() + offset_; }
  size_t size() const { return size_; }
  uint8_t* begin() { return data(); }
  uint8_t* end() { return data() + size_; }
  const uint8_t* begin() const { return data(); }
  const uint8_t* end() const { return data() + size_; }

 private:
  struct Free {
    void operator()(uint8_t* p) const;
  };
  std::unique_ptr<uint8_t, Free> base_;
  size_t size_ = 0;
  size_t offset_ = 0;
};

// A context with large frames on (pplcam_ext.h): frames up to 4096 x 4096,
// through a work area the handle owns and frees after the context.
class Context {
 public:
  Context();  // throws ToolError when all eight slots are taken
  ~Context() { ppl_free(ctx_); }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
  ppl_context* get() const { return ctx_; }

 private:
  FrameBuffer work_;
  ppl_context* ctx_;
};

}  // namespace pplcam_tool
