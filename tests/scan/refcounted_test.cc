// Handles: every object deleted exactly once, whatever the copies, threads
// and self-assignments.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "vessamund/VmundRefcounted"

namespace {

using Vessamund::Exception;
using Vessamund::Ref;
using Vessamund::RefCounted;
using Vessamund::RefImpl;

std::atomic<int> g_deleted{0};

struct Counted : RefImpl {
  ~Counted() override { ++g_deleted; }
};
// A shared object behind a virtual base, as scanners are.
struct VirtualBase : virtual RefImpl {};
struct Scanner : VirtualBase {
  ~Scanner() override { ++g_deleted; }
};

TEST(RefTest, CopiesAssignmentsAndSelfAssignmentDeleteOnce) {
  g_deleted = 0;
  {
    Ref<Counted> a(new Counted);
    {
      Ref<Counted> b(a);
      Ref<Counted> c;
      c = b;
      Ref<Counted>& alias = c;
      c = alias;
      EXPECT_EQ(3, a->refCount());
      EXPECT_NE(a.control(), c.control());  // every copy has its own control object
    }
    EXPECT_EQ(1, a->refCount());
    Ref<Counted> other(new Counted);
    other = a;  // releases the object it held
    EXPECT_EQ(1, g_deleted);
    other = Ref<Counted>();
    EXPECT_TRUE(other.empty());
  }
  EXPECT_EQ(2, g_deleted);
  { Ref<VirtualBase> s(new Scanner); Ref<VirtualBase> t = s; }
  EXPECT_EQ(3, g_deleted);
}

TEST(RefTest, ManyThreadsDroppingHandlesDeleteOnce) {
  constexpr int kThreads = 8;
  for (int round = 0; round < 50; ++round) {
    g_deleted = 0;
    std::vector<Ref<Counted>> handles;
    {
      Ref<Counted> origin(new Counted);
      for (int i = 0; i < kThreads; ++i) handles.push_back(origin);
    }
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        while (!go) {
        }
        Ref<Counted> local(handles[i]);  // copy, then drop both
        handles[i] = Ref<Counted>();
      });
    }
    go = true;
    for (auto& t : threads) t.join();
    ASSERT_EQ(1, g_deleted) << "round " << round;
  }
}

}  // namespace
