// Masking and the one-line summary: what survives of a value, and what a log
// line or header may say.
#include "host/value_mask.h"

#include <gtest/gtest.h>

#include "host/finding_summary.h"
#include "host/message_findings.h"

namespace {

TEST(ValueMask, KeepsSeparatorsAndAtMostFourCharacters) {
  struct Row {
    char const* value;
    uint16_t type;
    char const* masked;
  } const rows[] = {
      {"4111 1111 1111 1111", 258, "**** **** **** 1111"},
      {"123-45-6789", 257, "***-**-6789"},
      {"DE89 3704 0044 0532 0130 00", 269, "DE** **** **** **** **** 00"},
      {"DE89370400440532013000", 269, "DE******************00"},
      // Fewer than eight characters: half at most, so a short value is
      // never mostly shown.
      {"AB123", 268, "***23"},
      {"X1", 262, "*1"},
      {"7", 262, "*"},
      {"", 258, ""},
      // A code point above ASCII is one character and one '*'.
      {"caf\xc3\xa9 secret 99", 1, "**** ****et 99"},
  };
  for (Row const& r : rows) EXPECT_EQ(vmund::maskValue(r.value, r.type), r.masked) << r.value;
}

vmund::MessageFinding finding(char const* kind, uint16_t partKind, char const* label) {
  vmund::MessageFinding f;
  f.kind = kind;
  f.partKind = partKind;
  f.label = label;
  f.value = "4111111111111111";
  f.patternType = 258;
  return f;
}

TEST(FindingSummary, CountsByKindAndPlaceInPrintableAscii) {
  std::vector<vmund::MessageFinding> const found = {
      finding("creditcard", vmund::kAttachment, "customers.xlsx"),
      finding("ussn", vmund::kBody, "text/plain"),
      finding("creditcard", vmund::kAttachment, "customers.xlsx"),
      finding("a;b=c", vmund::kAttachment, "na\xc3\xafve\n.txt"),
  };
  EXPECT_EQ(vmund::summarizeFindings(found),
            "creditcard=2 in customers.xlsx; ussn=1 in body; a_b_c=1 in na?ve?.txt");
  EXPECT_EQ(vmund::summarizeFindings(found, 20), "creditcard=2 in c...");
  EXPECT_EQ(vmund::summarizeFindings({}), "");
  // Words and wildcards are the administrator's text; the rest is masked.
  EXPECT_EQ(vmund::shownValue(found[0]), "************1111");
  vmund::MessageFinding word = found[0];
  word.patternType = 3;
  EXPECT_EQ(vmund::shownValue(word), word.value);
}

}  // namespace
