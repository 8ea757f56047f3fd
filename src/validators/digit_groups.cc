// DigitalPatternSPCheck (declared in vessamund/validators.h): how the digits
// of a candidate are split into runs.
//
// The run lengths found so far are compared with `groups` as each run closes
// instead of being collected: once a closed run differs from its place in
// `groups` (or has no place), the final comparison can only fail, so the
// check fails at once. That keeps the check free of allocation and of any
// limit on the number of runs.
#include "vessamund/validators.h"

#include "validators/char_values.h"

namespace Vessamund {
namespace Regex {

namespace {

// White space as isspace() judges it in the POSIX locale.
bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Closes a run of `run` digits as run number `found`; false when `groups`
// holds another length (or nothing) there.
bool closeRun(char const* groups, int& found, int& run) {
  if (groups[found] == '\0' || internal::digitValue(groups[found]) != run) return false;
  ++found;
  run = 0;
  return true;
}

int digitSum(char const* groups) {
  int sum = 0;
  for (; *groups != '\0'; ++groups) sum += internal::digitValue(*groups);
  return sum;
}

}  // namespace

bool DigitalPatternSPCheck(bool allow_newline, char const* text, int len, char const* groups) {
  // `sep`: the separator in force; `carry`: the one the digits so far came
  // under. A space stands for "blanks or nothing". A digit must come under
  // the separator in force, so once a separator character has been seen,
  // blanks alone can no longer split runs.
  char sep = ' ';
  char carry = ' ';
  int run = 0;    // digits in the open run
  int total = 0;  // digits in all
  int found = 0;  // closed runs, each equal to its place in `groups`
  for (int i = 0; i < len; ++i) {
    char const c = text[i];
    if (internal::isDigit(c)) {
      if (carry != sep) return false;  // blanks where a separator was due
      ++run;
      ++total;
      carry = sep;
    } else if (isSpace(c)) {
      if (!allow_newline && (c == '\n' || c == '\r')) return false;
      if (run != 0) {
        if (!closeRun(groups, found, run)) return false;
        sep = ' ';
      }
    } else if (carry == ' ') {
      // A separator character may first appear right after the first run,
      // blanks allowed between them; not once blanks alone have split runs.
      if (found == 0) {
        sep = carry = c;
        if (run != 0 && !closeRun(groups, found, run)) return false;
      } else if (found == 1 && run == 0) {
        sep = carry = c;
      } else {
        return false;
      }
    } else {
      if (c != carry) return false;
      sep = c;
      if (run != 0 && !closeRun(groups, found, run)) return false;
    }
  }
  if (found != 0) {
    if (run != 0 && !closeRun(groups, found, run)) return false;
    return groups[found] == '\0';
  }
  // Never split: only the number of digits counts.
  return total == digitSum(groups);
}

}  // namespace Regex
}  // namespace Vessamund
