// The kernel-path extensions: which paths there are, the context's limit on
// the choice and the path that ran its last frame.
#include "core/context.h"
#include "core/path_table.h"
#include "pplcam/pplcam_ext.h"

namespace pplcam {
namespace {

bool known_path(int32_t id) { return id >= 0 && id < kPathRows; }

static_assert(PPL_EXT_PATH_NONE == static_cast<int>(PathId::kNone) &&
                  PPL_EXT_PATH_MMX == static_cast<int>(PathId::kMmx) &&
                  PPL_EXT_PATH_SSE2 == static_cast<int>(PathId::kSse2) &&
                  PPL_EXT_PATH_AVX2 == static_cast<int>(PathId::kAvx2) &&
                  PPL_EXT_PATH_AVX512 == static_cast<int>(PathId::kAvx512),
              "the public ids are the path table's");

}  // namespace
}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint32_t PPLCALL ppl_ext_available_paths(void) { return available_paths(); }

uint8_t PPLCALL ppl_ext_set_path_limit(ppl_context* c, int32_t id) {
  if (!known_path(id) || id == PPL_EXT_PATH_NONE) return 0;
  c->path_limit = static_cast<PathId>(id);
  return 1;
}

int32_t PPLCALL ppl_ext_path_limit(ppl_context* c) { return static_cast<int32_t>(c->path_limit); }

int32_t PPLCALL ppl_ext_last_path(ppl_context* c) { return static_cast<int32_t>(c->last_path); }

const char* PPLCALL ppl_ext_path_name(int32_t id) { return known_path(id) ? kPathTraits[id].name : nullptr; }

}  // extern "C"
