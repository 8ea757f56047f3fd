// One finding as the Python module reports it: what matched and where, with
// the value as it may be shown.
#ifndef VMUND_PYTHON_NATIVE_FINDING_RECORD_H_
#define VMUND_PYTHON_NATIVE_FINDING_RECORD_H_

#include <string>

#include "host/message_findings.h"

namespace vmund {
namespace python {

// The host's finding, and its value masked unless it is the
// administrator's own word or wildcard (`vmund scan --json` shows the same).
struct FindingRecord {
  MessageFinding finding;
  std::string shown;  // shownValue(finding)
};

}  // namespace python
}  // namespace vmund

#endif  // VMUND_PYTHON_NATIVE_FINDING_RECORD_H_
