// Findings: which matches a scan reports, where, and that asking for them
// changes nothing else. The planned and reference scans are held to each
// other with findings asked for in support/scan_compare.h; that asking
// allocates nothing per match, in PlannedScan.AllocatesNothingOnceWarm.
#include "vessamund/findings.h"

#include <climits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/dense_text.h"
#include "support/mixed_policy.h"
#include "support/scan_compare.h"
#include "support/test_area.h"
#include "scan/finding_recorder.h"
#include "vessamund/scanner.h"

namespace {

using Vessamund::FindingList;
using Vessamund::FindingScope;
using Vessamund::Ref;
using vmund_test::PolicyRow;

struct Part {
  std::string text;
  uint16_t flags;
};

// "ITEM:TYPE:KIND:PART:TEXT" per finding, the text cut from the part at the
// finding's offset and length, joined by "|".
std::string describe(FindingList const& list, std::vector<Part> const& parts) {
  std::ostringstream out;
  for (Vessamund::Finding const& f : list) {
    if (out.tellp() > 0) out << "|";
    out << f.item << ":" << f.patternType << ":" << (f.kind ? f.kind : "-") << ":" << f.part
        << ":" << parts.at(f.part).text.substr(f.offset, f.length);
  }
  return out.str();
}

struct Row {
  char const* why;
  std::vector<PolicyRow> items;
  std::vector<Part> parts;
  unsigned long budget;
  char const* expected;
};

// Eighty parts, "x zz" in parts 5, 62, 63 and 70 only.
std::vector<Part> eightyParts() {
  std::vector<Part> parts(80, Part{"none", 1});
  for (int i : {5, 62, 63, 70}) parts[i].text = "x zz";
  return parts;
}

TEST(Findings, EachItemKindReportsWhatCounted) {
  Row const rows[] = {
      // Plain words: case-insensitive, non-overlapping, stop at the cap.
      {"word", {{3, "abc", 1, 1, 0}}, {{"xxabcxxAbC", 1}}, 100, "0:3:-:0:abc|0:3:-:0:AbC"},
      {"word cap", {{3, "ab", 1, 1, 2}}, {{"ab ab ab", 1}}, 100, "0:3:-:0:ab|0:3:-:0:ab"},
      {"empty word: once per counted match", {{3, "", 2, 1, 0}}, {{"x", 1}}, 5,
       "0:3:-:0:|0:3:-:0:|0:3:-:0:"},
      // Wildcards: the whole stretch the star covered.
      {"wildcard", {{2, "a*b", 1, 1, 0}}, {{"ax ay ab zz", 1}}, 100, "0:2:-:0:ax ay ab"},
      // Regular expressions: the whole match, in the part it was found in,
      // and not again in the HTML twin after a hit.
      {"regex and the kind-8 rule", {{1, "[0-9]{3}", 1, 1, 0}},
       {{"Subject: 999", 4}, {"x 123 y", 1}, {"456", 8}}, 100, "0:1:-:0:999|0:1:-:1:123"},
      // Identifiers: the identifier alone, not the context its expression
      // reads; the second item's matches come after the first item's.
      {"identifiers",
       {{257, "", 1, 1, 0}, {258, "", 1, 1, 0}},
       {{"ssn: 282-39-0021.\ncard 4111 1111 1111 1111 ok", 1}}, 100,
       "0:257:ussn:0:282-39-0021|1:258:creditcard:0:4111 1111 1111 1111"},
      // The ISIN expression lays its groups out differently.
      {"isin", {{261, "", 1, 1, 0}}, {{"ISIN: DE8059JQ8BZ7; ok", 1}}, 100,
       "0:261:isin:0:DE8059JQ8BZ7"},
      // The threshold: the dictionary stops once it is reached, and so do
      // its findings.
      {"threshold stops findings", {{3, "ab", 5, 1, 0}, {3, "cd", 5, 1, 0}}, {{"ab ab cd", 1}},
       10, "0:3:-:0:ab|0:3:-:0:ab"},
      {"part positions count unselected parts", {{3, "zz", 1, 2, 0}},
       {{"zz", 1}, {"zz", 2}}, 100, "0:3:-:1:zz"},
      // The planned scan notes where a word's occurrences lie and looks
      // again only there: after a part without any, after the text before
      // the first, after a near miss and an overlap.
      {"word places: parts without it, text before it",
       {{3, "zz", 1, 1, 0}},
       {{"ab", 1}, {"z z zz zzz", 1}, {"none", 1}, {"Zz", 1}}, 100,
       "0:3:-:1:zz|0:3:-:1:zz|0:3:-:3:Zz"},
      {"word places: unselected parts hold it first", {{3, "zz", 1, 1, 0}},
       {{"zz", 2}, {"x", 1}, {"xzz", 1}}, 100, "0:3:-:2:zz"},
      // Past 63 parts a word's noted places no longer tell parts apart.
      {"word places past many parts", {{3, "zz", 1, 1, 0}}, eightyParts(), 100,
       "0:3:-:5:zz|0:3:-:62:zz|0:3:-:63:zz|0:3:-:70:zz"},
  };
  for (Row const& row : rows) {
    SCOPED_TRACE(row.why);
    vmund_test::TestArea area;
    for (Part const& p : row.parts) area.add(p.text, p.flags);
    vmund_test::PolicyScanner const p(row.items, "D");
    for (bool planned : {true, false}) {
      FindingList list(64);
      FindingScope asking(list);
      vmund_test::ScanOutcome const o =
          vmund_test::scanWith(planned ? p.scanner : *p.reference.get(), area, row.budget);
      EXPECT_EQ(describe(list, row.parts), row.expected) << (planned ? "planned" : "reference");
      for (Vessamund::Finding const& f : list) EXPECT_STREQ(f.dictionary, "D");
      EXPECT_GT(o.score, 0u);
    }
  }
}

// A group keeps only the member whose records it reports.
TEST(Findings, GroupKeepsTheWinnersFindings) {
  auto* group = new Vessamund::GroupDictionaryScanner;
  Ref<Vessamund::DictionaryScannerImpl> handle(group);
  // Scores 3, 5 and 5 against budget 10: the second member wins.
  char const* const names[] = {"A", "B", "C"};
  std::vector<PolicyRow> const members[] = {
      {{3, "aa", 3, 1, 0}}, {{3, "bb", 5, 1, 0}}, {{3, "aa", 1, 1, 0}, {3, "bb", 2, 1, 0}}};
  for (int i = 0; i < 3; ++i) {
    group->addScanner(Ref<Vessamund::DictionaryScannerImpl>(
        vmund_test::makeScanner(members[i], names[i])));
  }
  vmund_test::TestArea area{{"aa bb", 1}};
  // With room for one finding the loser before the winner fills the list:
  // the winner's match is then dropped, never replaced by the loser's.
  for (size_t room : {size_t{8}, size_t{1}}) {
    FindingList list(room);
    FindingScope asking(list);
    std::string matchLog, scoreList;
    EXPECT_EQ(group->scan(&area, 10, nullptr, matchLog, scoreList), 5u);
    EXPECT_EQ(scoreList, "B:5");
    EXPECT_EQ(list.size() + list.dropped(), 1u) << room;
    for (Vessamund::Finding const& f : list) {
      EXPECT_STREQ(f.dictionary, "B");
      EXPECT_EQ(f.offset, 3u);
    }
  }
}

// A full list counts what it drops; outside a scope nothing is recorded;
// an inner scope wins and the outer one is back after it.
TEST(Findings, ScopesAndAFullList) {
  Ref<Vessamund::DictionaryScannerImpl> scanner(vmund_test::makeScanner({{3, "a", 1, 1, 0}}));
  vmund_test::TestArea area{{"a a a a", 1}};
  FindingList list(1), outer(8);
  std::string matchLog, scoreList;
  {
    FindingScope asking(list);
    EXPECT_EQ(scanner->scan(&area, 100, nullptr, matchLog, scoreList), 4u);
  }
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list.dropped(), 3u);
  list.clear();  // forgets both
  EXPECT_EQ(list.dropped(), 0u);
  scanner->scan(&area, 100, nullptr, matchLog, scoreList);
  EXPECT_TRUE(list.empty());
  FindingScope a(outer);
  {
    FindingScope b(list);
    scanner->scan(&area, 100, nullptr, matchLog, scoreList);
  }
  scanner->scan(&area, 100, nullptr, matchLog, scoreList);
  EXPECT_EQ(list.size() + list.dropped(), 4u);
  EXPECT_EQ(outer.size(), 4u);
}

