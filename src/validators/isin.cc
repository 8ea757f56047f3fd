// isin: the ISIN check digit, a Luhn sum over the identifier with its letters
// expanded to two digits each. isin_expr has a frame of its own (1 the
// identifier, 2 separator, 3 its blank, 4 trailing context, 5 its blank), so
// this validator judges the surroundings itself.
#include "validators/captures.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

// Luhn sum over a stream of digits fed right to left.
class LuhnStream {
 public:
  void add(int digit) {
    if (doubled_) digit *= 2;
    sum_ += digit / 10 + digit % 10;
    doubled_ = !doubled_;
  }
  int checkDigit() const { return (10 - sum_ % 10) % 10; }

 private:
  int sum_ = 0;
  bool doubled_ = true;  // the digit next to the check digit is doubled
};

bool isinRule(char const* id, int n) {
  if (n == 0) return false;
  LuhnStream stream;
  for (int i = n - 2; i >= 0; --i) {
    char const c = id[i];
    if (internal::isDigit(c)) {
      stream.add(internal::digitValue(c));
    } else if (internal::isLetter(c)) {
      // Right to left, so the letter's units digit comes first.
      int const v = internal::letterValue(c);
      stream.add(v % 10);
      stream.add(v / 10);
    }
  }
  return internal::digitValue(id[n - 1]) == stream.checkDigit();
}

}  // namespace

bool isin::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int /*length*/,
                    unsigned int& resume, int* ovector, int count) {
  internal::Captures const g{text, ovector, count};
  resume = g.last(1);
  // Separated by a blank run and followed by the same run and a digit: a
  // piece of a longer blank-separated number.
  if (count > 5 && g.length(3) > 0 && g.length(5) > 0 && g.first(5) == g.first(3) &&
      g.length(2) == g.length(4))
    return false;
  return isinRule(g.start(1), g.length(1));
}

}  // namespace Regex
}  // namespace Vessamund
