// aba: ABA routing numbers, grouped 4-4-1, weights 3, 7, 1 repeating.
#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

bool abaRule(char const* id, int n) {
  if (n == 0 || !DigitalPatternSPCheck(true, id, n, "441")) return false;
  static constexpr int kWeights[3] = {3, 7, 1};
  int sum = 0;
  int position = 0;  // among digits only
  for (int i = 0; i < n; ++i) {
    if (!internal::isDigit(id[i])) continue;
    sum += internal::digitValue(id[i]) * kWeights[position % 3];
    ++position;
  }
  // All zeros is a multiple of 10 but no routing number.
  return sum > 0 && sum % 10 == 0;
}

}  // namespace

bool aba::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                   unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count, abaRule);
}

}  // namespace Regex
}  // namespace Vessamund
