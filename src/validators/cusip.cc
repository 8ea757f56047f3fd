// cusip: the CUSIP check digit over the eight characters before it.
#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

bool cusipRule(char const* id, int n) {
  if (n == 0) return false;
  int sum = 0;
  bool doubled = true;  // the character next to the check digit is doubled
  for (int i = n - 2; i >= 0; --i) {
    char const c = id[i];
    int v;
    if (internal::isDigit(c)) {
      v = internal::digitValue(c);
    } else if (internal::isLetter(c)) {
      v = internal::letterValue(c);
    } else {
      continue;  // separator
    }
    if (doubled) v *= 2;
    sum += v / 10 + v % 10;
    doubled = !doubled;
  }
  return internal::digitValue(id[n - 1]) == (10 - sum % 10) % 10;
}

}  // namespace

bool cusip::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count, cusipRule);
}

}  // namespace Regex
}  // namespace Vessamund
