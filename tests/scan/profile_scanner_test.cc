// The profile scanner: threshold stop, remaining budget per item, the score
// and match records, the match-text capacity, and the progress callback.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "scan/poll_timer.h"
#include "support/fake_items.h"

namespace {

using Vessamund::ProfileDictionaryScanner;
using Vessamund::Ref;
using vmund_test::FakeItem;
using vmund_test::ScriptedProgress;
using vmund_test::TestArea;

struct ItemRow {
  unsigned long score;
  char const* identifier;
};

// A scanner named `name` over fake items; `fakes` receives them for
// inspection.
ProfileDictionaryScanner* makeScanner(std::vector<ItemRow> const& rows,
                                      std::vector<FakeItem*>* fakes = nullptr,
                                      std::string const& name = "PII") {
  auto* scanner = new ProfileDictionaryScanner(name);
  for (auto const& s : rows) {
    auto item = FakeItem::make(s.score, s.identifier);
    if (fakes != nullptr) fakes->push_back(static_cast<FakeItem*>(item.get()));
    scanner->addItem(item);
  }
  return scanner;
}

TEST(ProfileScannerTest, ThresholdAndRecords) {
  std::string const s255(255, 's'), s256(256, 's'), m1023(1023, 'm'), m1024(1024, 'm');
  struct Row {
    char const* note;
    std::vector<ItemRow> items;
    unsigned long budget;
    std::string matchLog, scoreList;  // before
    unsigned long expected;
    std::string matchLogAfter, scoreListAfter;
    int itemsAsked;
  } const rows[] = {
      {"stops at the threshold; the third item is never asked",
       {{4, "a"}, {4, "b"}, {4, "c"}}, 6, "", "",
       8, ";Dictionary:PII Score: 8(a,b)", "PII:8", 2},
      {"reaching the threshold exactly stops too", {{4, ""}, {2, ""}, {4, ""}}, 6, "", "",
       6, "", "PII:6", 2},
      {"budget 0 scans nothing", {{4, "a"}}, 0, "m", "s", 0, "m", "s", 0},
      {"score 0 writes nothing", {{0, "a"}, {0, "b"}}, 10, "m", "s", 0, "m", "s", 2},
      {"no match text: score record only", {{7, ""}}, 100, "m", "HR:3",
       7, "m", "HR:3;PII:7", 1},
      {"score list of 255 takes a record", {{7, ""}}, 100, "", s255,
       7, "", s255 + ";PII:7", 1},
      {"score list of 256 takes none, the match log still does", {{7, "a"}}, 100, "", s256,
       7, ";Dictionary:PII Score: 7(a)", s256, 1},
      {"match log of 1023 leaves room for match text", {{7, "a"}}, 100, m1023, "",
       7, m1023 + ";Dictionary:PII Score: 7(a)", "PII:7", 1},
      {"match log of 1024 leaves none", {{7, "a"}}, 100, m1024, "", 7, m1024, "PII:7", 1},
      {"scores saturate instead of wrapping", {{ULONG_MAX - 1, ""}, {5, ""}}, ULONG_MAX, "", "",
       ULONG_MAX, "", "PII:18446744073709551615", 2},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    std::vector<FakeItem*> fakes;
    Ref<Vessamund::DictionaryScannerImpl> scanner(makeScanner(r.items, &fakes));
    TestArea area{{"text", 1}};
    std::string matchLog = r.matchLog, scoreList = r.scoreList;
    EXPECT_EQ(scanner->scan(&area, r.budget, nullptr, matchLog, scoreList), r.expected);
    EXPECT_EQ(matchLog, r.matchLogAfter);
    EXPECT_EQ(scoreList, r.scoreListAfter);
    int asked = 0;
    for (auto* f : fakes) asked += f->scans;
    EXPECT_EQ(asked, r.itemsAsked);
  }
}

TEST(ProfileScannerTest, EachItemGetsTheThresholdStillToReach) {
  std::vector<FakeItem*> fakes;
  Ref<Vessamund::DictionaryScannerImpl> scanner(makeScanner({{4, ""}, {0, ""}, {3, ""}}, &fakes));
  TestArea area;
  std::string matchLog, scoreList;
  EXPECT_EQ(scanner->scan(&area, 10, nullptr, matchLog, scoreList), 7u);
  EXPECT_EQ(fakes[0]->lastBudget, 10u);
  EXPECT_EQ(fakes[1]->lastBudget, 6u);
  EXPECT_EQ(fakes[2]->lastBudget, 6u);
}

TEST(ProfileScannerTest, ProgressCallback) {
  struct Row {
    char const* note;
    unsigned long budget;
    unsigned int interval;
    int pollsAllowed;
    unsigned long expected;
    int polls, itemsAsked;
    char const* scoreListAfter;
  } const rows[] = {
      {"start even with budget 0, no poll", 0, 0, 100, 0, 0, 0, ""},
      {"interval 0 polls before every item", 100, 0, 100, 9, 3, 3, "PII:9"},
      {"a false poll stops with the score so far", 100, 0, 2, 6, 3, 2, "PII:6"},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    std::vector<FakeItem*> fakes;
    Ref<Vessamund::DictionaryScannerImpl> scanner(
        makeScanner({{3, ""}, {3, ""}, {3, ""}}, &fakes));
    ScriptedProgress progress;
    progress.interval = r.interval;
    progress.pollsAllowed = r.pollsAllowed;
    TestArea area;
    std::string matchLog, scoreList;
    EXPECT_EQ(scanner->scan(&area, r.budget, &progress, matchLog, scoreList), r.expected);
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.polls, r.polls);
    EXPECT_EQ(progress.expiries, 0);
    int asked = 0;
    for (auto* f : fakes) asked += f->scans;
    EXPECT_EQ(asked, r.itemsAsked);
    EXPECT_EQ(scoreList, r.scoreListAfter);
    EXPECT_EQ(matchLog, "");
  }
}

TEST(ProfileScannerTest, TextFromStartCountsAsMatchText) {
  Ref<Vessamund::DictionaryScannerImpl> scanner(makeScanner({{5, "a"}}, nullptr, "D"));
  ScriptedProgress progress;
  progress.startText = "host";
  TestArea area;
  std::string matchLog, scoreList;
  EXPECT_EQ(scanner->scan(&area, 100, &progress, matchLog, scoreList), 5u);
  EXPECT_EQ(matchLog, ";Dictionary:D Score: 5(host,a)");
}

TEST(PollTimerTest, PollsByIntervalAcrossClockWrap) {
  struct Row {
    char const* note;
    uint32_t start, interval;
    std::vector<uint32_t> clock;  // one reading per item
    std::string due;              // '1' where a poll is due
  } const rows[] = {
      {"interval 5: first item, then after 5 s", 100, 5, {100, 101, 104, 105, 109, 110}, "100101"},
      {"clock wraps between polls", 0xFFFFFFFEu, 5, {0xFFFFFFFEu, 1, 2, 3}, "1001"},
      {"start near zero: last poll lies before the wrap", 2, 5, {2, 6, 7}, "101"},
      {"a clock that goes back counts as a long wait", 100, 5, {100, 99}, "11"},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    Vessamund::internal::PollTimer timer(r.start, r.interval);
    std::string due;
    for (uint32_t now : r.clock) {
      bool d = timer.due(now);
      due += d ? '1' : '0';
      if (d) timer.polled(now);
    }
    EXPECT_EQ(due, r.due);
  }
}

}  // namespace
