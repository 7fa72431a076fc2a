// Every converter, processing operation and geometry setter with sizes
// odd, zero, negative or huge, every buffer placed against an inaccessible
// page and sized exactly by the byte counts of pplcam.h ("Buffer sizes").
// A read or write outside a buffer faults; ASan and UBSan report the rest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_input.h"
#include "pplcam/pplcam.h"
#include "pplcam/pplcam_ext.h"
#include "support/buffers.h"

namespace pplcam::fuzz {
namespace {

using test::Guard;
using test::GuardedBuffer;

enum class Family { kBayer, kProgressive, kInterlaced };
enum class Out { kI420, kPacked, kRgb24, kRgb32 };
using Fn = uint8_t (*)(ppl_context*, uint8_t* const*, uint8_t*, int32_t, int32_t, int32_t, int32_t);

struct Call {
  Family family;
  Out out;
  int mode;                 // Bayer converters: 0, 1 (_deci_2_1), -1 (_intp_1_2)
  bool converter;           // else a processing operation
  int src_bytes_per_2px;    // progressive sources: 4, 3 or 6
  Fn fn;
};

#define BAYER(fn, out, mode, conv) \
  Call{Family::kBayer, Out::out, mode, conv, 0, [](ppl_context* c, uint8_t* const* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t) { return fn(c, s[0], d, w, h); }}
#define YUV(fn, out, conv, b) \
  Call{Family::kProgressive, Out::out, 0, conv, b, [](ppl_context* c, uint8_t* const* s, uint8_t* d, int32_t iw, int32_t ih, int32_t ow, int32_t oh) { return fn(c, s[0], d, iw, ih, ow, oh); }}
#define INTL(fn, out, conv) \
  Call{Family::kInterlaced, Out::out, 0, conv, 0, [](ppl_context* c, uint8_t* const* s, uint8_t* d, int32_t iw, int32_t ih, int32_t ow, int32_t oh) { return fn(c, s[0], s[1], s[2], d, iw, ih, ow, oh); }}

const Call kCalls[] = {
    BAYER(BaylorToI420MMX, kI420, 0, true), BAYER(BaylorToI420MMX_deci_2_1, kI420, 1, true),
    BAYER(BaylorToI420MMX_intp_1_2, kI420, -1, true), BAYER(BaylorToYUYVMMX, kPacked, 0, true),
    BAYER(BaylorToYUYVMMX_deci_2_1, kPacked, 1, true), BAYER(BaylorToYUYVMMX_intp_1_2, kPacked, -1, true),
    BAYER(BaylorToUYVYMMX, kPacked, 0, true), BAYER(BaylorToUYVYMMX_deci_2_1, kPacked, 1, true),
    BAYER(BaylorToUYVYMMX_intp_1_2, kPacked, -1, true), BAYER(BaylorToRGB24MMX, kRgb24, 0, true),
    BAYER(BaylorToRGB24MMX_deci_2_1, kRgb24, 1, true), BAYER(BaylorToRGB24MMX_intp_1_2, kRgb24, -1, true),
    BAYER(BaylorToRGB32MMX, kRgb32, 0, true), BAYER(BaylorToRGB32MMX_deci_2_1, kRgb32, 1, true),
    BAYER(BaylorToRGB32MMX_intp_1_2, kRgb32, -1, true),
    BAYER(ppl_process_blrtoi420, kI420, 0, false), BAYER(ppl_process_blrtoyuyv, kPacked, 0, false),
    BAYER(ppl_process_blrtouyvy, kPacked, 0, false), BAYER(ppl_process_blrtorgb24, kRgb24, 0, false),
    BAYER(ppl_process_blrtorgb32, kRgb32, 0, false),
    YUV(YUYVToI420MMX, kI420, true, 4), YUV(UYVYToI420MMX, kI420, true, 4),
    YUV(YUYVToRGB24MMX, kRgb24, true, 4), YUV(UYVYToRGB24MMX, kRgb24, true, 4),
    YUV(YUYVYYYYToI420MMX, kI420, true, 3), YUV(UYVYYYYYToI420MMX, kI420, true, 3),
    YUV(RGB24ToRGB32MMX, kRgb32, true, 6),
    YUV(ppl_process_yuyvtoi420, kI420, false, 4), YUV(ppl_process_uyvytoi420, kI420, false, 4),
    YUV(ppl_process_yuyvtorgb24, kRgb24, false, 4), YUV(ppl_process_uyvytorgb24, kRgb24, false, 4),
    YUV(ppl_process_yuyvyyyytoi420, kI420, false, 3), YUV(ppl_process_uyvyyyyytoi420, kI420, false, 3),
    YUV(ppl_process_rgb24torgb32, kRgb32, false, 6),
    INTL(IntlYUYVToYUYVMMX, kPacked, true), INTL(IntlYUYVToYUYVMMX_no_motion, kPacked, true),
    INTL(IntlUYVYToUYVYMMX, kPacked, true), INTL(IntlUYVYToUYVYMMX_no_motion, kPacked, true),
    INTL(IntlUYVYToYUYVMMX, kPacked, true), INTL(IntlUYVYToYUYVMMX_no_motion, kPacked, true),
    INTL(IntlYUYVToI420MMX, kI420, true), INTL(IntlYUYVToI420MMX_no_motion, kI420, true),
    INTL(IntlUYVYToI420MMX, kI420, true), INTL(IntlUYVYToI420MMX_no_motion, kI420, true),
    INTL(IntlYUYVToRGB24MMX, kRgb24, true), INTL(IntlYUYVToRGB24MMX_no_motion, kRgb24, true),
    INTL(IntlUYVYToRGB24MMX, kRgb24, true), INTL(IntlUYVYToRGB24MMX_no_motion, kRgb24, true),
    INTL(ppl_process_intlyuyvtoyuyv, kPacked, false), INTL(ppl_process_intluyvytouyvy, kPacked, false),
    INTL(ppl_process_intlyuyvtoi420, kI420, false), INTL(ppl_process_intluyvytoi420, kI420, false),
    INTL(ppl_process_intlyuyvtorgb24, kRgb24, false), INTL(ppl_process_intluyvytorgb24, kRgb24, false),
};
constexpr int kCallCount = sizeof kCalls / sizeof kCalls[0];

const int32_t kSizes[] = {0,   1,   2,   8,   16,  32,  64,  120, 128, 150, 160,  176, 240,
                          288, 300, 320, 352, 480, 576, 640, 704, 720, 960, 1024, 1280};
constexpr int kSizeCount = sizeof kSizes / sizeof kSizes[0];
// Buffers beyond this are not mapped; such calls are skipped.
constexpr int64_t kMaxBytes = int64_t{24} << 20;

int64_t area(int64_t w, int64_t h) { return w > 0 && h > 0 ? w * h : 0; }

// Destination bytes of pplcam.h's "Buffer sizes".
// Counts beyond kMaxBytes come back as kMaxBytes + 1 (the call is skipped).
int64_t dst_bytes(const Call& k, ppl_context* c, int32_t iw, int32_t ih, int32_t ow, int32_t oh) {
  constexpr int64_t kTooMany = kMaxBytes + 1;
  if (k.family != Family::kBayer) {
    const int64_t p = area(ow, oh);
    if (p > kMaxBytes) return kTooMany;
    switch (k.out) {
      case Out::kI420: return p + p / 2;
      case Out::kPacked: return 2 * p;
      case Out::kRgb24: return 3 * p;
      case Out::kRgb32: return 4 * p;
    }
  }
  const int64_t n = area(iw, ih);
  if (n > kMaxBytes) return kTooMany;
  if (!k.converter) {
    // The stored geometry at the new input size (refused when it fits no
    // buffer: then nothing may be written at all).
    const int32_t d = ppl_decimation(c);
    const int64_t top = ppl_decimation_top_black_lines(c), bottom = ppl_decimation_bottom_black_lines(c);
    if (top < 0 || bottom < 0) return 0;
    const int64_t w = d >= 0 ? int64_t{iw} >> d : int64_t{iw} * 2;
    const int64_t h = (d >= 0 ? int64_t{ih} >> d : int64_t{ih} * 2) + top + bottom;
    if (w <= 0 || h <= 0) return 0;
    if (w > INT32_MAX / 4 || h > INT32_MAX / 4 || 4 * w * h > INT32_MAX) return 0;
    const int64_t p = w * h;
    switch (k.out) {
      case Out::kI420: return p + p / 2;
      case Out::kPacked: return 2 * p;
      case Out::kRgb24: return 3 * p;
      case Out::kRgb32: return 4 * p;
    }
  }
  const int64_t half = area(iw / 2, ih / 2);
  switch (k.out) {
    case Out::kI420:
      return k.mode == 0 ? n + n / 2 : k.mode == 1 ? std::max(half + half / 2, n / 4 + n / 8) : 6 * n;
    case Out::kPacked:
      return k.mode == 0 ? 2 * n : k.mode == 1 ? std::max(2 * half, n / 4 + n / 8) : 8 * n;
    case Out::kRgb24: return k.mode == 0 ? 3 * n : k.mode == 1 ? 3 * (n / 4) : 12 * n;
    case Out::kRgb32: return k.mode == 0 ? 4 * n : k.mode == 1 ? 4 * (n / 4) : 16 * n;
  }
  return 0;
}

int64_t src_bytes(const Call& k, int32_t iw, int32_t ih) {
  switch (k.family) {
    case Family::kBayer: return area(iw, ih);
    case Family::kProgressive:
      if (area(iw, ih) > kMaxBytes) return kMaxBytes + 1;
      return iw > 0 && ih > 0 ? int64_t{iw} * k.src_bytes_per_2px / 2 * ih : 0;
    case Family::kInterlaced: return 2 * area(iw, ih / 2);
  }
  return 0;
}

// A buffer of exactly `bytes`, ending at a guard page or starting right
// after one (then at offset 0, 8 or 1: 16-byte aligned, 8 but not 16, odd).
struct Placed {
  std::unique_ptr<GuardedBuffer> buffer;
  uint8_t* data;
};
Placed place(Input& in, int64_t bytes) {
  const int choice = in.pick(4);
  if (choice == 0) {
    auto b = std::make_unique<GuardedBuffer>(static_cast<size_t>(bytes), Guard::kAfter, 1);
    uint8_t* p = b->data();
    return {std::move(b), p};
  }
  const size_t offset = choice == 1 ? 0 : choice == 2 ? 8 : 1;
  auto b = std::make_unique<GuardedBuffer>(static_cast<size_t>(bytes) + offset, Guard::kBefore);
  uint8_t* p = b->data() + offset;
  return {std::move(b), p};
}

void set_something(Input& in, ppl_context* c) {
  switch (in.pick(10)) {
    case 0: ppl_set_decimation(c, in.pick(5) - 2, in.size(kSizes, kSizeCount), in.size(kSizes, kSizeCount)); break;
    case 1: ppl_new_frame_size(c, in.size(kSizes, kSizeCount), in.size(kSizes, kSizeCount)); break;
    case 2:
      ppl_new_frame_sizes(c, in.size(kSizes, kSizeCount), in.size(kSizes, kSizeCount), in.size(kSizes, kSizeCount),
                          in.size(kSizes, kSizeCount));
      break;
    case 3: ppl_set_h_mirror(c, in.byte() & 1); break;
    case 4: ppl_set_v_mirror(c, in.byte() & 1); break;
    case 5: ppl_set_quality(c, in.pick(8) - 1); break;
    case 6: ppl_ext_set_path_limit(c, in.pick(6) - 1); break;
    case 7: ppl_set_P3_only(c, in.byte() & 1); break;
    case 8: ppl_set_intl_3T_threshold(c, static_cast<int32_t>(in.u32() % 1024)); break;
    default: ppl_set_rgb_gain(c, in.pick(255) * 8, in.pick(255) * 8, in.pick(255) * 8); break;
  }
}

}  // namespace
}  // namespace pplcam::fuzz

