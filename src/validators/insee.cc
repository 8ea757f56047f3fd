// insee: the key of a French INSEE number, 97 minus the number modulo 97,
// written as the identifier's last two digits.
#include <cstdint>

#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

bool inseeRule(char const* id, int n) {
  if (n < 2) return false;
  // The thirteen digits before the key, right to left; blanks skipped.
  uint64_t number = 0;
  uint64_t place = 1;
  int taken = 0;
  for (int i = n - 3; i >= 0 && taken < 13; --i) {
    if (!internal::isDigit(id[i])) continue;
    number += static_cast<uint64_t>(internal::digitValue(id[i])) * place;
    place *= 10;
    ++taken;
  }
  int const key = 97 - static_cast<int>(number % 97);  // 1 to 97
  return internal::digitValue(id[n - 1]) == key % 10 &&
         internal::digitValue(id[n - 2]) == key / 10;
}

}  // namespace

bool insee::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count, inseeRule);
}

}  // namespace Regex
}  // namespace Vessamund
