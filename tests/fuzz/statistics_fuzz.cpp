// One Bayer frame with fuzzed contents, size, quality and statistics
// controls, converted on every kernel path of the machine: the pictures
// are the same on every path, the statistics the same on every path of one
// column-group width, and every getter stays within its documented range.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/path_table.h"
#include "fuzz_input.h"
#include "pplcam/pplcam.h"
#include "pplcam/pplcam_ext.h"
#include "support/buffers.h"

namespace pplcam::fuzz {
namespace {

using Figures = std::vector<uint32_t>;

// A failed check stops the run as a crash, which libFuzzer reports.
inline void require(bool ok) {
  if (!ok) __builtin_trap();
}

constexpr uint32_t kMaxMean = 255 * 256;   // 8.8 fixed point

void add_triple(Figures& f, const uint32_t* t, bool in_range = true) {
  for (int i = 0; i < 3; ++i) {
    if (in_range) require(t[i] <= kMaxMean);
    f.push_back(t[i]);
  }
}

// Every per-context figure of the last frame, the qAE and qual means (and
// the whole-frame means at quality 3) range-checked. The window means are compared between paths only: their
// normalisers count the cells of whole windows of the widest group width,
// which the sampling of small frames and of the narrower groups does not
// match, so they may leave 0..255 x 256.
Figures statistics(ppl_context* c, int quality) {
  Figures f;
  uint32_t columns = 0, rows = 0;
  require(ppl_n_sub_windows(c, &columns, &rows) == 48 && columns == 8 && rows == 6);
  const uint32_t* windows = ppl_rgb_means_sub_windows(c);
  for (int w = 0; w < 48; ++w) add_triple(f, windows + 3 * w, false);
  add_triple(f, ppl_rgb_means_outside_all_sub_windows(c), false);
  add_triple(f, ppl_rgb_means_all_sub_windows(c), false);
  // Below quality 3 the whole-frame figures are scaled from the sampled
  // region to the whole frame, and on small frames the scale overshoots
  // (144 x 24 at quality 0 gave a mean of 66232); quality 3 samples every
  // cell.
  add_triple(f, ppl_rgb_means_whole_frame(c), quality == 3);
  add_triple(f, ppl_qAE_rgb_means_whole_frame(c));
  add_triple(f, ppl_qual_rgb_means_whole_frame(c));
  const uint32_t n_qae = ppl_n_qAE_2x2_whole_frame(c), n_qual = ppl_n_qual_2x2_whole_frame(c);
  f.push_back(n_qae);
  f.push_back(n_qual);
  const uint32_t* qual = ppl_qual_rgb_means_whole_frame(c);
  const uint32_t* qae = ppl_qAE_rgb_means_whole_frame(c);
  if (n_qual == 0) require(qual[0] == 0 && qual[1] == 0 && qual[2] == 0);
  if (n_qae == 0) require(qae[0] == 0 && qae[1] == 0 && qae[2] == 0);
  for (const uint32_t* h : {ppl_r_histogram(c), ppl_g_histogram(c), ppl_b_histogram(c)})
    f.insert(f.end(), h, h + 256);
  // Quality 3 fills no sub-window; qualities 4 and 5 gather nothing.
  if (quality >= 3)
    for (int i = 0; i < 48 * 3; ++i) require(windows[i] == 0);
  if (quality >= 4)
    for (uint32_t v : f) require(v == 0);
  return f;
}

}  // namespace
}  // namespace pplcam::fuzz

using namespace pplcam;
using namespace pplcam::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  // Widths the paths agree on (multiples of 16), heights even; small
  // enough for many frames a second.
  const int32_t width = 16 * (in.pick(40) + 2), height = 2 * (in.pick(60) + 6);
  const int quality = in.pick(6);
  ppl_context* c = ppl_init();
  if (!c) __builtin_trap();
  ppl_set_quality(c, quality);
  ppl_set_mean_collection(c, 1);
  ppl_set_rgb_gain(c, in.pick(128) * 4, in.pick(128) * 4, in.pick(128) * 4);
  ppl_set_qual_BmGb_min_max(c, -in.pick(128), in.pick(128));
  ppl_set_qual_GrmR_min_max(c, -in.pick(128), in.pick(128));
  ppl_set_qual_RGB_min_max(c, in.pick(64), 255 - in.pick(64), in.pick(64), 255 - in.pick(64), in.pick(64),
                           255 - in.pick(64));
  ppl_set_qAE_RGB_min_max(c, in.pick(128), 255 - in.pick(128));

  size_t n;
  const uint8_t* bytes = in.rest(&n);
  std::vector<uint8_t> frame(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = n ? bytes[i % n] : static_cast<uint8_t>(i);

  test::AlignedBuffer src(frame.size(), test::Align::k16);
  test::AlignedBuffer dst(frame.size() * 3, test::Align::k16);
  std::vector<uint8_t> first_picture;
  std::vector<Figures> by_group(64);
  const uint32_t paths = ppl_ext_available_paths();
  for (int id = 1; id < kPathRows; ++id) {
    if (!(paths & (1u << id))) continue;
    ppl_ext_set_path_limit(c, id);
    std::memcpy(src.data(), frame.data(), frame.size());
    std::memset(dst.data(), 0, dst.size());
    BaylorToRGB24MMX(c, src.data(), dst.data(), width, height);
    require(ppl_ext_last_path(c) == id);
    std::vector<uint8_t> picture(dst.data(), dst.data() + dst.size());
    if (first_picture.empty()) first_picture = picture;
    require(picture == first_picture);
    const Figures f = statistics(c, quality);
    Figures& same_group = by_group[path_traits(static_cast<PathId>(id)).group_bytes];
    if (same_group.empty()) same_group = f;
    require(f == same_group);
  }
  ppl_free(c);
  return 0;
}
