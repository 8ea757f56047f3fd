// One dictionary end to end with real items made by the factory: a plain word
// and the card-number detector over a two-part message, giving the records a
// host sees; and no allocation once warm when nothing matches. (Scans of one
// dictionary from many threads: planned_scan_test.cc.)
#include <gtest/gtest.h>

#include <string>

#include "support/allocation_count.h"
#include "support/test_area.h"
#include "vessamund/factory.h"

namespace {

using Vessamund::DictionaryScannerImpl;
using Vessamund::ProfileDictionaryScanner;
using Vessamund::Ref;
using vmund_test::makeRecord;
using vmund_test::TestArea;

// PII: "secret" (plain word, weight 5) and card numbers (weight 10), over
// part kinds 1, 2 and 8.
Ref<DictionaryScannerImpl> piiDictionary() {
  auto* pii = new ProfileDictionaryScanner("PII");
  Ref<DictionaryScannerImpl> handle(pii);
  auto word = makeRecord(3, "secret", 5, 11);
  auto card = makeRecord(258, "", 10, 11);
  pii->add_pattern(&word);
  pii->add_pattern(&card);
  return handle;
}

// The built-in expression of sixteen-digit cards starting with 4, as the
// match log names it: plain words report nothing there.
char const kVisaExpression[] =
    R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>])(4\d{3}(-|\.|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d{4}\g{-2}\d{4})($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re";

TEST(WorkedExampleTest, WordTwiceAndACardReachTheThreshold) {
  Ref<DictionaryScannerImpl> pii = piiDictionary();
  TestArea area{{"Subject: quarterly plan", 1},
                {"The secret plan, the secret card: 4111111111111111 thanks", 2}};
  std::string matchLog, scoreList;
  EXPECT_EQ(pii->scan(&area, 20, nullptr, matchLog, scoreList), 20u);
  EXPECT_EQ(scoreList, "PII:20");
  EXPECT_EQ(matchLog, std::string(";Dictionary:PII Score: 20(") + kVisaExpression + ")");
}

TEST(WorkedExampleTest, NothingAllocatedOnceWarmWhenNothingMatches) {
  Ref<DictionaryScannerImpl> pii = piiDictionary();
  TestArea area{{"Subject: quarterly plan", 1},
                {"The plan, the card 4111 1111 1111 1112 and 12.03. at 10:30", 2}};
  std::string matchLog, scoreList;
  pii->scan(&area, 20, nullptr, matchLog, scoreList);  // thread scratch, plan
  unsigned long const before = vmund_test::allocationCount();
  EXPECT_EQ(pii->scan(&area, 20, nullptr, matchLog, scoreList), 0u);
  EXPECT_EQ(vmund_test::allocationCount(), before);
  EXPECT_EQ(matchLog + scoreList, "");
}

}  // namespace
