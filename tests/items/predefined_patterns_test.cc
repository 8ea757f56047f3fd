// The predefined expressions: all compiled, with the capture layouts the
// validators read, texts unchanged, and which texts make candidates at all.
// Each one at work on identifiers is in the validator and item tests.
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

}  // namespace
