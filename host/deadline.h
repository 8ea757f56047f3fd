// A progress callback that gives each message a time budget, so that one
// pathological message cannot hold up a whole batch.
#ifndef VMUND_CLI_HOST_DEADLINE_H_
#define VMUND_CLI_HOST_DEADLINE_H_

#include <chrono>
#include <cstdint>
#include <string>

#include "vessamund/scan_area.h"

namespace vmund {

// Stops a message's scans once its budget has run out: poll() turns false
// (the dictionary reports what it reached) and expired() true (the group
// stops after the current member). The library asks between items, so a
// single item already running finishes first.
//
// One object per scanning thread; arm() before each message, then hand it to
// every scan of that message. Reads the clock, allocates nothing, takes no
// lock.
class DeadlineProgress : public Vessamund::ProgressCb {
 public:
  using Clock = std::chrono::steady_clock;
  // Returns the current time; tests pass a fake.
  using NowFn = Clock::time_point (*)();

  // `budget` 0 means no limit.
  explicit DeadlineProgress(std::chrono::milliseconds budget, NowFn now = &Clock::now);

  // Starts the budget of the next message and clears timedOut().
  void arm();
  // When the armed message's budget runs out (time_point::max() for none),
  // for work outside the library's scans such as reading attachments.
  Clock::time_point deadline() const {
    return budget_.count() == 0 ? Clock::time_point::max() : deadline_;
  }
  // True when a poll() or expired() of this message found the budget spent.
  bool timedOut() const { return timedOut_; }

  // Returns 0: poll() before every item, since a clock read is cheap next to
  // any item's scan.
  unsigned int start(Vessamund::DScanAreaImpl* area, std::string& matchText) override;
  bool poll() override;
  bool expired() override;

 private:
  bool spent();

  std::chrono::milliseconds budget_;
  NowFn now_;
  Clock::time_point deadline_;
  bool timedOut_ = false;
};

}  // namespace vmund

#endif  // VMUND_CLI_HOST_DEADLINE_H_
