// A warmed-up scan of a part with no match allocates nothing, for one item of
// each family: engine scratch is made on the first scan and reused,
// validators, counters and wildcard state live on the stack.
#include <string>

#include <gtest/gtest.h>

#include "support/allocation_count.h"
#include "support/test_area.h"
#include "vessamund/contain_item.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex_item.h"
#include "vessamund/wildcard_item.h"

namespace {

using namespace Vessamund;
using vmund_test::makeRecord;
using vmund_test::TestArea;

template <class T>
Ref<DictionaryItemImpl> make(uint16_t type, char const* pattern) {
  auto record = makeRecord(type, pattern, 1);
  return Ref<DictionaryItemImpl>(new T(&record));
}

TEST(ScanAllocationTest, WarmScanWithoutMatchAllocatesNothing) {
  Ref<DictionaryItemImpl> const items[] = {
      make<DictionaryContain>(3, "confidential"),
      make<DictionaryWildcard>(0, "*[0-9]*[0-9]*x"),
      make<DictionaryRegex>(1, "caf&#233;|invoice\\s+#?\\d{6}"),  // UTF-8 mode
      make<DictionaryCC>(258, ""),
      make<DictionaryIBAN>(269, ""),
  };
  // Digits, separators and line breaks everywhere, but no identifier: the
  // candidates the engine proposes are all refused.
  TestArea area{
      {"Subject: Re: meeting 12.03. at 10:30, room 4-117", 4},
      {"Hi all,\r\nthe 2024 figures (1 234 567 EUR, +3.5%) are in.\r\n"
       "Call 0049 30 1234-5678 or ext. 4711; ref 12-34-56, 1234 5678 9012 3456.\r\n",
       1},
      {"Sent from my phone", 8},
  };
  for (auto const& item : items) {
    SCOPED_TRACE(item->pattern);
    vmund_test::RecordingLogger logger;
    item->scan(&area, 100, logger);  // warm-up: thread scratch, lazy JIT state
    ASSERT_TRUE(logger.reports.empty()) << logger.reports[0].match;
    unsigned long before = vmund_test::allocationCount();
    EXPECT_EQ(0ul, item->scan(&area, 100, logger));
    EXPECT_EQ(before, vmund_test::allocationCount());
  }
}

}  // namespace
