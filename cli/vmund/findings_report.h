// How `vmund scan` shows findings: what matched, where, and the value masked
// unless the user asked for whole values.
#ifndef VMUND_CLI_VMUND_FINDINGS_REPORT_H_
#define VMUND_CLI_VMUND_FINDINGS_REPORT_H_

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "vmund/scan_session.h"

namespace vmund {

// "creditcard=2, iban=1": each kind that matched and how often, in the
// order first found; "" without findings.
std::string matchedKinds(ScanResult const& result);

// One line per finding, indented under its scanner's result:
//   "        creditcard  attachment customers.csv  line 3, column 12  **** **** **** 1111"
// and a line saying how many more counted when the list was full.
void printFindingsText(ScanResult const& result, bool showValues, std::ostream& out);

// [{"dictionary", "item", "kind", "pattern_type", "part", "area", "label",
//   "line", "column", "offset", "length", "code_point_offset",
//   "code_point_length", "value", "masked"}]: offsets into the part's text
// (bytes, and code points), line and column from 1 (column in code points).
nlohmann::json findingsJson(ScanResult const& result, bool showValues);

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_FINDINGS_REPORT_H_
