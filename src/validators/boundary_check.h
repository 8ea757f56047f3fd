// The boundary check shared by the predefined-identifier validators, and the
// frame those validators wrap around their own rule.
#ifndef VESSAMUND_SRC_VALIDATORS_BOUNDARY_CHECK_H_
#define VESSAMUND_SRC_VALIDATORS_BOUNDARY_CHECK_H_

#include "validators/captures.h"

namespace Vessamund {
namespace Regex {

// Rejects a candidate of a predefined expression whose surroundings show it
// to be part of a longer number: the same blank run as its own separator, or
// a full stop or comma, between it and a digit on either side (commas are
// allowed beside unseparated and dot-separated numbers, as in lists; hyphen-
// separated numbers are never rejected). Reads the fixed group numbers of the
// predefined frame (1-3 leading context, 5 separator, 7-9 trailing context)
// whatever the expression, `text` only at those groups' first bytes, and
// nothing beyond the first `count` pairs. Leaves `resume` alone; `length` is
// unused. Pure: no allocation, no state.
bool BoundaryCheck(char const* text, unsigned int length, unsigned int& resume, int* ovector,
                   int count);

namespace internal {

// The frame of every validator that uses the boundary check: the search
// resumes at the identifier's (group 4's) last byte whatever the verdict, the
// boundary check decides first, then `rule(identifier, its length)`.
template <class Rule>
bool CheckIdentifier(char const* text, unsigned int length, unsigned int& resume, int* ovector,
                     int count, Rule const& rule) {
  Captures const groups{text, ovector, count};
  resume = groups.last(4);
  if (!BoundaryCheck(text, length, resume, ovector, count)) return false;
  return rule(groups.start(4), groups.length(4));
}

}  // namespace internal
}  // namespace Regex
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_VALIDATORS_BOUNDARY_CHECK_H_
