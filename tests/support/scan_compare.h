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

// A progress callback that polls before every item and counts the polls.
class CountingProgress : public Vessamund::ProgressCb {
 public:
  unsigned int start(Vessamund::DScanAreaImpl*, std::string&) override { return 0; }
  bool poll() override {
    ++polls;
    return true;
  }
  bool expired() override { return false; }
  int polls = 0;
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

// The same scan with findings asked for: its outcome, which must equal the
// scan without them, and the findings it gave.
inline ScanOutcome scanWithFindings(Vessamund::DictionaryScannerImpl& scanner,
                                    Vessamund::DScanAreaImpl& area, unsigned long budget,
                                    std::string const& matchLog, Vessamund::ProgressCb* progress,
                                    std::string& findings) {
  Vessamund::FindingList list(1 << 14);
  Vessamund::FindingScope asking(list);
  ScanOutcome o = scanWith(scanner, area, budget, matchLog, "", progress);
  findings = describeFindings(list);
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
  for (bool polled : {false, true}) {
    CountingProgress pa, pb, pc, pd;
    ScanOutcome const a = scanWith(scanner, area, budget, matchLog, "", polled ? &pa : nullptr);
    ScanOutcome const b =
        scanWith(reference, area, budget, matchLog, "", polled ? &pb : nullptr);
    std::string fa, fb;
    ScanOutcome const c =
        scanWithFindings(scanner, area, budget, matchLog, polled ? &pc : nullptr, fa);
    ScanOutcome const d =
        scanWithFindings(reference, area, budget, matchLog, polled ? &pd : nullptr, fb);
    if (!(c == a) || !(d == b) || pc.polls != pa.polls || pd.polls != pb.polls) {
      return "budget " + std::to_string(budget) + (polled ? ", polled" : "") +
             ": asking for findings changed the scan: " + c.scoreList + " " + c.matchLog +
             " / " + d.scoreList + " " + d.matchLog;
    }
    if (fa != fb) {
      return "budget " + std::to_string(budget) + (polled ? ", polled" : "") +
             ": findings differ\n planned:\n" + fa + " reference:\n" + fb;
    }
    if (a == b && pa.polls == pb.polls) continue;
    std::ostringstream out;
    out << "budget " << budget << (polled ? ", polled" : "") << ": planned " << a.score << " ["
        << a.scoreList << "] " << a.matchLog << " (" << pa.polls << " polls)\n reference "
        << b.score << " [" << b.scoreList << "] " << b.matchLog << " (" << pb.polls << " polls)";
    return out.str();
  }
  return "";
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_SCAN_COMPARE_H_
