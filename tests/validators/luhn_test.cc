// Luhn: social insurance and social security numbers, and the grouping each
// type demands. Card numbers of every layout are in the item tests.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "items/predefined_patterns.h"
#include "validators/run_validator.h"

namespace {

using Vessamund::Regex::Luhn;
using vmund_test::expectVerdicts;
using vmund_test::RecordingLogger;

TEST(LuhnTest, SocialInsuranceNumbers) {
  expectVerdicts<Luhn>(*Vessamund::cansin_expr.get(),
                       {
                           {"046454286 046454286,046454286", 3, "a delimiter serves both sides"},
                           {"SIN: 046 454 826", 0, "transposed"},
                       },
                       Luhn::CanSIN);
}

TEST(LuhnTest, SocialSecurityNumbersHaveNoSum) {
  expectVerdicts<Luhn>(*Vessamund::usssn_expr.get(),
                       {
                           {"SSN 078-05-1120", 1, "Luhn sum 20"},
                           {"SSN 078-05-1121", 1, "any sum"},
                       },
                       Luhn::USSSN);
}

// Hand-built candidates: groupings no predefined expression produces, and
// line breaks inside the identifier. Group 4 is the whole text.
struct HandBuilt {
  char const* id;
  Luhn::ltype type;
  bool allowNewline;
  bool accepted;
  char const* note;
};

TEST(LuhnTest, GroupingByType) {
  std::vector<HandBuilt> const rows = {
      {"4111 1111 1111 1111", Luhn::CreditCard, true, true, "4444"},
      {"4111 1111 1111 116", Luhn::CreditCard, true, false, "4443, though the sum holds"},
      {"0464 54286", Luhn::CanSIN, true, false, "45: wrong grouping"},
      {"078 05\n1120", Luhn::USSSN, true, true, "line break allowed"},
      {"078 05\n1120", Luhn::USSSN, false, false, "line break refused"},
      {"046 454\r286", Luhn::CanSIN, false, false, "carriage return refused"},
      // 3: a value the type can hold that names no identifier.
      {"", static_cast<Luhn::ltype>(3), true, true, "no grouping, empty sum"},
      {"4111 1111 1111 1112", static_cast<Luhn::ltype>(3), true, false, "other type: sum only"},
  };
  for (auto const& row : rows) {
    SCOPED_TRACE(row.note);
    RecordingLogger log;
    Luhn luhn(log, row.type);
    luhn.allow_newline = row.allowNewline;
    unsigned int resume = 12345;
    EXPECT_EQ(row.accepted, vmund_test::checkAlone(luhn, row.id, resume));
    // Group 4 spans [1, 1 + n): its last byte is at n (0 when empty too).
    EXPECT_EQ(std::string(row.id).size(), resume);
  }
}

TEST(LuhnTest, BoundaryCheckComesFirst) {
  // Valid card, but a digit and a full stop before it: rejected, nothing
  // logged, and the search resumes at the card's last digit.
  std::string const text = "1.4111 1111 1111 1111";
  int ov[16] = {1, 21, 1, 2, -1, -1, 1, 2, 2, 21, 6, 7, 6, 7, 21, 21};
  RecordingLogger log;
  Luhn luhn(log, Luhn::CreditCard);
  unsigned int resume = 0;
  EXPECT_FALSE(luhn.check(nullptr, text.data(), text.size(), resume, ov, 8));
  EXPECT_EQ(20u, resume);
  EXPECT_TRUE(log.reports.empty());
}

}  // namespace
