// The predefined expressions: all compiled, with the capture layouts the
// validators read, texts unchanged, the card order, and each one at work on
// identifiers as they appear in mail.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "items/predefined_patterns.h"
#include "validators/run_validator.h"

namespace {

using namespace Vessamund;
using namespace Vessamund::Regex;
using vmund_test::countAccepted;

struct Entry {
  char const* name;
  Expression const& expr;
  unsigned int captures;
  size_t textLength;
  uint32_t textHash;  // FNV-1a: a changed byte anywhere shows
};

uint32_t fnv1a(std::string const& s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

// In compilation order.
std::vector<Entry> const& entries() {
  static std::vector<Entry> const all = {
      {"cansin", cansin_expr, 9, 161, 0x11005d3a}, {"usssn", usssn_expr, 9, 187, 0xcd9afa24},
      {"cc0", cc_expr[0], 9, 172, 0x45069411},     {"cc1", cc_expr[1], 9, 167, 0x8648a368},
      {"cc2", cc_expr[2], 9, 160, 0x9b4a27f0},     {"cc3", cc_expr[3], 10, 161, 0x2066ba29},
      {"cc4", cc_expr[4], 9, 168, 0xa4c12dcd},     {"cc5", cc_expr[5], 9, 159, 0x854c46c4},
      {"cc6", cc_expr[6], 9, 160, 0xf4d851ea},     {"cc7", cc_expr[7], 9, 165, 0xb5715193},
      {"cc8", cc_expr[8], 9, 168, 0x12efd600},     {"aba", aba_expr, 9, 180, 0x8d89ef66},
      {"cusip", cusip_expr, 9, 175, 0x19704a8f},   {"isin", isin_expr, 5, 94, 0x841f7745},
      {"usdea", usdea_expr, 9, 166, 0xf81122d4},   {"frcni", frcni_expr, 13, 182, 0x61666bb2},
      {"insee", insee_expr, 22, 319, 0xf6cb1346},  {"depspt", depspt_expr, 7, 132, 0x5df8bde6},
      {"iban", iban_expr, 15, 254, 0xb3f015b4},    {"itin", itin_expr, 9, 167, 0x2bc393dd},
      {"uspspt", uspspt_expr, 9, 131, 0x56e8f240}, {"frpspt", frpspt_expr, 9, 161, 0x70de9528},
      {"ukpspt", ukpspt_expr, 7, 113, 0xdd9cab51}, {"ukni", ukni_expr, 9, 186, 0x0776d94f},
      {"uknhs", uknhs_expr, 9, 166, 0x0fcfb9ff},   {"usein", usein_expr, 9, 150, 0x8b2af42c},
  };
  return all;
}

TEST(PredefinedPatternsTest, AllCompiledWithTheirLayouts) {
  ASSERT_EQ(26u, entries().size());
  for (auto const& e : entries()) {
    SCOPED_TRACE(e.name);
    EXPECT_TRUE(e.expr->compiled()) << e.expr->error();
    EXPECT_EQ(e.captures, e.expr->captureCount());
    std::string const& text = e.expr->pattern();
    EXPECT_EQ(e.textLength, text.size());
    EXPECT_EQ(e.textHash, fnv1a(text));
    EXPECT_EQ("/m", text.substr(text.size() - 2));
  }
}

TEST(PredefinedPatternsTest, CardExpressionsInOrder) {
  // Published test numbers; each is found by its own expression only.
  char const* const cards[9] = {
      "5555 5555 5555 4444", "4111 1111 1111 1111", "3782 822463 10005",
      "1800 000000 00002",   "3530 1113 3330 0000", "3056 930902 5904",
      "3852 000002 3237",    "6011 1111 1111 1117", "6500 0000 0000 0002",
  };
  for (int card = 0; card < 9; ++card) {
    for (int expr = 0; expr < 9; ++expr) {
      SCOPED_TRACE(std::string(cards[card]) + " by cc_expr[" + std::to_string(expr) + "]");
      EXPECT_EQ(card == expr ? 1u : 0u,
                countAccepted<Re_Logger>(*cc_expr[expr].get(), cards[card]));
    }
  }
}

TEST(PredefinedPatternsTest, ShapeOfTheFrame) {
  // Without a validator's judgement: which texts make candidates at all.
  EXPECT_EQ(0u, countAccepted<Re_Logger>(*isin_expr.get(), "1US0378331005"));
  EXPECT_EQ(0u, countAccepted<Re_Logger>(*isin_expr.get(), "xUS0378331005"));
  EXPECT_EQ(1u, countAccepted<Re_Logger>(*cansin_expr.get(), "1.046454286"));
  EXPECT_EQ(1u, countAccepted<Re_Logger>(*cansin_expr.get(), "046454286"));
  EXPECT_EQ(0u, countAccepted<Re_Logger>(*usssn_expr.get(), "078051120"));
  EXPECT_EQ(0u, countAccepted<Re_Logger>(*usssn_expr.get(), "666-05-1120"));
  EXPECT_EQ(0u, countAccepted<Re_Logger>(*aba_expr.get(), "0210.0002.1"));
}

enum class V { CanSIN, USSSN, Card, Aba, Cusip, Isin, Passport, Uknhs, Usein, Usdea, Frcni,
               Insee, Iban, Itin };

// The validator each item pairs with its expression.
size_t acceptedByItemValidator(V v, ExpressionImpl const& e, std::string const& text) {
  switch (v) {
    case V::CanSIN: return countAccepted<Luhn>(e, text, Luhn::CanSIN);
    case V::USSSN: return countAccepted<Luhn>(e, text, Luhn::USSSN);
    case V::Card: return countAccepted<Luhn>(e, text, Luhn::CreditCard);
    case V::Aba: return countAccepted<aba>(e, text);
    case V::Cusip: return countAccepted<cusip>(e, text);
    case V::Isin: return countAccepted<isin>(e, text);
    case V::Passport: return countAccepted<passport>(e, text);
    case V::Uknhs: return countAccepted<uknhs>(e, text);
    case V::Usein: return countAccepted<usein>(e, text);
    case V::Usdea: return countAccepted<usdea>(e, text);
    case V::Frcni: return countAccepted<frcni>(e, text);
    case V::Insee: return countAccepted<insee>(e, text);
    case V::Iban: return countAccepted<iban>(e, text);
    case V::Itin: return countAccepted<itin>(e, text);
  }
  return 0;
}

struct MailLine {
  V validator;
  Expression const& expr;
  char const* text;
  size_t accepted;
};

TEST(PredefinedPatternsTest, IdentifiersInMail) {
  // Lines end in CRLF as mail does: any line break ends a line.
  std::vector<MailLine> const lines = {
      {V::CanSIN, cansin_expr, "My SIN is 046 454 286.\r\n", 1},
      {V::CanSIN, cansin_expr, "Call 046 454 2861 today\r\n", 0},
      {V::USSSN, usssn_expr, "SSN: 078-05-1120\r\nThanks", 1},
      {V::USSSN, usssn_expr, "SSN: 000-12-3456\r\n", 0},
      {V::Card, cc_expr[1], "Card:\r\n4111-1111-1111-1111\r\nexp 12/27", 1},
      {V::Card, cc_expr[1], "Order 4111-1111-1111-1112, thanks", 0},
      {V::Aba, aba_expr, "Routing no. 021000021\r\n", 1},
      {V::Aba, aba_expr, "Routing no. 021000022\r\n", 0},
      {V::Cusip, cusip_expr, "CUSIP 037833100 / ISIN US0378331005\r\n", 1},
      {V::Cusip, cusip_expr, "ref 037833101\r\n", 0},
      {V::Isin, isin_expr, "CUSIP 037833100 / ISIN US0378331005\r\n", 1},
      {V::Isin, isin_expr, "ISIN US0378331006\r\n", 0},
      {V::Passport, ukni_expr, "NI number QQ 12 34 56 C\r\n", 1},
      {V::Passport, ukni_expr, "NI number QQ 12 34 56 E\r\n", 0},
      {V::Uknhs, uknhs_expr, "NHS no: 943 476 5919\r\n", 1},
      {V::Uknhs, uknhs_expr, "NHS no: 943 476 5910\r\n", 0},
      {V::Usein, usein_expr, "EIN 12-3456789.\r\n", 1},
      {V::Usein, usein_expr, "EIN 12-345678\r\n", 0},
      {V::Usdea, usdea_expr, "DEA# AB1234563\r\n", 1},
      {V::Usdea, usdea_expr, "DEA# XB1234563\r\n", 0},
      {V::Frcni, frcni_expr, "CNI : 880712345678\r\n", 1},
      {V::Frcni, frcni_expr, "CNI : 881312345678\r\n", 0},
      {V::Insee, insee_expr, "Sécu : 2 55 08 14 168 025 38\r\n", 1},
      {V::Insee, insee_expr, "Sécu : 2 55 08 14 168 025 39\r\n", 0},
      {V::Passport, depspt_expr, "Reisepass C01X00T478\r\n", 1},
      {V::Passport, depspt_expr, "Reisepass C01X00T47\r\n", 0},
      {V::Iban, iban_expr, "IBAN DE89 3704 0044 0532 0130 00\r\nBIC COBADEFFXXX", 1},
      {V::Iban, iban_expr, "IBAN DE89 3704 0044 0532 0130 01\r\n", 0},
      {V::Itin, itin_expr, "ITIN 912-78-1234\r\n", 1},
      {V::Itin, itin_expr, "ITIN 912-93-1234\r\n", 0},
      {V::Passport, uspspt_expr, "US passport 123456789\r\n", 1},
      {V::Passport, uspspt_expr, "passport A12345678\r\n", 0},
      {V::Passport, frpspt_expr, "passeport 05AB12345\r\n", 1},
      {V::Passport, frpspt_expr, "passeport 05AB1234\r\n", 0},
      {V::Passport, ukpspt_expr, "passport no 123456789\r\n", 1},
      {V::Passport, ukpspt_expr, "passport no 1234567890\r\n", 0},
  };
  for (auto const& line : lines) {
    SCOPED_TRACE(line.text);
    EXPECT_EQ(line.accepted, acceptedByItemValidator(line.validator, *line.expr.get(), line.text));
  }
}

}  // namespace
