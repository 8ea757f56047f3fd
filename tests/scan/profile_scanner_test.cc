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

// A scanner named PII over fake items; `fakes` receives them for inspection.
ProfileDictionaryScanner* makeScanner(std::vector<ItemRow> const& rows,
                                      std::vector<FakeItem*>* fakes) {
  auto* scanner = new ProfileDictionaryScanner("PII");
  for (auto const& s : rows) {
    auto item = FakeItem::make(s.score, s.identifier);
    fakes->push_back(static_cast<FakeItem*>(item.get()));
    scanner->addItem(item);
  }
  return scanner;
}

// The budget each item was last asked with, "-" for an item never asked and
// "xN" after one asked N times: each item gets the threshold still to reach.
std::string budgetsAsked(std::vector<FakeItem*> const& fakes) {
  std::string out;
  for (FakeItem const* f : fakes) {
    if (!out.empty()) out += ',';
    out += f->scans == 0 ? "-" : std::to_string(f->lastBudget);
    if (f->scans > 1) out += "x" + std::to_string(f->scans);
  }
  return out;
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
    char const* budgets;  // budgetsAsked
  } const rows[] = {
      {"stops at the threshold; the third item is never asked",
       {{4, "a"}, {4, "b"}, {4, "c"}}, 6, "", "",
       8, ";Dictionary:PII Score: 8(a,b)", "PII:8", "6,2,-"},
      {"reaching the threshold exactly stops too", {{4, ""}, {2, ""}, {4, ""}}, 6, "", "",
       6, "", "PII:6", "6,2,-"},
      {"budget 0 scans nothing", {{4, "a"}}, 0, "m", "s", 0, "m", "s", "-"},
      {"score 0 writes nothing, takes nothing from the budget", {{0, "a"}, {0, "b"}}, 10,
       "m", "s", 0, "m", "s", "10,10"},
      {"no match text: score record only", {{7, ""}}, 100, "m", "HR:3",
       7, "m", "HR:3;PII:7", "100"},
      {"score list of 255 takes a record", {{7, ""}}, 100, "", s255,
       7, "", s255 + ";PII:7", "100"},
      {"score list of 256 takes none, the match log still does", {{7, "a"}}, 100, "", s256,
       7, ";Dictionary:PII Score: 7(a)", s256, "100"},
      {"match log of 1023 leaves room for match text", {{7, "a"}}, 100, m1023, "",
       7, m1023 + ";Dictionary:PII Score: 7(a)", "PII:7", "100"},
      {"match log of 1024 leaves none", {{7, "a"}}, 100, m1024, "", 7, m1024, "PII:7", "100"},
      {"scores saturate instead of wrapping", {{ULONG_MAX - 1, ""}, {5, ""}}, ULONG_MAX, "", "",
       ULONG_MAX, "", "PII:18446744073709551615", "18446744073709551615,1"},
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
    EXPECT_EQ(budgetsAsked(fakes), r.budgets);
  }
}

TEST(ProfileScannerTest, ProgressCallback) {
  struct Row {
    char const* note;
    unsigned long budget;
    int pollsAllowed;
    char const* startText;  // what start() adds to the match text
    unsigned long expected;
    int polls;
    char const* budgets;  // budgetsAsked
    char const* matchLogAfter;
    char const* scoreListAfter;
  } const rows[] = {
      {"start even with budget 0, no poll", 0, 100, "", 0, 0, "-,-,-", "", ""},
      {"interval 0 polls before every item", 100, 100, "", 9, 3, "100,97,94",
       ";Dictionary:PII Score: 9(a)", "PII:9"},
      {"a false poll stops with the score so far", 100, 2, "", 6, 3, "100,97,-",
       ";Dictionary:PII Score: 6(a)", "PII:6"},
      {"text from start counts as match text, first", 100, 100, "host", 9, 3, "100,97,94",
       ";Dictionary:PII Score: 9(host,a)", "PII:9"},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    std::vector<FakeItem*> fakes;
    Ref<Vessamund::DictionaryScannerImpl> scanner(
        makeScanner({{3, "a"}, {3, ""}, {3, ""}}, &fakes));
    ScriptedProgress progress;  // interval 0: a poll before every item
    progress.pollsAllowed = r.pollsAllowed;
    progress.startText = r.startText;
    TestArea area;
    std::string matchLog, scoreList;
    EXPECT_EQ(scanner->scan(&area, r.budget, &progress, matchLog, scoreList), r.expected);
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.polls, r.polls);
    EXPECT_EQ(progress.expiries, 0);
    EXPECT_EQ(budgetsAsked(fakes), r.budgets);
    EXPECT_EQ(scoreList, r.scoreListAfter);
    EXPECT_EQ(matchLog, r.matchLogAfter);
  }
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
