// Luhn: card numbers, Canadian social insurance numbers and US social
// security numbers, by digit grouping and (except the last) the Luhn sum.
#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

// The Luhn (mod 10) sum over the digits of id[0, n), right to left; other
// bytes are separators and take no position.
bool luhnSumValid(char const* id, int n) {
  int sum = 0;
  bool doubled = false;  // the rightmost digit counts at face value
  for (int i = n - 1; i >= 0; --i) {
    if (!internal::isDigit(id[i])) continue;
    int d = internal::digitValue(id[i]);
    if (doubled) {
      d *= 2;
      if (d > 9) d -= 9;
    }
    sum += d;
    doubled = !doubled;
  }
  return sum % 10 == 0;
}

}  // namespace

bool Luhn::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                    unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(
      text, length, resume, ovector, count, [this](char const* id, int n) {
        switch (luhn_type) {
          case USSSN:
            // No checksum exists; the grouping is all there is to check.
            return DigitalPatternSPCheck(allow_newline, id, n, "324");
          case CreditCard:
            // One validator serves all nine card expressions: 16, 15 and 14
            // digits.
            if (!DigitalPatternSPCheck(allow_newline, id, n, "4444") &&
                !DigitalPatternSPCheck(allow_newline, id, n, "465") &&
                !DigitalPatternSPCheck(allow_newline, id, n, "464"))
              return false;
            break;
          case CanSIN:
            if (!DigitalPatternSPCheck(allow_newline, id, n, "333")) return false;
            break;
          default:
            break;
        }
        return luhnSumValid(id, n);
      });
}

}  // namespace Regex
}  // namespace Vessamund
