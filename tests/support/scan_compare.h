// Runs a dictionary both ways, planned and reference, and says how they
// differ: for the tests and the fuzzer that hold the planned scan to the
// reference byte for byte.
#ifndef VESSAMUND_TESTS_SUPPORT_SCAN_COMPARE_H_
#define VESSAMUND_TESTS_SUPPORT_SCAN_COMPARE_H_

#include <sstream>
#include <string>
#include <vector>

#include "scan/reference_scanner.h"
#include "scan/scan_plan.h"
#include "support/fake_items.h"
#include "vessamund/findings.h"
#include "vessamund/scanner.h"

namespace vmund_test {

// Every report exactly: identifier pointer, where the match is, its length.
class ExactLogger : public Vessamund::DictionaryMatchLogger {
 public:
  struct Report {
    char const* pattern;
    char const* match;
    unsigned int length;
    bool operator==(Report const& o) const {
      return pattern == o.pattern && match == o.match && length == o.length;
    }
  };
  void log(char const* pattern, char const* match, unsigned int length) override {
    reports.push_back(Report{pattern, match, length});
  }
  std::vector<Report> reports;
};

// Each item of `scanner` scanned with `plan` (built for its items) and on
// its own, in dictionary order, each with `budget`. Returns "" when every score and every report
// (identifier, position, length, order) agree, else the first difference.
inline std::string compareItems(Vessamund::ProfileDictionaryScanner const& scanner,
                                Vessamund::internal::ScanPlan const& plan,
                                Vessamund::DScanAreaImpl& area, unsigned long budget) {
  Vessamund::internal::PlannedScan run(&plan, &area);
  size_t index = 0;
  for (auto const& ref : scanner.itemList()) {
    Vessamund::DictionaryItemImpl& item = *ref.get();
    ExactLogger planned, reference;
    unsigned long const a = run.scanItem(index, item, budget, planned);
    unsigned long const b = item.scan(&area, budget, reference);
    if (a != b || !(planned.reports == reference.reports)) {
      std::ostringstream out;
      out << "item " << index << " '" << item.pattern << "' budget " << budget << ": score "
          << a << " planned, " << b << " reference; reports " << planned.reports.size()
          << " planned, " << reference.reports.size() << " reference";
      return out.str();
    }
    ++index;
  }
  return "";
}

struct ScanOutcome {
  unsigned long score;
  std::string matchLog;
  std::string scoreList;
};

// Findings in a form that compares and prints: one line each.
inline std::string describeFindings(Vessamund::FindingList const& list) {
  std::ostringstream out;
  for (Vessamund::Finding const& f : list) {
    out << f.dictionary << " item " << f.item << " type " << f.patternType << " part " << f.part
        << " @" << f.offset << "+" << f.length << "\n";
  }
  if (list.dropped() != 0) out << list.dropped() << " dropped\n";
  return out.str();
}

// The whole dictionary scan from given strings.
inline ScanOutcome scanWith(Vessamund::DictionaryScannerImpl& scanner,
                            Vessamund::DScanAreaImpl& area, unsigned long budget,
                            std::string const& matchLog = "", std::string const& scoreList = "",
                            Vessamund::ProgressCb* progress = nullptr) {
  ScanOutcome o{0, matchLog, scoreList};
  o.score = scanner.scan(&area, budget, progress, o.matchLog, o.scoreList);
  return o;
}

inline bool operator==(ScanOutcome const& a, ScanOutcome const& b) {
  return a.score == b.score && a.matchLog == b.matchLog && a.scoreList == b.scoreList;
}

// Both whole scans, planned (`scanner` itself) and reference (`reference`,
// its reference twin), without a progress callback and with one that polls
// before every item; "" when they agree (the polls included), else both
// outcomes. Each is also run with findings asked for: its outcome must be
// the one without, and the findings of both ways must be the same.
inline std::string compareScans(Vessamund::DictionaryScannerImpl& scanner,
                                Vessamund::DictionaryScannerImpl& reference,
                                Vessamund::DScanAreaImpl& area, unsigned long budget,
                                std::string const& matchLog = "") {
  Vessamund::DictionaryScannerImpl* const ways[] = {&scanner, &reference};
  char const* const names[] = {"planned", "reference"};
  for (bool polled : {false, true}) {
    std::string const how = "budget " + std::to_string(budget) + (polled ? ", polled" : "");
    ScanOutcome outcome[2];
    std::string findings[2];
    ScriptedProgress polls[2], askingPolls[2];  // interval 0: a poll before every item
    for (int w = 0; w < 2; ++w) {
      outcome[w] = scanWith(*ways[w], area, budget, matchLog, "", polled ? &polls[w] : nullptr);
      Vessamund::FindingList list(1 << 14);
      Vessamund::FindingScope asking(list);
      ScanOutcome const asked =
          scanWith(*ways[w], area, budget, matchLog, "", polled ? &askingPolls[w] : nullptr);
      if (!(asked == outcome[w]) || askingPolls[w].polls != polls[w].polls) {
        return how + ": asking for findings changed the " + names[w] + " scan: " + asked.scoreList +
               " " + asked.matchLog + " / " + outcome[w].scoreList + " " + outcome[w].matchLog;
      }
      findings[w] = describeFindings(list);
    }
    if (findings[0] != findings[1]) {
      return how + ": findings differ\n planned:\n" + findings[0] + " reference:\n" + findings[1];
    }
    if (outcome[0] == outcome[1] && polls[0].polls == polls[1].polls) continue;
    std::ostringstream out;
    for (int w = 0; w < 2; ++w) {
      out << (w == 0 ? how + ": " : "\n ") << names[w] << " " << outcome[w].score << " ["
          << outcome[w].scoreList << "] " << outcome[w].matchLog << " (" << polls[w].polls
          << " polls)";
    }
    return out.str();
  }
  return "";
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_SCAN_COMPARE_H_
