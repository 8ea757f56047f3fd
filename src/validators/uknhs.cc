// uknhs: UK NHS numbers, grouped 3-3-4, modulus 11 with weights 10 down to 2.
#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

bool uknhsRule(char const* id, int n) {
  if (!DigitalPatternSPCheck(true, id, n, "334")) return false;
  // The grouping held, so there are ten digits and n >= 10.
  int sum = 0;
  int weight = 10;
  for (int i = 0; i < n - 1 && weight >= 2; ++i) {
    if (!internal::isDigit(id[i])) continue;
    sum += internal::digitValue(id[i]) * weight;
    --weight;
  }
  int check = 11 - sum % 11;
  if (check == 10) return false;  // no number is issued with this remainder
  if (check == 11) check = 0;
  return internal::digitValue(id[n - 1]) == check;
}

}  // namespace

bool uknhs::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count, uknhsRule);
}

}  // namespace Regex
}  // namespace Vessamund
