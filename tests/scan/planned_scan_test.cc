// The planned scan against the reference scan (every item over every part):
// identical scores, identical logger calls in identical order, identical
// records, on dense random messages scanned from several threads at once,
// edge cases of every item kind, and the places where the engine gives up.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "items/candidate_table.h"
#include "support/allocation_count.h"
#include "support/dense_text.h"
#include "support/mixed_policy.h"
#include "support/scan_compare.h"
#include "vessamund/findings.h"

namespace {

using Vessamund::ProfileDictionaryScanner;
using Vessamund::Ref;
using vmund_test::PolicyRow;
using vmund_test::PolicyScanner;
using vmund_test::TestArea;

std::vector<std::string> wordsOf(std::vector<PolicyRow> const& rows) {
  std::vector<std::string> words;
  for (auto const& r : rows) {
    if (r.type == 3 && !r.pattern.empty()) words.push_back(r.pattern);
  }
  words.push_back("SSN:");
  words.push_back("password = hunter2");
  words.push_back("Subject: confidential");
  words.push_back("jane.doe@example.com");
  return words;
}

unsigned long const kBudgets[] = {1, 4, 37, 1000000, ULONG_MAX};

struct Dictionary {
  char const* note;
  std::vector<PolicyRow> rows;
};

std::vector<Dictionary> dictionaries() {
  return {{"everything", vmund_test::mixedPolicy()},
          {"detectors", vmund_test::policyDetectors()},
          {"words", vmund_test::policyWords()},
          {"wildcards", vmund_test::policyWildcards()},
          {"expressions", vmund_test::policyRegexes()}};
}

// Each item on its own, then the whole dictionary, on the same messages,
// from four threads at once: the scanner is not prepared, so the threads'
// first scans build its plan together and all but one drop theirs.
TEST(PlannedScan, AgreesOnDenseMessages) {
  std::vector<std::string> const words = wordsOf(vmund_test::mixedPolicy());
  std::string const fullLog(1000, 'm');
  for (auto const& d : dictionaries()) {
    SCOPED_TRACE(d.note);
    PolicyScanner const p(d.rows);
    ASSERT_TRUE(p.plan->worthwhile());
    // The first difference each thread meets, with its seed.
    auto const check = [&](unsigned seed) {
      std::mt19937 rng(seed);
      TestArea area = vmund_test::denseArea(rng, words);
      std::string diff;
      for (unsigned long budget : kBudgets) {
        if (diff.empty()) diff = p.compare(area, budget);
      }
      // A match log near its capacity cuts the match text short: the same
      // way on both paths only if the logger calls come in the same order.
      if (diff.empty()) {
        diff = vmund_test::compareScans(p.scanner, *p.reference.get(), area, ULONG_MAX, fullLog);
      }
      return diff.empty() ? diff : "seed " + std::to_string(seed) + ": " + diff;
    };
    std::vector<std::string> failures(4);
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < failures.size(); ++t) {
      threads.emplace_back([&, t] {
        for (unsigned seed = 1 + t; seed <= 60 && failures[t].empty(); seed += 4) {
          failures[t] = check(seed);
        }
      });
    }
    for (auto& t : threads) t.join();
    for (auto const& f : failures) EXPECT_EQ(f, "");
  }
}

// Counts the walks over a message: every item that reads the parts itself
// starts one, and so does the plan's one pass.
class CountingArea : public TestArea {
 public:
  using TestArea::TestArea;
  Vessamund::DScanAreaPart* first() override {
    ++walks;
    return TestArea::first();
  }
  int walks = 0;
};

