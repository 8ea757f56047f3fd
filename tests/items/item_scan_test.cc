// The scoring frame shared by every item: maxCount rounding, caps, saturation
// and which parts an item reads.
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "items/item_scan.h"
#include "support/test_area.h"

namespace {

using Vessamund::DictionaryItemImpl;
using Vessamund::DictionaryMatchLogger;
using Vessamund::DScanAreaImpl;
using Vessamund::DScanAreaPart;
using namespace Vessamund::internal;
using vmund_test::makeRecord;
using vmund_test::TestArea;

// An item that counts one match per part whose text holds "x", and records
// which parts it read.
class ProbeItem : public DictionaryItemImpl {
 public:
  ProbeItem(__vmund_dictionary_item const* r, bool skipAfterHit)
      : DictionaryItemImpl(r), skip_(skipAfterHit) {}
  unsigned long scan(DScanAreaImpl* area, unsigned long budget, DictionaryMatchLogger&) override {
    read.clear();
    return scanItemParts(*this, area, budget, skip_, [&](DScanAreaPart const& p, unsigned long) {
      read.push_back(std::string(p.text, p.length));
      return std::string(p.text).find('x') != std::string::npos ? 1ul : 0ul;
    });
  }
  std::vector<std::string> read;

 private:
  bool skip_;
};

vmund_test::RecordingLogger sink;

TEST(ItemScanTest, MaxMatchCount) {
  struct Row {
    uint16_t weight, maxWeight;
    uint8_t maxLimit;
    unsigned long budget, expected;
  } rows[] = {
      {3, 0, 0, 10, 4},    // rounded up
      {2, 0, 0, 5, 3},     // budget 5, weight 2: 3 matches, score 6
      {2, 3, 1, 100, 2},   // cap 3
      {2, 3, 0, 100, 50},  // cap ignored without max_limit
      {2, 0, 1, 100, 0},   // cap 0
      {5, 0, 0, 0, 0},     // budget 0
      {0, 0, 0, 100, 0},   // weight 0 never counts
  };
  for (auto const& r : rows) {
    auto rec = makeRecord(3, "p", r.weight, 1, r.maxWeight, r.maxLimit);
    ProbeItem item(&rec, false);
    EXPECT_EQ(r.expected, maxMatchCount(item, r.budget))
        << "weight " << r.weight << " cap " << r.maxWeight << "/" << int(r.maxLimit)
        << " budget " << r.budget;
  }
}

TEST(ItemScanTest, ScoreSaturatesInsteadOfWrapping) {
  EXPECT_EQ(ULONG_MAX, itemScore(ULONG_MAX / 3 + 1, 3));
  auto rec = makeRecord(3, "p", 3);
  ProbeItem item(&rec, false);
  TestArea area{{"x", 1}};
  EXPECT_EQ(3ul, item.scan(&area, ULONG_MAX, sink));
}

TEST(ItemScanTest, StopsAtMaxCountAndReadsNoMore) {
  auto rec = makeRecord(3, "p", 2);
  ProbeItem item(&rec, false);
  TestArea area{{"x1", 1}, {"x2", 1}, {"x3", 1}};
  EXPECT_EQ(4ul, item.scan(&area, 3, sink));  // maxCount 2
  EXPECT_EQ((std::vector<std::string>{"x1", "x2"}), item.read);
  EXPECT_EQ(0ul, item.scan(&area, 0, sink));
  EXPECT_TRUE(item.read.empty());
}

struct SelectionCase {
  char const* note;
  uint8_t scanArea;
  bool skipAfterHit;
  std::vector<std::pair<std::string, uint16_t>> parts;
  std::vector<std::string> expectedRead;
};

TEST(ItemScanTest, PartSelection) {
  std::vector<SelectionCase> const cases = {
      {"kind 8 run: first tested as 1, rest with flags", 1, false,
       {{"a", 1}, {"b", 8}, {"c", 8}}, {"a", "b"}},
      {"area 8 alone reads only the second kind-8 part", 8, false,
       {{"a", 8}, {"b", 8}}, {"b"}},
      {"continuing part tested with its whole flags word", 2, false,
       {{"a", 2}, {"b", 2 | 16}}, {"a", "b"}},
      {"higher bits alone select a continuing part", 32, false,
       {{"a", 1}, {"b", 1 | 32}}, {"b"}},
      {"kind 0 with no bits never read", 15, false, {{"a", 0}}, {}},
      {"hit in kind 1 skips following kind 8", 9, true,
       {{"x", 1}, {"x8", 8}, {"x8b", 8}}, {"x", "x8b"}},
      {"hit forgotten when a new kind starts", 1, true,
       {{"x", 1}, {"h", 4}, {"y8", 8}}, {"x", "y8"}},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.note);
    auto rec = makeRecord(3, "p", 1, c.scanArea);
    ProbeItem item(&rec, c.skipAfterHit);
    TestArea area;
    for (auto const& p : c.parts) area.add(p.first, p.second);
    item.scan(&area, 100, sink);
    EXPECT_EQ(c.expectedRead, item.read);
  }
}

TEST(ItemScanTest, NullTextAndNullAreaScoreNothing) {
  auto rec = makeRecord(3, "p", 1);
  ProbeItem item(&rec, false);
  TestArea area;
  area.addNull(1).add("x", 1);
  EXPECT_EQ(1ul, item.scan(&area, 100, sink));
  EXPECT_EQ(0ul, item.scan(nullptr, 100, sink));
  std::memset(rec.pattern, 'z', sizeof rec.pattern);  // unterminated host record
  EXPECT_EQ(255u, ProbeItem(&rec, false).pattern.size());
}

}  // namespace
