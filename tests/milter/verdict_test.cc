// The milter's policy: from rule scores to action, status and score headers.
#include <gtest/gtest.h>

#include "milter/verdict.h"

namespace {

using namespace vmund::milter;

Rule rule(std::string name, unsigned long threshold, Action action, std::string code = "") {
  Rule r;
  r.name = std::move(name);
  r.threshold = threshold;
  r.action = action;
  if (!code.empty()) r.reply = {code, std::string(1, code[0]) + ".7.1", "reply of " + r.name};
  return r;
}

TEST(MilterVerdict, MostSevereMatchedRuleDecides) {
  std::vector<Rule> const rules = {
      rule("Words", 10, Action::kAccept),
      rule("PII", 20, Action::kReject, "550"),
      rule("Finance", 30, Action::kQuarantine),
      rule("Later", 5, Action::kTempfail, "451"),
      rule("PII2", 20, Action::kReject, "554"),
  };
  struct Row {
    char const* note;
    std::vector<unsigned long> scores;
    Action action;
    char const* status;
    char const* replyCode;  // "" when there is no reply
  };
  Row const rows[] = {
      {"nothing scored", {0, 0, 0, 0, 0}, Action::kAccept, "Clean", ""},
      {"one below its threshold", {9, 19, 29, 4, 19}, Action::kAccept, "Clean", ""},
      {"exactly at the threshold", {10, 0, 0, 0, 0}, Action::kAccept, "Matched (Words)", ""},
      {"quarantine over accept", {10, 0, 30, 0, 0}, Action::kQuarantine, "Matched (Words, Finance)", ""},
      {"tempfail over quarantine", {0, 0, 31, 5, 0}, Action::kTempfail, "Matched (Finance, Later)", "451"},
      {"reject over everything", {10, 20, 30, 5, 0}, Action::kReject, "Matched (Words, PII, Finance, Later)", "550"},
      {"first rejecting rule gives the reply", {0, 0, 0, 0, 25}, Action::kReject, "Matched (PII2)", "554"},
      {"of two rejecting rules the first", {0, 21, 0, 0, 25}, Action::kReject, "Matched (PII, PII2)", "550"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.note);
    ScanOutcome outcome;
    for (size_t i = 0; i < rules.size(); ++i)
      outcome.results.push_back({r.scores[i], r.scores[i] ? rules[i].name + ":" + std::to_string(r.scores[i]) : ""});
    Verdict v = decide(rules, outcome);
    EXPECT_EQ(v.action, r.action);
    EXPECT_EQ(v.status, r.status);
    EXPECT_EQ(v.reply.code, r.replyCode);
    EXPECT_EQ(v.quarantineReason.empty(), v.action != Action::kQuarantine);
  }
}

TEST(MilterVerdict, SkippedMessagesAreAcceptedWithTheReason) {
  std::vector<Rule> const rules = {rule("PII", 20, Action::kReject, "550")};
  struct Row {
    Skip skip;
    char const* status;
  };
  Row const rows[] = {{Skip::kSizeLimit, "Skipped (size limit)"},
                      {Skip::kError, "Skipped (internal error)"}};
  for (Row const& r : rows) {
    SCOPED_TRACE(r.status);
    Verdict v = decide(rules, ScanOutcome{r.skip, {}});
    EXPECT_EQ(v.action, Action::kAccept);
    EXPECT_EQ(v.status, r.status);
    EXPECT_EQ(v.score, "") << "no score header for a message that was not scanned";
  }
}

TEST(MilterVerdict, TimeBudgetSkipsUnlessARuleAlreadyMatched) {
  std::vector<Rule> const rules = {rule("PII", 20, Action::kReject, "550"),
                                   rule("HR", 5, Action::kQuarantine)};
  Verdict partial = decide(rules, ScanOutcome{Skip::kTimeBudget, {{15, "PII:15"}, {0, ""}}});
  EXPECT_EQ(partial.action, Action::kAccept);
  EXPECT_EQ(partial.status, "Skipped (time budget)");
  EXPECT_EQ(partial.score, "PII:15;HR:0") << "what was found before the budget ran out";

  Verdict found = decide(rules, ScanOutcome{Skip::kTimeBudget, {{20, "PII:20"}, {0, ""}}});
  EXPECT_EQ(found.action, Action::kReject);
  EXPECT_EQ(found.status, "Matched (PII)");
}

}  // namespace
