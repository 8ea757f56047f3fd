// The grouping rule of the routing-number and NHS validators. Their
// checksums, and every detector's context rules, are held to the rules
// written out in fuzz/detector_reference.h by detector_fuzz, whose seeds
// carry the published and the corrupted identifiers; the expressions already
// demand one separator throughout, so only a hand-built candidate reaches
// the grouping rule of these two.
#include <gtest/gtest.h>

#include <string>

#include "support/test_area.h"
#include "vessamund/validators.h"

namespace {

using namespace Vessamund::Regex;

// `id` as a candidate of the standard frame that no expression need
// produce: " id ", groups 1 and 7 a single space, group 4 the identifier.
bool checkAlone(Re_Logger& v, std::string const& id) {
  std::string const text = " " + id + " ";
  int const end = 1 + static_cast<int>(id.size());
  int ov[16] = {0, end + 1, 0, 1, -1, -1, -1, -1, 1, end, -1, -1, -1, -1, end, end + 1};
  unsigned int resume = 0;
  return v.do_check(nullptr, text.data(), static_cast<unsigned int>(text.size()), resume, ov, 8);
}

TEST(GroupingTest, AbaAndUknhsCheckTheirGrouping) {
  vmund_test::RecordingLogger log;
  aba routing(log);
  uknhs nhs(log);
  EXPECT_TRUE(checkAlone(routing, "0210 0002 1"));
  EXPECT_FALSE(checkAlone(routing, "021000 021"));
  EXPECT_TRUE(checkAlone(nhs, "943 476 5919"));
  EXPECT_FALSE(checkAlone(nhs, "9434 765 919"));
}

}  // namespace
