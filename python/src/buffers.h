// Memory between NumPy and the library: aligned arrays the binding hands
// out, scratch buffers a context keeps between frames, checks on the
// caller's arrays, and the reordering of the library's bottom-up B, G, R
// rows into top-down R, G, B.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace pplcam_python {

namespace py = pybind11;

// 64 bytes: the widest kernel row that may land reads whole cache lines.
constexpr size_t kAlignment = 64;

// A new C-contiguous uint8 array whose data starts on a kAlignment
// boundary. Its contents are undefined.
py::array_t<uint8_t> new_aligned_array(std::initializer_list<py::ssize_t> shape);

// Views of consecutive parts of one aligned allocation, each C-contiguous
// (the three planes of an I420 picture). Shapes are given as (rows, cols).
py::tuple new_aligned_planes(std::initializer_list<std::pair<py::ssize_t, py::ssize_t>> shapes);

// Scratch memory a context reuses from frame to frame, kAlignment-aligned.
class ScratchBuffer {
 public:
  ScratchBuffer() = default;
  ~ScratchBuffer();
  ScratchBuffer(const ScratchBuffer&) = delete;
  ScratchBuffer& operator=(const ScratchBuffer&) = delete;
  // Makes room for `size` bytes (keeping nothing) and returns the start.
  uint8_t* reserve(size_t size);
  uint8_t* data() const { return data_; }

 private:
  uint8_t* data_ = nullptr;
  size_t capacity_ = 0;
};

// A caller's picture array, checked: uint8, `rows` x `width` pixels of
// `channels` bytes, reached through the array's own strides (read under
// the GIL, so that the copy needs none).
struct Frame {
  py::array array;
  const uint8_t* data;
  py::ssize_t rows, width, channels;
  py::ssize_t row_stride, pixel_stride, channel_stride;
  py::ssize_t row_bytes() const { return width * channels; }
  bool contiguous() const;  // rows of packed pixels, one after the other
  bool aligned() const;     // contiguous and 16-byte aligned: the library may read it as it is
};

// Checks that `obj` is a uint8 array of shape (height, width) (channels 1)
// or (height, width, channels); raises TypeError or ValueError naming
// `what` otherwise.
Frame check_frame(const py::object& obj, const char* what, int channels);

// Copies a frame's rows to dst, one after the other. Needs no GIL.
void copy_rows(const Frame& frame, uint8_t* dst);

// Turns `rows` rows of `width` B, G, R pixels stored bottom-up (the first
// row in memory is the bottom of the picture) into top-down R, G, B rows
// at dst. Needs no GIL.
void bgr_bottom_up_to_rgb(const uint8_t* src, uint8_t* dst, py::ssize_t width, py::ssize_t rows);

// Swaps the first and third byte of each 3-byte pixel from the start of a
// row of row_bytes bytes, in 15-byte steps that read and write within the
// row; returns the number of bytes done (a multiple of 3). Built with
// SSSE3 (rgb_order_ssse3.cpp): call it only where the processor has it.
py::ssize_t swap_red_blue_ssse3(const uint8_t* src, uint8_t* dst, py::ssize_t row_bytes);

}  // namespace pplcam_python
