// Searching a compiled expression only where its candidates can start: the
// form of ExpressionImpl::matches() that a planned scan uses once a pass has
// shown where an identifier can begin.
#ifndef VESSAMUND_SRC_OUTSIDE_RANGED_SEARCH_H_
#define VESSAMUND_SRC_OUTSIDE_RANGED_SEARCH_H_

#include <cstddef>

#include "vessamund/regex.h"

namespace Vessamund {
namespace Regex {

// A stretch of a searched text in which a candidate may start: the offsets
// `first` to `last`, both included.
struct StartRange {
  unsigned int first;
  unsigned int last;
};

// expression.matches() restricted to candidates that start inside `ranges`
// (sorted by `first`, not overlapping; borrowed for the call): the same
// loop, the same validator calls, resume rule and progress rule, but the
// engine searches only the ranges. It returns exactly what matches() returns
// when no candidate can start outside the ranges and no search position
// outside them reaches `matchLimit` (the limit applies to each search
// position on its own): a caller that knows where candidates cannot start
// saves the search of the rest. An expression compiled for UTF-8 searches
// everything, as matches() does. Allocates nothing after the first call on a
// thread; takes no lock; never throws. REQUIRES: validator != nullptr.
unsigned long matchesIn(ExpressionImpl const& expression, char const* text, unsigned int length,
                        unsigned long wanted, StartRange const* ranges, std::size_t rangeCount,
                        Re_Validator* validator, int matchLimit);

}  // namespace Regex
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_OUTSIDE_RANGED_SEARCH_H_
