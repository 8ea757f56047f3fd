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
      {"ABC", "abc", 1, "in the pattern too"},
      {"aa", "aaaa", 2, "occurrences do not overlap"},
      {"aa", "aaa", 1, ""},
      {"card", "discarded", 1, "no word boundaries"},
      {"\xc3\xa9", "\xc3\x89\xc3\xa9", 1, "bytes above 0x7f compare exactly"},
      {"ab", std::string("ab\0ab", 5), 1, "text after a zero byte is not read"},
      {"a b", "a  b", 0, "spaces are literal"},
      {"", "xyz", 1000, "an empty pattern fills the count at once"},
      {"", "", 1000, "even in an empty part"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(std::string(r.pattern) + " in \"" + r.text + "\": " + r.note);
    EXPECT_EQ(r.count, countIn(r.pattern, r.text));
  }
}

TEST(ContainItemTest, ScoreUnderBudgetAndCap) {
  // Five occurrences over two parts.
  struct Row {
    uint16_t weight, maxWeight;
    uint8_t maxLimit;
    unsigned long budget, score;
  } const rows[] = {
      {3, 0, 0, 10, 12},   // ceil(10/3) = 4 of 5 occurrences
      {1, 0, 0, 100, 5},   // all of them
      {1, 0, 0, 3, 3},     // stops inside the first part
      {1, 0, 0, 4, 4},     // stops inside the second part
      {2, 5, 1, 100, 6},   // cap 5, weight 2: 3 occurrences
      {2, 5, 0, 100, 10},  // cap ignored
      {2, 0, 1, 100, 0},   // cap 0
      {2, 0, 0, 0, 0},     // budget 0
  };
  for (Row const& r : rows) {
    SCOPED_TRACE("weight " + std::to_string(r.weight) + " cap " + std::to_string(r.maxWeight) +
                 "/" + std::to_string(r.maxLimit) + " budget " + std::to_string(r.budget));
    auto rec = makeRecord(3, "ab", r.weight, 1, r.maxWeight, r.maxLimit);
    DictionaryContain item(&rec);
    TestArea area{{"ab ab ab", 1}, {"abab", 1}};
    RecordingLogger logger;
    EXPECT_EQ(r.score, item.scan(&area, r.budget, logger));
  }
}

TEST(ContainItemTest, ReadsOnlySelectedPartsWithText) {
  auto rec = makeRecord(3, "x", 1, /*scanArea=*/1);
  DictionaryContain item(&rec);
  RecordingLogger logger;
  TestArea area;
  area.add("x", 2)        // kind 2: mask 2, not read
      .add("x", 8)        // a new run of kind 8 is tested with mask 1: read
      .add("x", 8)        // the same run: tested with 8, not read
      .addNull(1)         // selected, but no text
      .add("x", 1 | 16)   // continues the kind-1 run: its whole flags word has bit 1
      .add("x", 8);       // read again: plain words do not skip kind 8 after a hit
  EXPECT_EQ(3ul, item.scan(&area, 100, logger));
  EXPECT_EQ(1, area.firstCalls);
  EXPECT_EQ(6, area.nextCalls);
}

}  // namespace
