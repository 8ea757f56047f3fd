// The one-line progress display of `vmund scan` on standard error.
#ifndef VMUND_CLI_VMUND_PROGRESS_LINE_H_
#define VMUND_CLI_VMUND_PROGRESS_LINE_H_

#include <chrono>
#include <cstdint>
#include <ostream>

namespace vmund {

// Shows "files 12/300  45.2 MB  12.3 MB/s  ETA 0:21" and redraws it in
// place, at most five times a second. Inactive (every call does nothing)
// when `enabled` is false. Used by one thread.
class ProgressLine {
 public:
  ProgressLine(std::ostream& out, bool enabled, size_t files, uint64_t bytes);
  ~ProgressLine() { finish(); }

  void show(size_t filesDone, uint64_t bytesDone);
  // Erases the line so that other output starts at the left margin.
  void clear();
  // Erases the line for good.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream& out_;
  bool enabled_;
  size_t files_;
  uint64_t bytes_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  bool drawn_ = false;  // a line is on the screen now
};

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_PROGRESS_LINE_H_
