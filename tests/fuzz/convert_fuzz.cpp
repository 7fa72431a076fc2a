// Every converter, processing operation and geometry setter with sizes
// odd, zero, negative or huge, every buffer placed against an inaccessible
// page and sized exactly by the byte counts of pplcam.h ("Buffer sizes").
// A read or write outside a buffer faults; ASan and UBSan report the rest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "pplcam/pplcam_ext.h"
#include "target_calls.h"

namespace pplcam::fuzz {
namespace {

using test::FrameFunction;
using test::Guard;
using test::GuardedBuffer;
using test::Shape;

const int32_t kSizes[] = {0,   1,   2,   8,   16,  32,  64,  120, 128, 150, 160,  176, 240,
                          288, 300, 320, 352, 480, 576, 640, 704, 720, 960, 1024, 1280};
constexpr int kSizeCount = sizeof kSizes / sizeof kSizes[0];
// Buffers beyond this are not mapped; such calls are skipped.
constexpr int64_t kMaxBytes = int64_t{24} << 20;
constexpr int64_t kTooMany = kMaxBytes + 1;

int32_t pick_size(Input& in) { return in.size(kSizes, kSizeCount); }
int64_t area(int64_t w, int64_t h) { return w > 0 && h > 0 ? w * h : 0; }

// Destination bytes of pplcam.h's "Buffer sizes".
// Counts beyond kMaxBytes come back as kTooMany (the call is skipped).
int64_t dst_bytes(const FrameFunction& k, ppl_context* c, int32_t iw, int32_t ih, int32_t ow, int32_t oh) {
  const auto bytes = [&k](int64_t pixels) { return pixels * k.output_bytes_per_pixel_x2 / 2; };
  if (k.shape != Shape::kBayer) {
    const int64_t p = area(ow, oh);
    return p > kMaxBytes ? kTooMany : bytes(p);
  }
  const int64_t n = area(iw, ih);
  if (n > kMaxBytes) return kTooMany;
  const std::string name = k.name;
  if (name.rfind("ppl_process_", 0) == 0) {
    // The stored geometry at the new input size (refused when it fits no
    // buffer: then nothing may be written at all).
    const int32_t d = ppl_decimation(c);
    const int64_t top = ppl_decimation_top_black_lines(c), bottom = ppl_decimation_bottom_black_lines(c);
    if (top < 0 || bottom < 0) return 0;
    const int64_t w = d >= 0 ? int64_t{iw} >> d : int64_t{iw} * 2;
    const int64_t h = (d >= 0 ? int64_t{ih} >> d : int64_t{ih} * 2) + top + bottom;
    if (w <= 0 || h <= 0) return 0;
    if (w > INT32_MAX / 4 || h > INT32_MAX / 4 || 4 * w * h > INT32_MAX) return 0;
    return bytes(w * h);
  }
  if (name.find("_intp_1_2") != std::string::npos) return bytes(4 * n);
  if (name.find("_deci_2_1") == std::string::npos) return bytes(n);
  // Half size: the picture, or the fallback fill of n / 4 pixels when that
  // is larger (the YUV outputs fill as I420: 12 bits a pixel).
  const int64_t q = n / 4;
  return std::max(bytes(area(iw / 2, ih / 2)), k.output_bytes_per_pixel_x2 >= 6 ? bytes(q) : q + q / 2);
}

int64_t src_bytes(const FrameFunction& k, int32_t iw, int32_t ih) {
  switch (k.shape) {
    case Shape::kBayer: return area(iw, ih);
    case Shape::kProgressive:
      if (area(iw, ih) > kMaxBytes) return kTooMany;
      return iw > 0 && ih > 0 ? int64_t{iw} * k.input_bytes_per_pixel_x2 / 2 * ih : 0;
    case Shape::kInterlaced: return 2 * area(iw, ih / 2);
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
  const size_t offset = choice == 2 ? 8 : choice == 3 ? 1 : 0;
  auto b = choice == 0 ? std::make_unique<GuardedBuffer>(static_cast<size_t>(bytes), Guard::kAfter, 1)
                       : std::make_unique<GuardedBuffer>(static_cast<size_t>(bytes) + offset, Guard::kBefore);
  uint8_t* p = b->data() + offset;
  return {std::move(b), p};
}

void set_something(Input& in, ppl_context* c) {
  switch (in.pick(10)) {
    case 0: ppl_set_decimation(c, in.pick(5) - 2, pick_size(in), pick_size(in)); break;
    case 1: ppl_new_frame_size(c, pick_size(in), pick_size(in)); break;
    case 2: ppl_new_frame_sizes(c, pick_size(in), pick_size(in), pick_size(in), pick_size(in)); break;
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
    const std::vector<FrameFunction>& functions = pplcam::test::exported_frame_functions();
    const FrameFunction& k = functions[in.pick(static_cast<int>(functions.size()))];
    const int32_t iw = pick_size(in), ih = pick_size(in), ow = pick_size(in), oh = pick_size(in);
    const int64_t sb = src_bytes(k, iw, ih), db = dst_bytes(k, c, iw, ih, ow, oh);
    if (sb > kMaxBytes || db > kMaxBytes) continue;
    const int sources = k.shape == Shape::kInterlaced ? 3 : 1;
    Placed src[3];
    for (int i = 0; i < sources; ++i) src[i] = place(in, sb);
    Placed dst = place(in, db);
    size_t n;
    const uint8_t* bytes = in.rest(&n);
    for (int i = 0; i < sources; ++i)
      for (int64_t at = 0; n && at < sb; at += static_cast<int64_t>(n))
        std::memcpy(src[i].data + at, bytes, static_cast<size_t>(std::min<int64_t>(n, sb - at)));
    uint8_t* const srcs[3] = {src[0].data, src[1].data, src[2].data};
    pplcam::test::call_frame_function(k, c, srcs, dst.data, {iw, ih, ow, oh});
  }
  ppl_free(c);
  return 0;
}
