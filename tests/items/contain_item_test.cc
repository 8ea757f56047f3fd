// The plain-word item: what counts as an occurrence, how counts become
// scores, and which parts are read.
#include <string>

#include <gtest/gtest.h>

#include "support/test_area.h"
#include "vessamund/contain_item.h"

namespace {

using Vessamund::DictionaryContain;
using vmund_test::makeRecord;
using vmund_test::RecordingLogger;
using vmund_test::TestArea;

unsigned long countIn(std::string const& pattern, std::string const& text) {
  auto rec = makeRecord(3, pattern, 1);
  DictionaryContain item(&rec);
  TestArea area{{text, 1}};
  RecordingLogger logger;
  unsigned long score = item.scan(&area, 1000, logger);
  EXPECT_TRUE(logger.reports.empty());
  return score;
}

TEST(ContainItemTest, Occurrences) {
  struct Row {
    char const* pattern;
    std::string text;
    unsigned long count;
    char const* note;
  } const rows[] = {
      {"abc", "xxabcxxAbC", 2, "case is ignored"},
      {"aa", "aaaa", 2, "occurrences do not overlap"},
      {"card", "discarded", 1, "no word boundaries"},
      {"\xc3\xa9", "\xc3\x89\xc3\xa9", 1, "bytes above 0x7f compare exactly"},
      {"ab", std::string("ab\0ab", 5), 1, "text after a zero byte is not read"},
      {"a b", "a  b", 0, "spaces are literal"},
      {"", "xyz", 1000, "an empty pattern fills the count at once"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(std::string(r.pattern) + " in \"" + r.text + "\": " + r.note);
    EXPECT_EQ(r.count, countIn(r.pattern, r.text));
  }
}

}  // namespace
