// usdea: the check digit of a US DEA registration number, the last digit of
// the six digits before it weighted 2, 1, 2, 1, ... from the right.
#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

bool usdeaRule(char const* id, int n) {
  if (n == 0) return false;
  int sum = 0;
  int taken = 0;
  for (int i = n - 2; i >= 0 && taken < 6; --i) {
    if (!internal::isDigit(id[i])) continue;  // separators and the two letters
    int const d = internal::digitValue(id[i]);
    // Doubled digits count whole, not by their digit sum.
    sum += taken % 2 == 0 ? 2 * d : d;
    ++taken;
  }
  return internal::digitValue(id[n - 1]) == sum % 10;
}

}  // namespace

bool usdea::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count, usdeaRule);
}

}  // namespace Regex
}  // namespace Vessamund
