// The group scanner: best member, full budget per member, early stops, and
// the winner's records appended as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fake_items.h"

namespace {

using Vessamund::DictionaryScannerImpl;
using Vessamund::GroupDictionaryScanner;
using Vessamund::Ref;
using vmund_test::FakeScanner;
using vmund_test::ScriptedProgress;
using vmund_test::TestArea;

TEST(GroupScannerTest, BestMemberAndStops) {
  struct Row {
    char const* note;
    std::vector<unsigned long> scores;
    unsigned long budget;
    int expiriesAllowed;  // expired() turns true after this many members
    unsigned long expected;
    std::string ran;  // '1' for each member that ran
    int winner;       // index whose records are appended, -1 none
  } const rows[] = {
      {"the first of equal best members wins", {3, 5, 5}, 10, 100, 5, "111", 1},
      {"a member at the threshold ends the group", {12, 20}, 10, 100, 12, "10", 0},
      {"a later member may reach it", {3, 11, 20}, 10, 100, 11, "110", 1},
      {"all zero: nothing appended", {0, 0}, 10, 100, 0, "11", -1},
      {"expired after a member scoring 0", {0, 5}, 10, 0, 0, "10", -1},
      {"budget 0 runs nothing", {3}, 0, 100, 0, "0", -1},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    GroupDictionaryScanner* group = new GroupDictionaryScanner;
    Ref<DictionaryScannerImpl> handle(group);
    std::vector<FakeScanner*> members;
    for (size_t i = 0; i < r.scores.size(); ++i) {
      std::string tag = std::to_string(i);
      auto* m = new FakeScanner(r.scores[i], "(m" + tag + ")", "s" + tag);
      members.push_back(m);
      group->addScanner(Ref<DictionaryScannerImpl>(m));
    }
    ScriptedProgress progress;
    progress.expiriesAllowed = r.expiriesAllowed;
    TestArea area;
    std::string matchLog = "ML", scoreList = "SL";
    EXPECT_EQ(handle->scan(&area, r.budget, &progress, matchLog, scoreList), r.expected);
    std::string ran;
    for (auto* m : members) {
      ran += m->scans ? '1' : '0';
      if (m->scans) {
        EXPECT_EQ(m->lastBudget, r.budget) << "every member gets the full budget";
        EXPECT_TRUE(m->stringsWereEmpty);
      }
    }
    EXPECT_EQ(ran, r.ran);
    std::string w = r.winner < 0 ? "" : std::to_string(r.winner);
    EXPECT_EQ(matchLog, r.winner < 0 ? "ML" : "ML(m" + w + ")");
    EXPECT_EQ(scoreList, r.winner < 0 ? "SL" : "SLs" + w);
    // expired() is the group's question, once per member that ran.
    EXPECT_EQ(progress.expiries, static_cast<int>(std::count(ran.begin(), ran.end(), '1')));
  }
}

TEST(GroupScannerTest, WinnerScoreRecordHasNoSeparator) {
  auto* hr = new Vessamund::ProfileDictionaryScanner("HR");
  hr->addItem(vmund_test::FakeItem::make(3));
  auto* pii = new Vessamund::ProfileDictionaryScanner("PII");
  pii->addItem(vmund_test::FakeItem::make(7, "cc"));
  auto* group = new GroupDictionaryScanner;
  Ref<DictionaryScannerImpl> handle(group);
  group->addScanner(Ref<DictionaryScannerImpl>(hr));
  group->addScanner(Ref<DictionaryScannerImpl>(pii));

  TestArea area;
  std::string matchLog, scoreList = "HR:3";
  EXPECT_EQ(handle->scan(&area, 100, nullptr, matchLog, scoreList), 7u);
  EXPECT_EQ(scoreList, "HR:3PII:7");
  EXPECT_EQ(matchLog, ";Dictionary:PII Score: 7(cc)");

  // The winner's score record escapes the 256-character limit of the list.
  std::string full(300, 's');
  scoreList = full;
  handle->scan(&area, 100, nullptr, matchLog, scoreList);
  EXPECT_EQ(scoreList, full + "PII:7");
}

}  // namespace
