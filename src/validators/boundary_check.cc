// The boundary check (boundary_check.h). Its rules read the predefined frame:
// group 1 leading context, 2 its blank when it is a blank run after a digit,
// 3 its full stop or comma after a digit, 5 the separator, 7 trailing
// context, 8 and 9 its blank run or full stop or comma before a digit.
#include "validators/boundary_check.h"

namespace Vessamund {
namespace Regex {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isStop(char c) { return c == '.' || c == ','; }

}  // namespace

bool BoundaryCheck(char const* text, unsigned int /*length*/, unsigned int& /*resume*/,
                   int* ovector, int count) {
  internal::Captures const g{text, ovector, count};
  // Too few groups to carry any context worth judging.
  if (count <= 3) return true;

  if (count >= 6 && g.length(5) > 0) {
    char const s = g.first(5);
    if (isBlank(s)) {
      // A digit and a decimal mark right before a blank-separated number.
      if (g.length(3) == 1 && isStop(g.first(3))) return false;
      // A digit and the number's own blank run before it: the candidate
      // continues a number written the same way.
      if (g.length(2) > 0 && g.length(1) == g.length(5) && g.first(1) == s) return false;
      if (count >= 10) {
        // A decimal mark and a digit right after it.
        if (g.length(9) == 1 && isStop(g.first(9))) return false;
      } else if (count != 9) {
        return true;  // nothing but a line end or a delimiter after it
      }
      // Group 7, in the standard frame a blank run before a digit: the
      // same run as the separator means the number goes on.
      return g.length(7) != g.length(5) || g.first(7) != s;
    }
    // Hyphen-separated numbers (and frames whose group 5 is no separator)
    // are never parts of a longer number here.
    if (s != '.') return true;
  }

  // Unseparated or dot-separated: only a full stop joins it to a digit; a
  // comma is a list separator.
  if (g.length(3) == 1 && g.first(3) == '.') return false;
  if (count >= 10 && g.length(9) == 1) return g.first(9) != '.';
  return true;
}

}  // namespace Regex
}  // namespace Vessamund
