// Progress display for long batches; see progress_line.h.
#include "vmund/progress_line.h"

#include <cstdio>

namespace vmund {

ProgressLine::ProgressLine(std::ostream& out, bool enabled, size_t files, uint64_t bytes)
    : out_(out),
      enabled_(enabled),
      files_(files),
      bytes_(bytes),
      start_(Clock::now()),
      lastDraw_(start_) {}

void ProgressLine::show(size_t filesDone, uint64_t bytesDone) {
  if (!enabled_) return;
  Clock::time_point now = Clock::now();
  if (now - lastDraw_ < std::chrono::milliseconds(200)) return;
  lastDraw_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  double mb = static_cast<double>(bytesDone) / (1 << 20);
  double rate = seconds > 0 ? mb / seconds : 0;
  char eta[32] = "--:--";
  if (rate > 0 && bytesDone > 0) {
    double left = (static_cast<double>(bytes_ - bytesDone) / (1 << 20)) / rate;
    unsigned s = static_cast<unsigned>(left + 0.5);
    std::snprintf(eta, sizeof eta, "%u:%02u", s / 60, s % 60);
  }
  char line[160];
  std::snprintf(line, sizeof line, "\r\033[Kfiles %zu/%zu  %.1f MB  %.1f MB/s  ETA %s", filesDone,
                files_, mb, rate, eta);
  out_ << line << std::flush;
  drawn_ = true;
}

void ProgressLine::clear() {
  if (!drawn_) return;
  out_ << "\r\033[K" << std::flush;
  drawn_ = false;
}

void ProgressLine::finish() {
  clear();
  enabled_ = false;
}

}  // namespace vmund
