// The prefilter of a wildcard item: a pattern for the multi-pattern engine
// that matches somewhere in every text where the wildcard pattern has a
// match (see src/items/wildcard_match.h for the matcher).
#ifndef VESSAMUND_SRC_ITEMS_WILDCARD_SUPERSET_H_
#define VESSAMUND_SRC_ITEMS_WILDCARD_SUPERSET_H_

#include <string>

namespace Vessamund {
namespace internal {

// For a lower-cased wildcard pattern: an expression in the pattern set's
// syntax (src/outside/pattern_set.h) that matches in every text holding a
// match of the pattern, or "" when the pattern has no element that every
// match must consume (a lone "*", say): such an item reads every part.
//
// Why it holds: an attempt that succeeds has gone through every element of
// the pattern in order (only trailing stars may be passed over at the end
// of the text), each consuming text bytes right after those of the element
// before it. A literal or escaped byte consumes exactly one byte that folds
// to it, a class exactly one byte it accepts, "?" at most one, a star run
// any number. So the match holds, from its start, one byte of each literal
// and class in turn, with at most one byte for each "?" between them and
// anything where the stars were: the expression is exactly that sequence,
// without the stars before the first byte or after the last.
std::string wildcardSuperset(char const* pattern);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_WILDCARD_SUPERSET_H_