// Every item reports to its logger exactly what it reports without findings:
// the same calls, in the same order, with the same scores, both ways.
TEST(Findings, LeaveEveryLogCallAsItWas) {
  std::vector<vmund_test::PolicyRow> const rows = vmund_test::mixedPolicy();
  vmund_test::PolicyScanner const p(rows);
  std::vector<std::string> words;
  for (auto const& r : vmund_test::policyWords()) words.push_back(r.pattern);
  std::mt19937 rng(11);
  vmund_test::TestArea area = vmund_test::denseArea(rng, words, 8000);
  FindingList list(1 << 16);
  for (unsigned long budget : {ULONG_MAX, 7ul}) {
    size_t index = 0;
    for (auto const& ref : p.scanner.itemList()) {
      Vessamund::DictionaryItemImpl& item = *ref.get();
      vmund_test::ExactLogger plain, asked;
      unsigned long const a = item.scan(&area, budget, plain);
      unsigned long b;
      {
        FindingScope asking(list);
        Vessamund::internal::FindingRecorder recorder("D", &area);
        recorder.beginItem(index, item,
                           &Vessamund::internal::patternKindFor(rows[index].type));
        Vessamund::internal::PlannedScan run(p.plan.get(), recorder.area());
        b = run.scanItem(index, item, budget, asked);
      }
      EXPECT_EQ(a, b) << index;
      EXPECT_TRUE(plain.reports == asked.reports) << "item " << index << " '" << item.pattern << "'";
      ++index;
    }
  }
  EXPECT_GT(list.size(), 100u);
}

// Both ends of the table (creditcard, ussn and isin are read by the rows above).
TEST(Findings, IdentifierKindNames) {
  EXPECT_STREQ(Vessamund::identifierKindName(256), "cansin");
  EXPECT_STREQ(Vessamund::identifierKindName(273), "ukpassport");
  EXPECT_EQ(Vessamund::identifierKindName(255), nullptr);
  EXPECT_EQ(Vessamund::identifierKindName(274), nullptr);
}

}  // namespace
