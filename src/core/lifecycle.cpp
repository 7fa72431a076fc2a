// The context pool: eight static slots, handed out lowest-free-first.
//
// The pool lives in zero-initialised static storage and is cleared again by
// the load entry; nothing else clears it, so a slot handed out again keeps
// its frame size, statistics and frame counter.
#include <cstring>

#include "core/context.h"
#include "core/large_frames.h"
#include "core/lifecycle.h"
#include "pplcam/pplcam.h"

namespace pplcam {
namespace {
alignas(32) ppl_context g_pool[kPoolSlots];
}  // namespace

ppl_context* pool_slot(int i) { return &g_pool[i]; }

void load_entry() { std::memset(static_cast<void*>(g_pool), 0, sizeof g_pool); }

// Two cameras may open their streams at the same moment: a slot is taken
// with one compare-exchange of its in_use byte, so no two callers get the
// same slot (GCC's __atomic builtins inline to lock cmpxchg, with no import
// in the kernel-mode build). The slot's fields are set after the claim.
ppl_context* claim_slot() {
  for (int i = 0; i < kPoolSlots; ++i) {
    ppl_context* c = pool_slot(i);
    uint8_t expected = 0;
    if (!__atomic_compare_exchange_n(&c->in_use, &expected, uint8_t{1}, false, __ATOMIC_ACQUIRE,
                                     __ATOMIC_RELAXED))
      continue;
    c->path_limit = kWidestPath;
    c->last_path = PathId::kNone;
    // A slot keeps its frame size from its last owner, but not the last
    // owner's work area.
    use_own_work_area(c);
    forget_size_not_held(c);
    return c;
  }
  return nullptr;
}

}  // namespace pplcam

using namespace pplcam;

extern "C" {

uint8_t PPLCALL ppl_free(ppl_context* c) {
  if (!c) return 0;
  // Release: the freeing caller's last writes come before the next claim.
  __atomic_store_n(&c->in_use, uint8_t{0}, __ATOMIC_RELEASE);
  return 1;
}

uint32_t PPLCALL DllUnload(void) { return 0; }

}  // extern "C"
