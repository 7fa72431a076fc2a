// Edge threshold, edge enhance factor and the interlaced 3T threshold: a
// plain value for the getters and the same value replicated into 16-bit
// lanes for the kernels.
#include "controls/defaults.h"
#include "controls/packing.h"
#include "core/path_build.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {

constexpr int32_t kEdgeThresholdMax = 1530;   // 6 x 255
constexpr int32_t kEdgeFactorMax = 256;       // 1.0 in nf88
constexpr int32_t kIntl3TThresholdMax = 765;  // 3 x 255

// Packs `value` into every u16 lane of one threshold of a path. Values
// beyond 16 bits are refused; the setters' range checks already exclude
// them.
template <int Bytes>
bool pack_threshold(ppl_context* c, Packed16<Bytes> GroupConstants<Bytes>::*field, int32_t value) {
  if (value < 0 || value > 0xFFFF) return false;
  pack_all16(group_constants<Bytes>(c).*field, value);
  return true;
}

uint8_t rebuild_edge_threshold(ppl_context* c) {
  return build_for_groups(1, [c](auto tag) {
    constexpr int B = decltype(tag)::kGroup;
    return pack_threshold<B>(c, &GroupConstants<B>::edge_threshold, c->edge_threshold);
  });
}
uint8_t rebuild_edge_factor(ppl_context* c) {
  // Units of 1/64 in the kernel.
  return build_for_groups(1, [c](auto tag) {
    constexpr int B = decltype(tag)::kGroup;
    return pack_threshold<B>(c, &GroupConstants<B>::edge_factor, c->edge_enhance_factor >> 2);
  });
}
uint8_t rebuild_intl_3t(ppl_context* c) {
  return build_for_groups(1, [c](auto tag) {
    constexpr int B = decltype(tag)::kGroup;
    return pack_threshold<B>(c, &GroupConstants<B>::intl_3t_threshold, c->intl_3t_threshold);
  });
}

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_set_edge_threshold(ppl_context* c, int32_t v) {
  if (static_cast<uint32_t>(v) > kEdgeThresholdMax) return 0;
  c->edge_threshold = v;
  return rebuild_edge_threshold(c);
}
void PPLCALL ppl_reset_edge_threshold(ppl_context* c) {
  c->edge_threshold = control_defaults::kEdgeThreshold;
  rebuild_edge_threshold(c);
}
int32_t PPLCALL ppl_edge_threshold(ppl_context* c) { return c->edge_threshold; }

uint8_t PPLCALL ppl_set_nf88_edge_enhance_factor(ppl_context* c, int32_t v) {
  if (static_cast<uint32_t>(v) > kEdgeFactorMax) return 0;
  c->edge_enhance_factor = v;
  return rebuild_edge_factor(c);
}
void PPLCALL ppl_reset_nf88_edge_enhance_factor(ppl_context* c) {
  c->edge_enhance_factor = control_defaults::kEdgeEnhanceFactor;
  rebuild_edge_factor(c);
}
int32_t PPLCALL ppl_nf88_edge_enhance_factor(ppl_context* c) { return c->edge_enhance_factor; }

uint8_t PPLCALL ppl_set_intl_3T_threshold(ppl_context* c, int32_t v) {
  if (static_cast<uint32_t>(v) > kIntl3TThresholdMax) return 0;
  c->intl_3t_threshold = v;
  return rebuild_intl_3t(c);
}
void PPLCALL ppl_reset_intl_3T_threshold(ppl_context* c) {
  c->intl_3t_threshold = control_defaults::kIntl3TThreshold;
  rebuild_intl_3t(c);
}
int32_t PPLCALL ppl_intl_3T_threshold(ppl_context* c) { return c->intl_3t_threshold; }

}  // extern "C"
