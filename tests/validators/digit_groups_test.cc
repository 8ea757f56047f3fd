// DigitalPatternSPCheck: run lengths, the three ways of separating runs, line
// breaks, and inputs with more runs than `groups` lists.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vessamund/validators.h"

namespace {

using Vessamund::Regex::DigitalPatternSPCheck;

struct Case {
  std::string text;
  char const* groups;
  bool allowNewline;
  bool expected;
  char const* note;
};

TEST(DigitalPatternSPCheckTest, Table) {
  std::string const manyRuns = [] {
    std::string s = "1";
    for (int i = 0; i < 40; ++i) s += "-1";
    return s;
  }();
  std::string const manyOnes(41, '1');
  std::vector<Case> const cases = {
      {"123-45-6789", "324", true, true, "one separator character"},
      {"123456789", "324", true, true, "unseparated, 3+2+4 digits"},
      {"12345678", "324", true, false, "unseparated, one digit short"},
      {"1234567890", "324", true, false, "unseparated, one digit over"},
      {"123\t\t45  6789", "324", true, true, "blank runs of any length"},
      {"123 - 45 - 6789", "324", true, true, "blanks beside the separator"},
      {"123-45 6789", "324", true, false, "separator, then blanks alone"},
      {"123-45.6789", "324", true, false, "two separator characters"},
      {"123-456789", "324", true, false, "runs of 3 and 6"},
      {"123-45-6789-", "324", true, true, "trailing separator closes nothing"},
      {"-123456789", "324", true, true, "separator before the digits: never split"},
      {"123\n45\n6789", "324", false, false, "line feed refused"},
      {"123 45\r6789", "324", false, false, "carriage return refused"},
      {"", "0", true, true, "len 0 against a zero sum"},
      {"1 2 3 4 5 6 7 8 9 1 2 3", "4444", true, false, "more runs than listed"},
      {manyRuns, "1111", true, false, "41 runs against 4"},
      {manyRuns, manyOnes.c_str(), true, true, "41 runs against 41"},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(c.expected, DigitalPatternSPCheck(c.allowNewline, c.text.data(),
                                                static_cast<int>(c.text.size()), c.groups));
  }
}

TEST(DigitalPatternSPCheckTest, ReadsOnlyLenBytes) {
  char const text[] = "123-45-6789";
  EXPECT_TRUE(DigitalPatternSPCheck(true, text, 6, "32"));
  EXPECT_FALSE(DigitalPatternSPCheck(true, text, 6, "324"));
}

}  // namespace