using namespace pplcam::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  ppl_context* c = ppl_init();
  if (!c) __builtin_trap();
  // A known geometry first: a slot keeps the last input's.
  ppl_new_frame_sizes(c, 320, 240, 320, 240);
  for (int calls = in.pick(4) + 1; calls > 0; --calls) {
    for (int setters = in.pick(4); setters > 0; --setters) set_something(in, c);
    const Call& k = kCalls[in.pick(kCallCount)];
    const int32_t iw = in.size(kSizes, kSizeCount), ih = in.size(kSizes, kSizeCount);
    const int32_t ow = in.size(kSizes, kSizeCount), oh = in.size(kSizes, kSizeCount);
    const int64_t sb = src_bytes(k, iw, ih), db = dst_bytes(k, c, iw, ih, ow, oh);
    if (sb > kMaxBytes || db > kMaxBytes) continue;
    const int sources = k.family == Family::kInterlaced ? 3 : 1;
    Placed src[3];
    for (int i = 0; i < sources; ++i) src[i] = place(in, sb);
    Placed dst = place(in, db);
    size_t n;
    const uint8_t* bytes = in.rest(&n);
    for (int i = 0; i < sources; ++i)
      for (int64_t at = 0; n && at < sb; at += static_cast<int64_t>(n))
        std::memcpy(src[i].data + at, bytes, static_cast<size_t>(std::min<int64_t>(n, sb - at)));
    uint8_t* const srcs[3] = {src[0].data, src[1].data, src[2].data};
    k.fn(c, srcs, dst.data, iw, ih, ow, oh);
  }
  ppl_free(c);
  return 0;
}
