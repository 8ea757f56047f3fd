// The per-message time budget behind `vmund scan --timeout`.
#include "host/deadline.h"

namespace vmund {

DeadlineProgress::DeadlineProgress(std::chrono::milliseconds budget, NowFn now)
    : budget_(budget), now_(now), deadline_(now()) {}

void DeadlineProgress::arm() {
  deadline_ = now_() + budget_;
  timedOut_ = false;
}

unsigned int DeadlineProgress::start(Vessamund::DScanAreaImpl*, std::string&) { return 0; }

bool DeadlineProgress::spent() {
  if (budget_.count() == 0) return false;
  if (!timedOut_ && now_() >= deadline_) timedOut_ = true;
  return timedOut_;
}

bool DeadlineProgress::poll() { return !spent(); }

bool DeadlineProgress::expired() { return spent(); }

}  // namespace vmund
