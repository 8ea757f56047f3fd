// The test binary's counting operator new (see support/allocation_count.h),
// and a check that it counts, so a "nothing allocated" result means something.
#include "support/allocation_count.h"

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include <gtest/gtest.h>

namespace {
// Per thread: other threads of a test (or of gtest) do not disturb a count.
thread_local unsigned long allocations = 0;

void* allocate(std::size_t size) {
  ++allocations;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* allocateAligned(std::size_t size, std::align_val_t align) {
  ++allocations;
  std::size_t a = static_cast<std::size_t>(align);
  void* p = std::aligned_alloc(a, (size + a - 1) / a * a);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
}  // namespace

namespace vmund_test {
unsigned long allocationCount() { return allocations; }
}  // namespace vmund_test

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, std::nothrow_t const&) noexcept {
  try {
    return allocate(size);
  } catch (std::bad_alloc const&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, std::nothrow_t const& tag) noexcept {
  return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t align) { return allocateAligned(size, align); }
void* operator new[](std::size_t size, std::align_val_t align) {
  return allocateAligned(size, align);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

// Every form of operator new, and the library's containers, go through the
// counter: a counter that missed them would let every "nothing allocated"
// test pass.
TEST(AllocationCountTest, EveryFormOfNewCounts) {
  struct alignas(64) Wide {
    char c;
  };
  unsigned long const before = vmund_test::allocationCount();
  int* volatile one = new int(1);
  char* volatile many = new char[3];
  int* volatile quiet = new (std::nothrow) int(2);
  Wide* volatile wide = new Wide;
  std::string text(100, 'x');
  EXPECT_EQ(vmund_test::allocationCount(), before + 5);
  delete one;
  delete[] many;
  delete quiet;
  delete wide;
}

}  // namespace
