// A dictionary with every kind of item, for the tests that compare the
// planned scan with the reference scan: the eighteen detectors, plain words,
// wildcard patterns and expressions, among them the awkward ones (an empty
// word, bytes above ASCII, classes that end early, expressions the prefilter
// must refuse), with assorted weights, caps and areas.
#ifndef VESSAMUND_TESTS_SUPPORT_MIXED_POLICY_H_
#define VESSAMUND_TESTS_SUPPORT_MIXED_POLICY_H_

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "items/kinds/pattern_kind.h"
#include "scan/reference_scanner.h"
#include "scan/scan_plan.h"
#include "support/scan_compare.h"
#include "support/test_area.h"
#include "vessamund/scanner.h"

namespace vmund_test {

struct PolicyRow {
  uint16_t type;
  std::string pattern;
  uint16_t weight;
  uint8_t area;
  uint16_t maxWeight;  // a cap when not 0
};

// Words that mail-like text holds often, compliance terms, and edge cases.
inline std::vector<PolicyRow> policyWords() {
  std::vector<PolicyRow> rows;
  char const* const words[] = {
      "invoice", "account", "project", "payment", "report", "meeting", "confidential",
      "diagnosis", "salary", "password", "ssn", "iban", "passport", "the", "a", "aa",
      "e.g.", "re:", "--", "100%", "caf\xc3\xa9", "\xe9t\xe9", "\xc9T\xc9", "patient",
      "Please", "REGARDS", "secret", "merger", "tax return", "credit card", " ", "0",
      "123", "x-", "\t", "Dear customer", "budget", "order", "review", "contract",
  };
  uint8_t const areas[] = {1, 7, 15, 2, 4, 8, 31, 5};
  int i = 0;
  for (char const* w : words) {
    rows.push_back({3, w, static_cast<uint16_t>(1 + i % 3), areas[i % 8],
                    static_cast<uint16_t>(i % 4 == 0 ? 5 : 0)});
    ++i;
  }
  rows.push_back({3, "", 1, 1, 3});  // found everywhere, without moving on
  return rows;
}

inline std::vector<PolicyRow> policyWildcards() {
  std::vector<PolicyRow> rows;
  char const* const patterns[] = {
      "confidential*", "*confidential", "pass?ord", "acc[o0]unt*", "invoice*", "salar[yi]*",
      "pay*roll", "medic*", "diagnos*s", "[0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]",
      "project-*", "*@*.com", "secret*", "credit?card", "bank*statement", "tax*return",
      "merger*", "\\*confidential\\*", "[!a-z]*-draft", "dob:*",
      // Edge cases of the matcher.
      "a[bc", "[a-c]*", "*", "?", "x*y*z", "[]a]b*", "[a\\]b]c", "*\\?", "[!a-z]", "caf\xc3\xa9*",
      "the", "re*port", "*e*", "\\", "a?b?c", "[[]*", "th[!e]*", "*-", "[0-9]*",
  };
  int i = 0;
  for (char const* p : patterns) {
    rows.push_back({static_cast<uint16_t>(i % 3 == 0 ? 2 : 0), p, static_cast<uint16_t>(1 + i % 4),
                    static_cast<uint8_t>(i % 5 == 0 ? 1 : 7),
                    static_cast<uint16_t>(i % 3 == 1 ? 10 : 0)});
    ++i;
  }
  return rows;
}

inline std::vector<PolicyRow> policyRegexes() {
  std::vector<PolicyRow> rows;
  char const* const patterns[] = {
      "\\b(?:password|passwd|pwd)\\s*[:=]\\s*\\S+",
      "[MHeAdEr](?m)^Subject:.*\\b(?:confidential|secret)\\b",
      "[EHeAdEr]\\bproject\\s+(?:apollo|gemini|mercury)\\b",
      "r&#233;sum&#233;",
      "\\b\\d{3}[-.\\s]\\d{3}[-.\\s]\\d{4}\\b",
      "\\b[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,}\\b",
      "\\b(?:api|secret)[_-]?key\\s*[:=]\\s*[A-Za-z0-9]{16,}",
      "-----BEGIN (?:RSA |EC )?PRIVATE KEY-----",
      "\\bna&#xEF;ve\\b",
      "\\b(?:acct|account)\\s*(?:no|number|#)\\.?\\s*:?\\s*\\d{6,}",
      // Edge cases: empty matches, back-references, syntax the prefilter
      // refuses, anchors, a pattern that does not compile.
      "a*", "(a)\\1", "\\p{Lu}{3}", "(?x) in voice", "^From:", "$", "\\bthe\\b", "x{2,}",
      "(?m)^>.*$", "(?s)begin.*?end", "\\x41BC", "invalid(", "[[:digit:]]{5}", "\\d+(?=%)",
      "(?<!\\d)\\d{4}(?!\\d)", "caf\xc3\xa9", "\\Qa.b\\E", "[^\\s]{20,}",
  };
  int i = 0;
  for (char const* p : patterns) {
    rows.push_back({1, p, static_cast<uint16_t>(1 + i % 3), static_cast<uint8_t>(i % 4 == 3 ? 2 : 1),
                    static_cast<uint16_t>(i % 2 == 0 ? 15 : 0)});
    ++i;
  }
  return rows;
}

inline std::vector<PolicyRow> policyDetectors() {
  std::vector<PolicyRow> rows;
  uint8_t const areas[] = {7, 1, 15, 5, 3, 31};
  for (uint16_t code = 256; code <= 273; ++code) {
    rows.push_back({code, "", static_cast<uint16_t>(1 + code % 5), areas[code % 6],
                    static_cast<uint16_t>(code % 4 == 0 ? 20 : 0)});
  }
  // The same detector twice, with other limits: its expressions are shared.
  rows.push_back({258, "", 10, 7, 0});
  rows.push_back({257, "", 3, 15, 6});
  return rows;
}

// Every row above, detectors first, then words, wildcards and expressions.
inline std::vector<PolicyRow> mixedPolicy() {
  std::vector<PolicyRow> rows = policyDetectors();
  for (auto const& part : {policyWords(), policyWildcards(), policyRegexes()}) {
    rows.insert(rows.end(), part.begin(), part.end());
  }
  return rows;
}

// A profile scanner over `rows`, made item by item with add_pattern.
inline Vessamund::ProfileDictionaryScanner* makeScanner(std::vector<PolicyRow> const& rows,
                                                        std::string const& name = "MIX") {
  auto* scanner = new Vessamund::ProfileDictionaryScanner(name);
  for (auto const& r : rows) {
    auto record = makeRecord(r.type, r.pattern, r.weight, r.area, r.maxWeight,
                             r.maxWeight != 0 ? 1 : 0);
    scanner->add_pattern(&record);
  }
  return scanner;
}

// The plan of the items makeScanner(rows) gave `scanner`, built as the
// scanner builds its own, but with a plan wanted however few items it
// prefilters.
inline std::unique_ptr<Vessamund::internal::ScanPlan> planOf(
    Vessamund::ProfileDictionaryScanner const& scanner, std::vector<PolicyRow> const& rows) {
  std::vector<Vessamund::internal::PatternKind const*> kinds;
  for (auto const& r : rows) kinds.push_back(&Vessamund::internal::patternKindFor(r.type));
  // No row of these policies is dropped; a drop would misalign the kinds.
  if (kinds.size() != scanner.itemList().size()) std::abort();
  return Vessamund::internal::ScanPlan::build(scanner.itemList(), kinds, 1);
}

// makeScanner(rows, name), owned, with its reference twin and planOf's plan.
// The scanner itself is left unprepared: its first scan builds its plan.
struct PolicyScanner {
  explicit PolicyScanner(std::vector<PolicyRow> const& rows, std::string const& name = "MIX")
      : scanner(*makeScanner(rows, name)),
        handle(&scanner),
        reference(Vessamund::internal::referenceScanner(&scanner)),
        plan(planOf(scanner, rows)) {}
  Vessamund::ProfileDictionaryScanner& scanner;
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> handle;
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> reference;
  std::unique_ptr<Vessamund::internal::ScanPlan> plan;

  // compareScans against the twin, then compareItems with the plan.
  std::string compare(Vessamund::DScanAreaImpl& area, unsigned long budget) const {
    std::string const diff = compareScans(scanner, *reference.get(), area, budget);
    return diff.empty() ? compareItems(scanner, *plan, area, budget) : diff;
  }
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_MIXED_POLICY_H_
