#include "interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace pplcam_tool {

namespace {

// Fixed storage: the handler may only read plain memory and call unlink.
constexpr int kSlots = 16;
char g_paths[kSlots][PATH_MAX];
volatile sig_atomic_t g_used[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temporaries(int sig) {
  for (int i = 0; i < kSlots; ++i)
    if (g_used[i]) unlink(g_paths[i]);
  signal(sig, SIG_DFL);
  raise(sig);
}

}  // namespace

void install_interrupt_cleanup() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = remove_temporaries;
  sigemptyset(&action.sa_mask);
  for (int sig : kSignals) sigaddset(&action.sa_mask, sig);
  for (int sig : kSignals) {
    // A signal the caller ignores (nohup) stays ignored.
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(sig, &action, nullptr);
  }
}

int track_temporary(const char* path) {
  if (std::strlen(path) >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (g_used[i]) continue;
    std::strcpy(g_paths[i], path);
    g_used[i] = 1;
    return i;
  }
  return -1;
}

void untrack_temporary(int slot) {
  if (slot >= 0 && slot < kSlots) g_used[slot] = 0;
}

}  // namespace pplcam_tool