// The comparisons above mean something only if the scanner does plan: its
// items (made by add_pattern) skip a message without their words, while its
// reference twin, and a scanner of items appended whole, walk it per item.
TEST(PlannedScan, PatternsAddedByRecordArePlanned) {
  PolicyScanner const p(vmund_test::policyWords());
  auto* appended = new ProfileDictionaryScanner("MIX");
  Ref<Vessamund::DictionaryScannerImpl> appendedHandle(appended);
  for (auto const& item : p.scanner.itemList()) appended->addItem(item);
  int const items = static_cast<int>(p.scanner.itemList().size());
  struct Row {
    char const* note;
    Vessamund::DictionaryScannerImpl* scanner;
    int walks;
  } const cases[] = {
      {"planned: one pass, then only the empty word reads", &p.scanner, 2},
      {"reference twin", p.reference.get(), items},
      {"items appended whole", appended, items},
  };
  for (Row const& r : cases) {
    SCOPED_TRACE(r.note);
    CountingArea area{{"zzzqqq", 1}};
    vmund_test::scanWith(*r.scanner, area, 1000000);
    EXPECT_EQ(area.walks, r.walks);
  }
}

// Messages of many parts against a table too small for them, one bound at a
// time: the pass keeps what fits and every item reads the rest the full
// way, or the pass's sums for the words, with the same results.
TEST(PlannedScan, AgreesWhenTheTableOverflows) {
  using Vessamund::internal::CandidateTable;
  using Limits = CandidateTable::Limits;
  struct Case {
    char const* note;
    uint32_t Limits::*bound;  // the one bound below its default
    uint32_t value;
  } const cases[] = {
      {"records", &Limits::records, 6},
      {"ranges", &Limits::ranges, 12},
      {"ranges of one part", &Limits::rawRanges, 5},
      {"parts with a zero byte", &Limits::nulParts, 1},
      {"selection masks", &Limits::masks, 2},
  };
  static uint16_t const kFlags[] = {1, 2, 4, 8, 1 | 16, 3, 4 | 32, 8 | 16};
  // The bounds come back for the other tests however this one ends.
  struct Restore {
    ~Restore() { CandidateTable::setLimitsForTesting(Limits{}); }
  } const restore;
  std::vector<std::string> const words = wordsOf(vmund_test::mixedPolicy());
  std::vector<Dictionary> const all = dictionaries();
  for (auto const& c : cases) {
    SCOPED_TRACE(c.note);
    Limits limits;
    limits.*c.bound = c.value;
    CandidateTable::setLimitsForTesting(limits);
    for (size_t d = 0; d < 3; ++d) {
      SCOPED_TRACE(all[d].note);
      PolicyScanner const p(all[d].rows);
      p.scanner.prepare();
      for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 rng(seed);
        TestArea area;
        for (int i = 0; i < 16; ++i) {
          std::string text = vmund_test::denseText(rng, 100 + rng() % 1000, words);
          if (rng() % 6 == 0) text.insert(rng() % text.size(), 1, '\0');
          area.add(text, kFlags[rng() % (sizeof kFlags / sizeof *kFlags)]);
        }
        for (unsigned long budget : {4ul, ULONG_MAX}) {
          ASSERT_EQ(p.compare(area, budget), "") << seed;
        }
      }
    }
  }
}

// Where the engine's search meets its backtracking limit it stops looking
// in the part; an identifier after that point is not counted. The planned
// path must stop there too, though no candidate is anywhere near.
std::string mixedBlanks(size_t n) {
  std::string run;
  for (size_t i = 0; i < n; ++i) run += i % 3 == 0 ? '\t' : ' ';
  return run;
}

