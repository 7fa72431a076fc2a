#include "buffers.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>


namespace pplcam_python {

namespace {

size_t round_up(size_t n) { return (n + kAlignment - 1) / kAlignment * kAlignment; }

// malloc with the block's start stored just before the aligned pointer.
// (glibc serves large aligned_alloc requests in a way that page-faults
// afresh on every frame; plain malloc blocks of one size are reused warm.)
uint8_t* aligned_alloc_or_throw(size_t size) {
  auto* base = static_cast<uint8_t*>(std::malloc(size + kAlignment + sizeof(void*)));
  if (!base) throw std::bad_alloc();
  auto* p = reinterpret_cast<uint8_t*>(round_up(reinterpret_cast<uintptr_t>(base) + sizeof(void*)));
  std::memcpy(p - sizeof(void*), &base, sizeof base);
  return p;
}

void aligned_free(void* p) {
  if (!p) return;
  void* base;
  std::memcpy(&base, static_cast<uint8_t*>(p) - sizeof base, sizeof base);
  std::free(base);
}

py::capsule owner_of(uint8_t* p) { return py::capsule(p, aligned_free); }

}  // namespace

py::array_t<uint8_t> new_aligned_array(std::initializer_list<py::ssize_t> shape) {
  size_t size = 1;
  for (py::ssize_t n : shape) size *= size_t(n);
  uint8_t* p = aligned_alloc_or_throw(size);
  return py::array_t<uint8_t>(std::vector<py::ssize_t>(shape), p, owner_of(p));
}

py::tuple new_aligned_planes(std::initializer_list<std::pair<py::ssize_t, py::ssize_t>> shapes) {
  size_t size = 0;
  for (auto [rows, cols] : shapes) size += size_t(rows * cols);
  uint8_t* p = aligned_alloc_or_throw(size);
  py::capsule owner = owner_of(p);
  py::tuple planes(shapes.size());
  size_t i = 0, offset = 0;
  for (auto [rows, cols] : shapes) {
    planes[i++] = py::array_t<uint8_t>({rows, cols}, p + offset, owner);
    offset += size_t(rows * cols);
  }
  return planes;
}

ScratchBuffer::~ScratchBuffer() { aligned_free(data_); }

uint8_t* ScratchBuffer::reserve(size_t size) {
  if (size > capacity_) {
    uint8_t* data = aligned_alloc_or_throw(size);
    aligned_free(data_);
    data_ = data;
    capacity_ = size;
  }
  return data_;
}

bool Frame::contiguous() const {
  return channel_stride == 1 && pixel_stride == channels && (rows <= 1 || row_stride == row_bytes());
}

bool Frame::aligned() const { return contiguous() && reinterpret_cast<uintptr_t>(data) % 16 == 0; }

Frame check_frame(const py::object& obj, const char* what, int channels) {
  if (!py::isinstance<py::array_t<uint8_t>>(obj))
    throw py::type_error(std::string(what) + " must be a NumPy array of uint8");
  py::array a = py::reinterpret_borrow<py::array>(obj);
  const int ndim = channels == 1 ? 2 : 3;
  if (a.ndim() != ndim || (ndim == 3 && a.shape(2) != channels)) {
    throw py::value_error(std::string(what) + " must have shape " +
                          (ndim == 2 ? "(height, width)" : "(height, width, " + std::to_string(channels) + ")") +
                          ", got " + py::str(a.attr("shape")).cast<std::string>());
  }
  return Frame{a,           static_cast<const uint8_t*>(a.data()), a.shape(0), a.shape(1), channels,
               a.strides(0), a.strides(1), ndim == 3 ? a.strides(2) : 1};
}

void copy_rows(const Frame& f, uint8_t* dst) {
  if (f.contiguous()) {
    std::memcpy(dst, f.data, size_t(f.rows * f.row_bytes()));
    return;
  }
  // Any strides NumPy allows (slices, reversed axes): rows of packed
  // pixels by memcpy, anything else element by element.
  for (py::ssize_t r = 0; r < f.rows; ++r, dst += f.row_bytes()) {
    const uint8_t* row = f.data + r * f.row_stride;
    if (f.channel_stride == 1 && f.pixel_stride == f.channels) {
      std::memcpy(dst, row, size_t(f.row_bytes()));
      continue;
    }
    for (py::ssize_t x = 0; x < f.width; ++x)
      for (py::ssize_t k = 0; k < f.channels; ++k) dst[x * f.channels + k] = row[x * f.pixel_stride + k * f.channel_stride];
  }
}

void bgr_bottom_up_to_rgb(const uint8_t* src, uint8_t* dst, py::ssize_t width, py::ssize_t rows) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  const py::ssize_t row_bytes = width * 3;
  for (py::ssize_t y = 0; y < rows; ++y) {
    const uint8_t* s = src + (rows - 1 - y) * row_bytes;
    uint8_t* d = dst + y * row_bytes;
    py::ssize_t i = ssse3 ? swap_red_blue_ssse3(s, d, row_bytes) : 0;
    for (; i < row_bytes; i += 3) {
      d[i] = s[i + 2];
      d[i + 1] = s[i + 1];
      d[i + 2] = s[i];
    }
  }
}

}  // namespace pplcam_python
