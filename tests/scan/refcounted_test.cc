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

class RefTest : public ::testing::Test {
 protected:
  void SetUp() override { g_deleted = 0; }
};

TEST_F(RefTest, AdoptedObjectDiesWithLastHandle) {
  {
    Ref<Counted> a(new Counted);
    EXPECT_EQ(1, a->refCount());
    {
      Ref<Counted> b(a);
      Ref<Counted> c;
      c = b;
      EXPECT_EQ(3, a->refCount());
      EXPECT_TRUE(*a.control() == *c.control());
      EXPECT_NE(a.control(), c.control());  // every copy has its own control object
    }
    EXPECT_EQ(0, g_deleted);
    EXPECT_EQ(1, a->refCount());
  }
  EXPECT_EQ(1, g_deleted);
}

TEST_F(RefTest, VirtualBaseObjectDeletedOnce) {
  { Ref<VirtualBase> s(new Scanner); Ref<VirtualBase> t = s; }
  EXPECT_EQ(1, g_deleted);
}

TEST_F(RefTest, SelfAssignmentKeepsCount) {
  Ref<Counted> a(new Counted);
  Ref<Counted>& alias = a;
  a = alias;
  EXPECT_EQ(1, a->refCount());
  EXPECT_EQ(0, g_deleted);
}

TEST_F(RefTest, AssignmentReleasesOldObject) {
  Ref<Counted> a(new Counted);
  Ref<Counted> b(new Counted);
  a = b;
  EXPECT_EQ(1, g_deleted);
  EXPECT_EQ(2, b->refCount());
  a = Ref<Counted>();  // assigning an empty handle empties it
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(1, b->refCount());
}

TEST_F(RefTest, EmptyHandleThrowsOnDereference) {
  Ref<Counted> empty;
  Ref<Counted> copy(empty);
  EXPECT_TRUE(copy.empty());
  try {
    copy.operator->();
    FAIL() << "no exception";
  } catch (Exception const& e) {
    EXPECT_EQ(1, e.code());
    EXPECT_EQ("operator->", e.message());
    EXPECT_STREQ("../../../vessamund/include2/VmundRefcounted", e.file());
    EXPECT_EQ(359u, e.line());
  }
}

TEST_F(RefTest, HandleBoundToNullReturnsNull) {
  Ref<Counted> bound(static_cast<Counted*>(nullptr));
  Ref<Counted> copy(bound);
  EXPECT_FALSE(copy.empty());
  EXPECT_EQ(nullptr, copy.operator->());
  EXPECT_TRUE(*bound.control() == *copy.control());
}

TEST_F(RefTest, ControlObjectAddRefRules) {
  try {
    RefCounted<Counted> c(nullptr, true);
    FAIL() << "no exception";
  } catch (Exception const& e) {
    EXPECT_EQ(4, e.code());
    EXPECT_EQ("RefCounted constructor for RefImpl failed.", e.message());
    EXPECT_EQ(nullptr, e.file());
    EXPECT_EQ(0u, e.line());
  }
  EXPECT_NO_THROW(RefCounted<Counted>(nullptr, false));
  Counted* p = new Counted;
  {
    RefCounted<Counted> owner(p, false);
    RefCounted<Counted> extra(p, true);
    EXPECT_EQ(2, p->refCount());
  }
  EXPECT_EQ(1, g_deleted);
}

TEST_F(RefTest, ManyThreadsDroppingHandlesDeleteOnce) {
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
