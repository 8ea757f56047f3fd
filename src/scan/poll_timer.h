// When a dictionary scan polls its progress callback.
#ifndef VESSAMUND_SRC_SCAN_POLL_TIMER_H_
#define VESSAMUND_SRC_SCAN_POLL_TIMER_H_

#include <cstdint>

namespace Vessamund {
namespace internal {

// Clock readings are whole seconds (time()) cut to 32 bits; differences are
// taken modulo 2^32, so the clock wrapping round between two readings still
// gives the true elapsed time.
//
// The last poll starts one interval before the scan's first reading, so the
// first item is always preceded by a poll (unless the clock moves on between
// that reading and the first item while the interval is within a second of
// 2^32). With interval 0 every item is.
class PollTimer {
 public:
  PollTimer(uint32_t now, uint32_t interval) : last_(now - interval), interval_(interval) {}

  bool due(uint32_t now) const { return static_cast<uint32_t>(now - last_) >= interval_; }
  // Call after a poll that said go on.
  void polled(uint32_t now) { last_ = now; }

 private:
  uint32_t last_;
  uint32_t interval_;
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_POLL_TIMER_H_
