// Counts heap allocations made through operator new on the calling thread,
// so a test can show that a warmed-up scan allocates nothing. The counting
// operator new is defined once for the whole test binary, in
// tests/items/allocation_count_test.cc; include this header, never define a
// second one.
#ifndef VESSAMUND_TESTS_SUPPORT_ALLOCATION_COUNT_H_
#define VESSAMUND_TESTS_SUPPORT_ALLOCATION_COUNT_H_

namespace vmund_test {

// Allocations by operator new (every form) on this thread since it started.
unsigned long allocationCount();

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_ALLOCATION_COUNT_H_
