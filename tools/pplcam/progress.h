// A one-line progress bar on stderr for runs over many frames. It draws
// only when stderr is a terminal, so logs and pipes get no control codes.
#pragma once

#include <chrono>
#include <cstddef>

namespace pplcam_tool {

class ProgressBar {
 public:
  // total 0 means unknown (a stream): frames are counted without a bar.
  explicit ProgressBar(size_t total);
  ~ProgressBar() { finish(); }
  void update(size_t done);
  void finish();

 private:
  size_t total_;
  bool active_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace pplcam_tool
