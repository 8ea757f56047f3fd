// The boundary check through the real expressions: which surroundings make a
// candidate part of a longer number. Every identifier here passes its own
// rule, so the surroundings alone decide.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "items/predefined_patterns.h"
#include "validators/run_validator.h"

namespace {

using Vessamund::Regex::Luhn;
using Vessamund::Regex::passport;
using vmund_test::expectVerdicts;
using vmund_test::Verdict;

TEST(BoundaryCheckTest, SocialInsuranceNumberInContext) {
  expectVerdicts<Luhn>(*Vessamund::cansin_expr.get(),
                       {
                           // Blank-separated.
                           {"046 454 286", 1, "alone on its line"},
                           {"9 046 454 286", 0, "digit and the same blank before"},
                           {"9  046 454 286", 1, "digit and a longer blank run before"},
                           {"046 454 286 7", 0, "the same blank and a digit after"},
                           {"1.046 454 286", 0, "digit and full stop before"},
                           {"046 454 286.5", 0, "full stop and digit after"},
                           {"046 454 286. Next", 1, "sentence end"},
                           // Unseparated and dot-separated.
                           {"1.046454286", 0, "digit and full stop before"},
                           {"1,046454286", 1, "comma-separated list"},
                           {"046454286,5", 1, "comma and digit after"},
                           {"1,046.454.286,5", 1, "dot-separated in a comma list"},
                           // Hyphen-separated: never rejected here.
                           {"1.046-454-286.5", 1, "full stops and digits both sides"},
                       },
                       Luhn::CanSIN);
}

TEST(BoundaryCheckTest, GroupFiveIsReadWhateverItHolds) {
  // The UK passport frame has no separator: group 5 is its trailing context.
  expectVerdicts<passport>(*Vessamund::ukpspt_expr.get(),
                           {
                               {"7 123456789 x", 0, "trailing blank read as the separator"},
                               {"7 123456789", 1, "line end: group 5 empty"},
                           });
  // US passport: group 5 is the nine-digit form (a digit, never rejected),
  // and empty for the letter form, judged like an unseparated number.
  expectVerdicts<passport>(*Vessamund::uspspt_expr.get(),
                           {
                               {"1.123456789.5", 1, "nine digits: group 5 starts with a digit"},
                               {"1.A1234567", 0, "letter form after digit and full stop"},
                           });
  // Card expression 3: group 5 is the prefix 1800 or 2131, so digits and
  // blanks around it never reject; expression 2, same grouping, does.
  using vmund_test::countAccepted;
  EXPECT_EQ(1u, countAccepted<Luhn>(*Vessamund::cc_expr[3].get(), "9 1800 000000 00002 7",
                                    Luhn::CreditCard));
  EXPECT_EQ(0u, countAccepted<Luhn>(*Vessamund::cc_expr[2].get(), "9 3782 822463 10005",
                                    Luhn::CreditCard));
}

}  // namespace
