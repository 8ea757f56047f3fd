// The per-message time budget, driven by a fake clock.
#include "host/deadline.h"

#include <gtest/gtest.h>

namespace {

using Clock = vmund::DeadlineProgress::Clock;
using std::chrono::milliseconds;

Clock::time_point fakeNow;
Clock::time_point now() { return fakeNow; }

TEST(Deadline, StopsOnceTheBudgetIsSpentAndRearms) {
  vmund::DeadlineProgress d(milliseconds(100), &now);
  std::string text;
  EXPECT_EQ(d.start(nullptr, text), 0u);  // poll before every item
  d.arm();
  fakeNow += milliseconds(99);
  EXPECT_TRUE(d.poll());
  EXPECT_FALSE(d.expired());
  EXPECT_FALSE(d.timedOut());
  fakeNow += milliseconds(1);
  EXPECT_FALSE(d.poll());
  EXPECT_TRUE(d.expired());
  EXPECT_TRUE(d.timedOut());
  d.arm();  // the next message has its own budget
  EXPECT_FALSE(d.timedOut());
  EXPECT_TRUE(d.poll());
  // A zero budget never expires.
  vmund::DeadlineProgress none(milliseconds(0), &now);
  none.arm();
  fakeNow += std::chrono::hours(24);
  EXPECT_TRUE(none.poll());
  EXPECT_FALSE(none.expired());
}

}  // namespace
