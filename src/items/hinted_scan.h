// Item scans that take what a one-pass prefilter found (candidate_table.h).
//
// With null hints each function is exactly its item's own scan (the items'
// scan() calls them so). With hints it skips the parts, or for identifiers
// the stretches of a part, where the prefilter proves that the item cannot
// match, and otherwise runs the same matcher on the same bytes: the score,
// the logger calls and their order are those of the scan without hints.
//
// Hints are per scan and per thread; every pointer is borrowed for the call.
// None of these allocates (the logger may) or throws.
#ifndef VESSAMUND_SRC_ITEMS_HINTED_SCAN_H_
#define VESSAMUND_SRC_ITEMS_HINTED_SCAN_H_

#include <cstdint>

#include "items/candidate_table.h"
#include "vessamund/dictionary_item.h"
#include "vessamund/regex_item.h"

namespace Vessamund {
namespace internal {

// A plain word. `hints` is the word's kCount signal: its score comes from
// the pass's sums, and only the parts they leave out are read.
unsigned long scanContain(DictionaryItemImpl const& item, DScanAreaImpl* area,
                          unsigned long budget, CandidateTable::Cursor* hints);

// A wildcard pattern (item.pattern lower-cased). `hints` walks a kPresence
// signal that matches in every part where the pattern does.
unsigned long scanWildcard(DictionaryItemImpl const& item, DScanAreaImpl* area,
                           unsigned long budget, DictionaryMatchLogger& logger,
                           CandidateTable::Cursor* hints);

// An administrator's expression. `hints` walks a kPresence signal that
// matches in every part where the expression does.
unsigned long scanRegex(DictionaryRegex const& item, DScanAreaImpl* area, unsigned long budget,
                        DictionaryMatchLogger& logger, CandidateTable::Cursor* hints);

// Where the candidates of an identifier item's expressions can start.
struct IdentifierHints {
  static constexpr int kMaxFeatures = 2;
  // One per expression of the item, in the item's order: the kRanges
  // signals whose ranges hold every candidate start of that expression that
  // no long blank run is near.
  struct Features {
    uint32_t signal[kMaxFeatures];
    uint8_t count;
  };
  CandidateTable* table;
  Features const* features;
  // The kRanges signal of long blank runs: its ranges hold the other
  // candidate starts, and every search position where the engine could
  // reach its backtracking limit.
  uint32_t longBlankRun;
};

// One of the eighteen identifier detectors, by its pattern-type code
// (256..273).
unsigned long scanIdentifierItem(DictionaryItemImpl const& item, uint16_t code,
                                 DScanAreaImpl* area, unsigned long budget,
                                 DictionaryMatchLogger& logger, IdentifierHints const* hints);

// The expressions a detector runs over each part, in order; `count` receives
// how many. REQUIRES: code in 256..273.
Regex::Expression const* identifierExpressions(uint16_t code, unsigned int* count);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_HINTED_SCAN_H_
