// Plain-word and wildcard scans allocate nothing once warmed up.
#include <string>

#include <gtest/gtest.h>

#include "support/allocation_count.h"
#include "support/test_area.h"
#include "vessamund/contain_item.h"
#include "vessamund/wildcard_item.h"

namespace {

using vmund_test::makeRecord;
using vmund_test::RecordingLogger;
using vmund_test::TestArea;

// Allocations made by one scan of `area` after a first, uncounted one.
long allocationsOfScan(Vessamund::DictionaryItemImpl& item, TestArea& area) {
  RecordingLogger logger;
  item.scan(&area, 1000, logger);
  unsigned long const before = vmund_test::allocationCount();
  item.scan(&area, 1000, logger);
  unsigned long const after = vmund_test::allocationCount();
  EXPECT_TRUE(logger.reports.empty());
  return static_cast<long>(after - before);
}

TEST(WordItemAllocationTest, ScansWithoutMatchAllocateNothing) {
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
