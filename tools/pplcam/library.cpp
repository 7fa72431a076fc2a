#include "library.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "tool_error.h"

namespace pplcam_tool {

Context::Context()
    : work_(ppl_ext_large_frame_work_bytes(PPL_EXT_LARGE_FRAME_MAX_WIDTH)), ctx_(ppl_init()) {
  if (!ctx_) fail(kExitFailed, "the library has no free context (all eight are in use)");
  if (!ppl_ext_enable_large_frames(ctx_, work_.data(), static_cast<uint32_t>(work_.size())))
    fail(kExitFailed, "the library refused the large-frame work area");
}

void FrameBuffer::Free::operator()(uint8_t* p) const { std::free(p); }

void FrameBuffer::resize(size_t size, size_t offset) {
  const size_t total = (size + offset + 63) / 64 * 64 + 64;
  void* p = std::aligned_alloc(64, total);
  if (!p) throw std::bad_alloc();
  std::memset(p, 0, total);
  base_.reset(static_cast<uint8_t*>(p));
  size_ = size;
  offset_ = offset;
}

}  // namespace pplcam_tool
