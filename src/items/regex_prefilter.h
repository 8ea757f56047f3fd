// The prefilter of an administrator's expression: the same expression given
// to the multi-pattern engine in its prefilter mode, when the two engines
// are known to read it alike.
#ifndef VESSAMUND_SRC_ITEMS_REGEX_PREFILTER_H_
#define VESSAMUND_SRC_ITEMS_REGEX_PREFILTER_H_

#include "outside/pattern_set.h"
#include "vessamund/regex_item.h"

namespace Vessamund {
namespace internal {

// Fills `out` and returns true when `item`'s compiled expression can be
// prefiltered: then the pattern set reports a match in every text where the
// item's expression has one (prefilter mode promises a superset of the
// matches of the expression as the pattern set reads it). False leaves the
// item reading every part.
//
// The promise is only worth something where both engines read the
// expression alike, so only this subset is accepted: expressions compiled
// without UTF-8 (caseless then folds ASCII letters in both, and \d \w \s \b
// mean the same ASCII sets); literals, "." (newline is line feed in both),
// classes, the escapes \d \D \w \W \s \S \b \B \A \z \Z \t \n \r \f \e, \xHH
// and escaped punctuation; groups, (?: ), look-arounds (prefilter mode
// widens them), the option groups of i, m and s; ^ $ | and the quantifiers,
// lazy ones included. Anything else (back-references, \p, \x{...}, (?x),
// possessive or atomic forms, verbs...) keeps the item reading every part,
// as does an expression without a literal character (only classes such as
// \d{3}-\d{4}): the pattern set would spend more on it than the item does.
bool regexPrefilter(DictionaryRegex const& item, SetPattern* out);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_REGEX_PREFILTER_H_
