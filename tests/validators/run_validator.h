// Runs an expression with a validator the way the identifier items do, and
// reports what the validator accepted.
#ifndef VESSAMUND_TESTS_VALIDATORS_RUN_VALIDATOR_H_
#define VESSAMUND_TESTS_VALIDATORS_RUN_VALIDATOR_H_

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_area.h"
#include "vessamund/regex.h"
#include "vessamund/validators.h"

namespace vmund_test {

// The matches (group 0, context included) that a V built from a recording
// logger and `args` accepted in `text`. Also checks that the engine counted
// exactly the logged matches and that each went out under the expression's
// stored text.
template <class V, class... Args>
std::vector<std::string> acceptedBy(Vessamund::Regex::ExpressionImpl const& expr,
                                    std::string const& text, Args... args) {
  RecordingLogger log;
  V validator(log, args...);
  unsigned long n = expr.matches(text.data(), static_cast<unsigned int>(text.size()), 100, 0,
                                 &validator, 6000, nullptr);
  std::vector<std::string> matches;
  for (auto const& r : log.reports) {
    EXPECT_EQ(expr.pattern().c_str(), r.pattern);
    matches.push_back(r.match);
  }
  EXPECT_EQ(n, matches.size());
  return matches;
}

template <class V, class... Args>
size_t countAccepted(Vessamund::Regex::ExpressionImpl const& expr, std::string const& text,
                     Args... args) {
  return acceptedBy<V>(expr, text, args...).size();
}

// One row of a verdict table: a text, how many identifiers in it count, why.
struct Verdict {
  char const* text;
  size_t accepted;
  char const* note;
};

template <class V, class... Args>
void expectVerdicts(Vessamund::Regex::ExpressionImpl const& expr,
                    std::vector<Verdict> const& rows, Args... args) {
  for (auto const& row : rows) {
    SCOPED_TRACE(std::string(row.note) + ": \"" + row.text + "\"");
    EXPECT_EQ(row.accepted, countAccepted<V>(expr, row.text, args...));
  }
}

// Hands `v` the identifier `id` as a candidate of the standard frame that
// no expression need produce: " id ", groups 1 and 7 a single space, group
// 4 the identifier, no separator. Returns the verdict; `resume` gets what
// the validator set.
inline bool checkAlone(Vessamund::Regex::Re_Logger& v, std::string const& id,
                       unsigned int& resume) {
  std::string const text = " " + id + " ";
  int const end = 1 + static_cast<int>(id.size());
  int ov[16] = {0, end + 1, 0, 1, -1, -1, -1, -1, 1, end, -1, -1, -1, -1, end, end + 1};
  return v.do_check(nullptr, text.data(), static_cast<unsigned int>(text.size()), resume, ov,
                    8);
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_VALIDATORS_RUN_VALIDATOR_H_
