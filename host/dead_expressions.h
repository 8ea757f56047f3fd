// Administrator expressions that a loaded scanner holds but cannot run.
#ifndef VMUND_CLI_HOST_DEAD_EXPRESSIONS_H_
#define VMUND_CLI_HOST_DEAD_EXPRESSIONS_H_

#include <string>
#include <vector>

#include "vessamund/scanner.h"

namespace vmund {

// One line per regular-expression item of `scanner` (a dictionary, or each
// member of a group) whose expression did not compile, such as
//   dictionary PII: regular expression "y(" does not compile (missing
//   closing parenthesis at offset 2); it never matches
// The library keeps such an item, and it passes every scan in silence, so
// hosts say so when they load a scanner. Empty when there is none.
std::vector<std::string> deadExpressions(Vessamund::DictionaryScannerImpl const* scanner);

}  // namespace vmund

#endif  // VMUND_CLI_HOST_DEAD_EXPRESSIONS_H_
