// The identifier detectors' scan loop (see identifier_scan.h); the detectors
// themselves are in predefined_items.cc.
#include "items/identifier_scan.h"

#include <cstdint>

#include "scan/item_scan.h"

namespace Vessamund {
namespace internal {

namespace {

// Backtracking bound handed to the engine per search. The built-in
// expressions are anchored on short literal contexts and never need more.
constexpr int kMatchLimit = 6000;

// Bit of a part's flags asking the card, SSN and SIN detectors to reject a
// number that spans a line break.
constexpr uint16_t kNoLineBreakFlag = 16;

}  // namespace

unsigned long scanIdentifiers(DictionaryItemImpl const& item, DScanAreaImpl* area,
                              unsigned long budget, Regex::Expression const* expressions,
                              unsigned int count, Regex::Re_Validator& validator,
                              Regex::Luhn* lineRule) {
  return scanItemParts(
      item, area, budget, /*skipAfterHit=*/true,
      [&](DScanAreaPart const& part, unsigned long wanted) {
        if (lineRule != nullptr) lineRule->allow_newline = (part.flags & kNoLineBreakFlag) == 0;
        unsigned long found = 0;
        // found < wanted also keeps the engine's precondition: at least one wanted.
        for (unsigned int i = 0; i < count && found < wanted; ++i) {
          found += expressions[i]->matches(part.text, part.length, wanted - found, 0,
                                           &validator, kMatchLimit, nullptr);
        }
        return found;
      });
}

}  // namespace internal
}  // namespace Vessamund
