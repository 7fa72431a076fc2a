#include "buffers.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pplcam_python {

namespace {

size_t round_up(size_t n) { return (n + kAlignment - 1) / kAlignment * kAlignment; }

uint8_t* aligned_alloc_or_throw(size_t size) {
  void* p = std::aligned_alloc(kAlignment, round_up(size == 0 ? 1 : size));
  if (!p) throw std::bad_alloc();
  return static_cast<uint8_t*>(p);
}

py::capsule owner_of(uint8_t* p) {
  return py::capsule(p, [](void* q) { std::free(q); });
}

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

ScratchBuffer::~ScratchBuffer() { std::free(base_); }

uint8_t* ScratchBuffer::reserve(size_t size) {
  if (size > capacity_) {
    uint8_t* base = aligned_alloc_or_throw(size + 2 * kAlignment);
    std::free(base_);
    base_ = base;
    data_ = base + kAlignment;
    capacity_ = round_up(size + 2 * kAlignment) - 2 * kAlignment;
    // The spare bytes are read (and discarded) by 16-byte steps at the ends.
    std::memset(base_, 0, kAlignment);
    std::memset(data_ + capacity_, 0, kAlignment);
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

// Output byte i of a row takes source byte i + 2, i or i - 2 as i mod 3 is
// 0, 1 or 2 (R from the pixel's third byte, G stays, B from its first). The
// SSE2 loop loads the source at -2, 0 and +2 bytes and picks with masks
// that repeat every 48 bytes.
namespace {

struct PickMasks {
  alignas(16) uint8_t bytes[3][3][16];  // [16-byte step in the 48][source -2, 0, +2][byte]
  constexpr PickMasks() : bytes{} {
    for (int step = 0; step < 3; ++step)
      for (int from = 0; from < 3; ++from)
        for (int b = 0; b < 16; ++b) bytes[step][from][b] = (16 * step + b) % 3 == 2 - from ? 0xFF : 0;
  }
};
constexpr PickMasks kPick;

}  // namespace

void bgr_bottom_up_to_rgb(const uint8_t* src, uint8_t* dst, py::ssize_t width, py::ssize_t rows) {
  const py::ssize_t row_bytes = width * 3;
  for (py::ssize_t y = 0; y < rows; ++y) {
    const uint8_t* s = src + (rows - 1 - y) * row_bytes;
    uint8_t* d = dst + y * row_bytes;
    py::ssize_t i = 0;
#if defined(__SSE2__)
    for (; i + 48 <= row_bytes; i += 48) {
      for (int step = 0; step < 3; ++step) {
        const uint8_t* p = s + i + 16 * step;
        const auto* mask = reinterpret_cast<const __m128i*>(kPick.bytes[step]);
        const __m128i from_minus2 = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 2)), mask[0]);
        const __m128i from_same = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), mask[1]);
        const __m128i from_plus2 = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2)), mask[2]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 16 * step),
                         _mm_or_si128(_mm_or_si128(from_minus2, from_same), from_plus2));
      }
    }
#endif
    for (; i < row_bytes; i += 3) {
      d[i] = s[i + 2];
      d[i + 1] = s[i + 1];
      d[i + 2] = s[i];
    }
  }
}

}  // namespace pplcam_python