TEST(PlannedScan, StopsWhereTheEngineGivesUp) {
  struct Row {
    char const* note;
    uint16_t code;
    std::string before;   // what precedes the identifiers
    std::string after;    // the identifiers
    unsigned long alone;  // what `after` alone counts
    unsigned long expected;
  } const rows[] = {
      {"digit then a blank run too long to backtrack", 257,
       "1234" + std::string(7000, ' ') + "x", " and 123-45-6789", 1, 0},
      {"the same run without a digit before it is harmless", 257,
       "abcd" + std::string(7000, ' ') + "x", " and 123-45-6789", 1, 1},
      {"a long run inside the separator", 256, "046" + std::string(9000, '\t') + "y",
       " 046 454 286", 1, 0},
      {"a separator of mixed blanks", 257, " 123" + mixedBlanks(5000) + "x",
       " 123-45-6789 and 078-05-1120", 2, 0},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    PolicyScanner const p({{r.code, "", 1, 1, 0}, {3, "and", 1, 1, 0}});
    TestArea area{{r.before + r.after, 1}};
    TestArea alone{{r.after, 1}};
    auto& detector = *p.scanner.itemList().front().get();
    vmund_test::ExactLogger logger;
    EXPECT_EQ(detector.scan(&alone, 100, logger), r.alone);
    EXPECT_EQ(detector.scan(&area, 100, logger), r.expected);
    EXPECT_EQ(vmund_test::compareItems(p.scanner, *p.plan, area, 100), "");
  }
}

// Once a thread has scanned a message as large, the plan adds no allocation
// to a scan: what it allocates is the match text and records, as the
// reference scan does. Asking for findings adds none either way, however
// many matches there are.
TEST(PlannedScan, AllocatesNothingOnceWarm) {
  std::vector<std::string> const words = wordsOf(vmund_test::mixedPolicy());
  PolicyScanner const p(vmund_test::mixedPolicy());
  Vessamund::FindingList list(1 << 16);
  for (unsigned seed = 300; seed < 310; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    TestArea area = vmund_test::denseArea(rng, words, 20000);
    unsigned long made[2][2];  // [reference][findings asked for]
    for (int way = 0; way < 2; ++way) {
      Vessamund::DictionaryScannerImpl& scanner = way == 0 ? p.scanner : *p.reference.get();
      vmund_test::scanWith(scanner, area, 1000000);  // warms the thread
      for (int asking = 0; asking < 2; ++asking) {
        std::optional<Vessamund::FindingScope> scope;
        if (asking == 1) scope.emplace(list);
        list.clear();
        unsigned long const before = vmund_test::allocationCount();
        vmund_test::scanWith(scanner, area, 1000000);
        made[way][asking] = vmund_test::allocationCount() - before;
      }
      EXPECT_GT(list.size(), 100u);
    }
    EXPECT_EQ(made[0][0], made[1][0]) << "planned against reference";
    EXPECT_EQ(made[0][1], made[0][0]) << "planned with findings";
    EXPECT_EQ(made[1][1], made[1][0]) << "reference with findings";
  }
}

// A progress callback that scans another dictionary on the same thread: the
// inner scan finds the thread's table taken and scans without its plan; both
// still give the reference results.
class NestedScan : public vmund_test::ScriptedProgress {
 public:
  NestedScan(ProfileDictionaryScanner& inner, TestArea& area) : inner_(inner), area_(area) {}
  bool poll() override {
    std::string log, list;
    scores.push_back(inner_.scan(&area_, 1000, nullptr, log, list));
    return true;
  }
  std::vector<unsigned long> scores;

 private:
  ProfileDictionaryScanner& inner_;
  TestArea& area_;
};

TEST(PlannedScan, ScanInsideAScanAgrees) {
  PolicyScanner const outer(vmund_test::policyWords());
  PolicyScanner const inner(vmund_test::policyDetectors());
  TestArea outerArea{{"invoice for the project, account 123-45-6789", 1}};
  TestArea innerArea{{"SSN 123-45-6789 and card 4111 1111 1111 1111", 1}};
  NestedScan nested(inner.scanner, innerArea);
  std::string log, list;
  unsigned long const score = outer.scanner.scan(&outerArea, 1000000, &nested, log, list);
  EXPECT_EQ(vmund_test::scanWith(*outer.reference.get(), outerArea, 1000000).score, score);
  ASSERT_FALSE(nested.scores.empty());
  unsigned long const innerReference =
      vmund_test::scanWith(*inner.reference.get(), innerArea, 1000).score;
  EXPECT_NE(innerReference, 0u);
  for (unsigned long s : nested.scores) EXPECT_EQ(s, innerReference);
}

}  // namespace
