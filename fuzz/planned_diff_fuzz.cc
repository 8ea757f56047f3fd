// The planned scan must give byte for byte what the reference scan gives, on
// any message. Input: parts separated by 0xFF bytes, each opening with its
// flags byte (kinds and the line-break bit); the first byte of the input
// picks the budget and whether the candidate table is cut down to a few
// records and ranges, so that the input overflows it. Compares whole dictionary scans and each item's scores
// and logger calls; traps on the first difference.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "items/candidate_table.h"
#include "support/mixed_policy.h"
#include "support/scan_compare.h"

namespace {

struct Policy {
  std::vector<vmund_test::PolicyScanner> scanners;
  Policy() {
    for (auto const& rows : {vmund_test::mixedPolicy(), vmund_test::policyDetectors()}) {
      scanners.emplace_back(rows);
      scanners.back().scanner.prepare();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  static Policy policy;
  if (size < 1) return 0;
  // The reference scan reads every part once per item: keep inputs small
  // enough for many runs a second.
  size = size > 16384 ? 16384 : size;
  static unsigned long const kBudgets[] = {1, 3, 20, 1000, ULONG_MAX};
  unsigned long const budget = kBudgets[data[0] % 5];
  using Vessamund::internal::CandidateTable;
  CandidateTable::setLimitsForTesting(data[0] / 5 % 2 == 0
                                          ? CandidateTable::Limits{}
                                          : CandidateTable::Limits{5, 9, 4, 1, 2});
  vmund_test::TestArea area;
  std::string const rest(reinterpret_cast<char const*>(data + 1), size - 1);
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\xff', start);
    if (end == std::string::npos) end = rest.size();
    std::string part = rest.substr(start, end - start);
    uint16_t flags = 1;
    if (!part.empty()) {
      flags = static_cast<uint8_t>(part[0]);
      part.erase(0, 1);
    }
    area.add(part, flags);
    start = end + 1;
  }
  for (auto const& p : policy.scanners) {
    std::string const diff = p.compare(area, budget);
    if (!diff.empty()) {
      std::fprintf(stderr, "%s: %s\n", p.scanner.dictionaryName().c_str(), diff.c_str());
      __builtin_trap();
    }
  }
  return 0;
}
