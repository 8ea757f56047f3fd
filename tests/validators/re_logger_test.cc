// Re_Logger: what reaches the match logger, and the accept-all rule of
// administrator expressions.
#include <string>

#include <gtest/gtest.h>

#include "validators/run_validator.h"

namespace {

using Vessamund::Regex::ExpressionImpl;
using Vessamund::Regex::Re_Logger;
using vmund_test::acceptedBy;

TEST(ReLoggerTest, LogsWholeMatchesAndResumesAfterThem) {
  ExpressionImpl expr;
  expr.pattern("a(b)?a", 0, true);
  // Resuming at the end of each match: "aba" and then "aa", never the
  // overlapping "aba" inside "abaa".
  EXPECT_EQ((std::vector<std::string>{"aba", "aa"}), acceptedBy<Re_Logger>(expr, "xabaaax"));
}

// Rejects every other candidate.
class Alternating : public Re_Logger {
 public:
  using Re_Logger::Re_Logger;
  bool do_check(ExpressionImpl const*, char const*, unsigned int, unsigned int& resume,
                int* ovector, int) override {
    resume = static_cast<unsigned int>(ovector[1]);
    return (++calls_ % 2) == 0;
  }

 private:
  int calls_ = 0;
};

TEST(ReLoggerTest, RejectedCandidatesAreNeitherLoggedNorCounted) {
  ExpressionImpl expr;
  expr.pattern("\\d+", 0, true);
  EXPECT_EQ((std::vector<std::string>{"22", "4444"}),
            acceptedBy<Alternating>(expr, "1 22 333 4444 55555"));
}

}  // namespace
