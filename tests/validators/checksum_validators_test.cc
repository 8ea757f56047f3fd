// The identifier validators through their expressions: transpositions, letters
// and the places where these rules depart from the published schemes. One
// valid and one corrupted identifier of each detector are in the item tests.
#include <gtest/gtest.h>

#include "items/predefined_patterns.h"
#include "validators/run_validator.h"

namespace {

using namespace Vessamund::Regex;
using vmund_test::expectVerdicts;

TEST(IsinTest, CheckDigit) {
  expectVerdicts<isin>(*Vessamund::isin_expr.get(),
                       {
                           {"US5949181045, DE000BAY0017", 2, "published, letters inside"},
                           {"us0378331005", 1, "lower case counts like upper"},
                           {"US0387331005", 0, "digits transposed"},
                           {"DE000BAY0071", 0, "last two transposed"},
                           {"US 037833100 5 7", 0, "same blank run then a digit"},
                           {"XUS0378331005", 0, "no word boundary"},
                       });
}

TEST(CusipTest, CheckDigit) {
  expectVerdicts<cusip>(*Vessamund::cusip_expr.get(),
                        {
                            {"CUSIP: 38259P508", 1, "published, with a letter"},
                            {"CUSIP: 38259p508", 1, "lower case counts like upper"},
                            {"38295P508", 0, "transposed"},
                        });
}

TEST(AbaTest, RoutingNumbers) {
  expectVerdicts<aba>(*Vessamund::aba_expr.get(),
                      {
                          {"ABA 0210-0002-1", 1, "published, 4-4-1 hyphens"},
                          {"021000012", 0, "last two transposed"},
                          {"000000000", 0, "all zeros: sum 0 is not accepted"},
                          {"0110-00015", 0, "4-5 grouping"},
                          {"2110000025", 0, "ten digits"},
                      });
}

TEST(IbanTest, Mod97) {
  expectVerdicts<iban>(*Vessamund::iban_expr.get(),
                       {
                           {"IBAN: DE89 3704 0044 0532 0130 00", 1, "Germany, spaces"},
                           {"GB29 NWBK 6016 1331 9268 19.", 1, "UK, letters inside"},
                           {"gb29nwbk60161331926819", 1, "lower case"},
                           {"(MT84 MALT 0110 0001 2345 MTLC AST0 01S)", 1, "Malta, 31 characters"},
                           {"DE98370400440532013000", 0, "check digits transposed"},
                           {"DE89 3704 0044 0532 013", 0, "truncated"},
                           // Only the remainder counts, not the country's length.
                           {"DE863704004405320130", 1, "Germany with two digits missing"},
                           // Spaced, the last full block needs a blank after it.
                           {"BE68 5390 0754 7034", 0, "ends on a full block"},
                           {"BE68539007547034", 1, "same unseparated"},
                       });
}

TEST(InseeTest, Key) {
  expectVerdicts<insee>(*Vessamund::insee_expr.get(),
                        {
                            {"n° 2 55 08 14 168 025 38", 1, "published"},
                            {"2 55 08 14 168 025 83", 0, "key transposed"},
                            {"1 85 01 78 000 000 97", 1, "N a multiple of 97: key 97"},
                            {"185017800008809", 1, "key 9 written 09"},
                            {"185017800008890", 0, "key 9 written 90"},
                        });
}

TEST(UsdeaTest, CheckDigit) {
  expectVerdicts<usdea>(*Vessamund::usdea_expr.get(),
                        {
                            {"DEA: AB1234587", 1, "sum 37: doubled 8 counts 16"},
                            {"DEA: AB1234588", 0, "digit sum of the doubled 8 would give 8"},
                            {"AB2134563", 0, "transposed"},
                            {"ab1234563", 0, "lower-case letters: no candidate"},
                            {"F91234563", 1, "9 in second place: only six digits taken"},
                        });
}

TEST(UknhsTest, Modulus11) {
  expectVerdicts<uknhs>(*Vessamund::uknhs_expr.get(),
                        {
                            {"NHS 493 476 5919", 0, "transposed"},
                            {"111 111 1170", 1, "remainder 0: check digit 0"},
                            {"111 111 1171", 0, "remainder 0, other check digit"},
                            {"111 111 1120", 0, "11 minus remainder is 10: never"},
                        });
}

// The expressions already demand one separator throughout, so only a
// hand-built candidate shows the grouping rule of these two.
TEST(GroupingTest, AbaAndUknhsCheckTheirGrouping) {
  vmund_test::RecordingLogger log;
  aba routing(log);
  uknhs nhs(log);
  unsigned int resume = 0;
  EXPECT_TRUE(vmund_test::checkAlone(routing, "0210 0002 1", resume));
  EXPECT_FALSE(vmund_test::checkAlone(routing, "021000 021", resume));
  EXPECT_TRUE(vmund_test::checkAlone(nhs, "943 476 5919", resume));
  EXPECT_FALSE(vmund_test::checkAlone(nhs, "9434 765 919", resume));
}

}  // namespace
