// The milter's findings line: one count per kind and place over all rules,
// the quoted log field, and which mail gets the header.
#include "milter/findings_summary.h"

#include <gtest/gtest.h>

namespace {

using namespace vmund::milter;

vmund::MessageFinding finding(char const* kind, uint32_t part, uint32_t offset, uint16_t partKind,
                              char const* label) {
  vmund::MessageFinding f;
  f.kind = kind;
  f.part = part;
  f.offset = offset;
  f.length = 4;
  f.partKind = partKind;
  f.label = label;
  f.value = "4111";
  return f;
}

TEST(FindingsSummary, CountsEachMatchOnceByKindAndPlace) {
  FindingsSummary s;
  EXPECT_EQ(s.line(), "");
  s.add({finding("creditcard", 2, 10, vmund::kAttachment, "customers.xlsx"),
         finding("creditcard", 2, 40, vmund::kAttachment, "customers.xlsx"),
         finding("ussn", 1, 5, vmund::kBody, "text/plain")});
  // A second rule over the same dictionary counts the same matches again.
  s.add({finding("creditcard", 2, 10, vmund::kAttachment, "customers.xlsx"),
         finding("ussn", 0, 7, vmund::kHeader, "header")});
  EXPECT_EQ(s.line(), "creditcard=2 in customers.xlsx; ussn=1 in body; ussn=1 in header");
}

TEST(FindingsSummary, LogFieldAndHeaderChoice) {
  EXPECT_EQ(findingsLogField(""), "");
  EXPECT_EQ(findingsLogField("w=1 in \"x\""), " findings=\"w=1 in ?x?\"");
  Verdict v;
  struct Row {
    Action action;
    bool setting;
    bool wanted;
  } const rows[] = {{Action::kAccept, true, true},    {Action::kQuarantine, true, true},
                    {Action::kReject, true, false},   {Action::kTempfail, true, false},
                    {Action::kAccept, false, false}};
  for (Row const& r : rows) {
    v.action = r.action;
    EXPECT_EQ(wantsFindingsHeader(r.setting, v, "ussn=1 in body"), r.wanted)
        << actionName(r.action) << " " << r.setting;
  }
  v.action = Action::kAccept;
  EXPECT_FALSE(wantsFindingsHeader(true, v, "")) << "nothing to say";
}

}  // namespace
