// Plain-word and wildcard scans allocate nothing once warmed up. Counted with
// a replaced global operator new that counts only while a test asks it to,
// since every test of the library links into this binary.
#include <cstdlib>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "support/test_area.h"
#include "vessamund/contain_item.h"
#include "vessamund/wildcard_item.h"

namespace {
thread_local bool tCounting = false;
thread_local long tAllocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  if (tCounting) ++tAllocations;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
// GCC cannot see that the operator new above is the malloc behind these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using vmund_test::makeRecord;
using vmund_test::RecordingLogger;
using vmund_test::TestArea;

// Allocations made by one scan of `area` after a first, uncounted one.
long allocationsOfScan(Vessamund::DictionaryItemImpl& item, TestArea& area) {
  RecordingLogger logger;
  item.scan(&area, 1000, logger);
  tAllocations = 0;
  tCounting = true;
  item.scan(&area, 1000, logger);
  tCounting = false;
  EXPECT_TRUE(logger.reports.empty());
  return tAllocations;
}

TEST(ScanAllocationTest, CounterSeesAllocations) {
  tAllocations = 0;
  tCounting = true;
  std::string* s = new std::string(100, 'x');
  tCounting = false;
  delete s;
  EXPECT_GE(tAllocations, 1);
}

TEST(ScanAllocationTest, ScansWithoutMatchAllocateNothing) {
  std::string body;
  for (int i = 0; i < 2000; ++i) body += "Dear Customer, please find the report attached. ";
  TestArea area{{"Subject: quarterly figures", 1}, {body, 1}, {body, 8}};

  auto contain = makeRecord(3, "confidential", 1);
  Vessamund::DictionaryContain containItem(&contain);
  EXPECT_EQ(0, allocationsOfScan(containItem, area));

  for (char const* pattern : {"conf*ential", "*[0-9]*[0-9]*x", "acc?unt", "[!a-z]*q"}) {
    SCOPED_TRACE(pattern);
    auto wildcard = makeRecord(0, pattern, 1);
    Vessamund::DictionaryWildcard wildcardItem(&wildcard);
    EXPECT_EQ(0, allocationsOfScan(wildcardItem, area));
  }
}

}  // namespace
