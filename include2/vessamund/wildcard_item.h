// Word pattern with wildcards (every pattern type no other item claims).
#ifndef VESSAMUND_WILDCARD_ITEM_H_
#define VESSAMUND_WILDCARD_ITEM_H_

#include "vessamund/dictionary_item.h"

namespace Vessamund {

// Matches word by word: a match starts at a word start and ends at whitespace
// or the end of the part. "*" any run of bytes (shortest that lets the rest
// match), "?" one non-blank byte (or nothing at a blank), "[...]" a class with
// "!" negation and ranges, "\" a literal. ASCII letters fold (whatever the
// host's locale). The pattern is lower-cased at construction and is the
// identifier logged for every match, at the same address for the item's life.
// Work per part is at most (star runs) x (part length) x (pattern length) and
// linear in the part for the usual patterns; stack use grows with the number
// of star runs (about 10 KB plus a few hundred bytes per run).
class DictionaryWildcard : public DictionaryItemImpl {
 public:
  explicit DictionaryWildcard(__vmund_dictionary_item const* record);
  unsigned long scan(DScanAreaImpl* area, unsigned long budget,
                     DictionaryMatchLogger& logger) override;
};

}  // namespace Vessamund

#endif  // VESSAMUND_WILDCARD_ITEM_H_
