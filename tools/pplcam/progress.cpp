#include "progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace pplcam_tool {

ProgressBar::ProgressBar(size_t total)
    : total_(total), active_(isatty(STDERR_FILENO) && total != 1),
      start_(std::chrono::steady_clock::now()), last_(start_) {}

void ProgressBar::update(size_t done) {
  if (!active_) return;
  const auto now = std::chrono::steady_clock::now();
  // Redraw at most 10 times a second, and always for the last frame.
  if (done != total_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double fps = seconds > 0 ? done / seconds : 0.0;
  constexpr int kWidth = 30;
  std::string bar;
  if (total_) {
    const int filled = int(done * kWidth / total_);
    bar = "[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] ";
    std::fprintf(stderr, "\r%s%zu/%zu frames  %.1f fps ", bar.c_str(), done, total_, fps);
  } else {
    std::fprintf(stderr, "\r%zu frames  %.1f fps ", done, fps);
  }
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::finish() {
  if (drawn_) std::fputc('\n', stderr);
  drawn_ = false;
  active_ = false;
}

}  // namespace pplcam_tool
