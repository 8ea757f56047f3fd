// The scan loop shared by the eighteen identifier detectors: built-in
// expressions, run in order over each selected part, with one validator.
#ifndef VESSAMUND_SRC_ITEMS_IDENTIFIER_SCAN_H_
#define VESSAMUND_SRC_ITEMS_IDENTIFIER_SCAN_H_

#include "items/hinted_scan.h"
#include "vessamund/dictionary_item.h"
#include "vessamund/regex.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace internal {

// Counts the candidates `validator` accepts in the parts `item` selects
// (skipping the kind-8 part after a run with a hit) and returns the item's
// score. Each selected part is searched with expressions[0..count) in order,
// each asked for the matches still wanted; the next expression is not run
// once the item's maxCount is reached.
//
// `lineRule`, when not null (the Luhn validator of the card, SSN and SIN
// detectors, usually `validator` itself), gets allow_newline = false before
// every part whose flags have bit 4 set and true before every other part.
//
// `hints`, when not null, has one Features entry per expression: each
// expression then searches only where its candidates can start (see
// hinted_scan.h), with the same result.
//
// All arguments are borrowed for the call. Allocates nothing itself (the
// validator's logger may, and the hints' join buffer grows on a thread's
// first long list); never throws. REQUIRES: each expression non-empty.
unsigned long scanIdentifiers(DictionaryItemImpl const& item, DScanAreaImpl* area,
                              unsigned long budget, Regex::Expression const* expressions,
                              unsigned int count, Regex::Re_Validator& validator,
                              Regex::Luhn* lineRule, IdentifierHints const* hints = nullptr);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_IDENTIFIER_SCAN_H_
