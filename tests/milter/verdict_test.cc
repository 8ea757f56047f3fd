// The milter's policy: from rule scores, skipped scans and unreadable parts to
// action, status and score headers.
#include <gtest/gtest.h>

#include "milter/verdict.h"

namespace {

using namespace vmund::milter;

Config config(std::vector<Rule> rules) {
  Config c;
  c.rules = std::move(rules);
  return c;
}

Rule rule(std::string name, unsigned long threshold, Action action, std::string code = "") {
  Rule r;
  r.scanner.name = std::move(name);
  r.threshold = threshold;
  r.action = action;
  if (!code.empty()) r.reply = {code, std::string(1, code[0]) + ".7.1", "reply of " + r.scanner.name};
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
      outcome.results.push_back({r.scores[i], r.scores[i] ? rules[i].scanner.name + ":" + std::to_string(r.scores[i]) : ""});
    Verdict v = decide(config(rules), outcome);
    EXPECT_EQ(v.action, r.action);
    EXPECT_EQ(v.status, r.status);
    EXPECT_EQ(v.reply.code, r.replyCode);
    EXPECT_EQ(v.quarantineReason.empty(), v.action != Action::kQuarantine);
  }
}

// What was not scanned takes its setting's action, unless a rule that
// already matched is more severe.
TEST(MilterVerdict, NotScannedTakesItsSettingsAction) {
  Config c = config({rule("PII", 20, Action::kReject, "550"), rule("HR", 5, Action::kQuarantine)});
  std::string problem;
  ASSERT_TRUE(c.notScanned.setting("oversize", "reject", problem) && problem.empty());
  c.unscannable = Action::kReject;  // never over a message that was not scanned
  struct Row {
    ScanOutcome outcome;
    Action action;
    char const* status;
    char const* replyCode;
  } const rows[] = {
      {{Skip::kSizeLimit, {}}, Action::kReject, "Skipped (size limit)", "550"},
      {{Skip::kTimeBudget, {{15, "PII:15"}, {0, ""}}}, Action::kQuarantine, "Skipped (time budget)", ""},
      {{Skip::kTimeBudget, {{20, "PII:20"}, {0, ""}}}, Action::kReject, "Matched (PII)", "550"},
      {{Skip::kTimeBudget, {{0, ""}, {5, "HR:5"}}}, Action::kQuarantine, "Matched (HR)", ""},
      {{Skip::kError, {}}, Action::kAccept, "Skipped (internal error)", ""},
      {{Skip::kTimeBudget, {{0, ""}, {0, ""}}, "a.zip: encrypted"}, Action::kQuarantine,
       "Skipped (time budget)", ""},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.status);
    Verdict v = decide(c, r.outcome);
    EXPECT_EQ(v.action, r.action);
    EXPECT_EQ(v.status, r.status);
    EXPECT_EQ(v.reply.code, r.replyCode);
  }
  EXPECT_EQ(decide(c, ScanOutcome{Skip::kTimeBudget, {{15, "PII:15"}, {0, ""}}}).score, "PII:15;HR:0")
      << "what was found before the budget ran out";
  EXPECT_EQ(decide(c, ScanOutcome{Skip::kSizeLimit, {}}).score, "") << "not scanned: no score header";
  EXPECT_TRUE(c.notScanned.setting("overtime", "later", problem));
  EXPECT_NE(problem.find("expected accept, quarantine"), std::string::npos) << problem;
}

// A group rule's entry names the group, so it never reads like a rule of
// its best member dictionary.
TEST(MilterVerdict, ScoreHeaderTellsGroupRulesApart) {
  Config c = config({rule("PII", 50, Action::kAccept), rule("Compliance", 50, Action::kAccept)});
  c.rules[1].scanner.source = vmund::ScannerRequest::kGroup;
  EXPECT_EQ(decide(c, ScanOutcome{Skip::kNone, {{20, "PII:20"}, {30, "PII:30"}}}).score,
            "PII:20;Compliance:PII:30");
  EXPECT_EQ(decide(c, ScanOutcome{Skip::kNone, {{0, ""}, {0, ""}}}).score, "PII:0;Compliance::0");
}

// What a message with a part that could not be read gets: the `unscannable`
// setting against the rules' own verdict.
TEST(MilterUnscannable, ActionStatusAndReplyFollowTheSetting) {
  Config c = config({rule("PII", 10, Action::kQuarantine)});
  char const* const kStatus = "Unscannable (a.zip/b.xlsx: encrypted)";
  char const* const kBoth = "Matched (PII); unscannable (a.zip/b.xlsx: encrypted)";
  struct Row {
    char const* note;
    Action setting;
    unsigned long score;
    Action action;
    char const* status;
    char const* reply;  // code of the reply, "" for none
  } const rows[] = {
      {"accept by default, the reason shown", Action::kAccept, 0, Action::kAccept, kStatus, ""},
      {"quarantine", Action::kQuarantine, 0, Action::kQuarantine, kStatus, ""},
      {"reject, with the default reply", Action::kReject, 0, Action::kReject, kStatus, "550"},
      {"tempfail likewise", Action::kTempfail, 0, Action::kTempfail, kStatus, "451"},
      {"a match keeps a more severe action", Action::kAccept, 10, Action::kQuarantine, kBoth, ""},
      {"a more severe setting beats a match", Action::kReject, 10, Action::kReject, kBoth, "550"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.note);
    c.unscannable = r.setting;
    Verdict v = decide(c, ScanOutcome{Skip::kNone, {{r.score, ""}}, "a.zip/b.xlsx: encrypted"});
    EXPECT_EQ(v.action, r.action);
    EXPECT_EQ(v.status, r.status);
    EXPECT_EQ(v.reply.code, r.reply);
    EXPECT_EQ(v.quarantineReason.empty(), v.action != Action::kQuarantine);
  }
  // Nothing unscannable: the rules alone decide, whatever the setting.
  c.unscannable = Action::kReject;
  EXPECT_EQ(decide(c, ScanOutcome{Skip::kNone, {{0, ""}}}).status, "Clean");
  // Names from the sender stay one bounded line in the header.
  std::string const evil = "a\r\nX-Evil: 1" + std::string(500, 'n');
  Verdict v = decide(c, ScanOutcome{Skip::kNone, {{0, ""}}, evil});
  EXPECT_EQ(v.status.find('\n'), std::string::npos);
  EXPECT_LT(v.status.size(), 230u);
}

TEST(MilterHeaderScope, OnlyMailToLocalDomainsByDefault) {
  HeaderScope scope;
  EXPECT_FALSE(scope.covers({"<a@example.org>"})) << "no local domains: no headers";
  std::string problem;
  ASSERT_TRUE(scope.setting("local-domains", "example.org, corp.example", problem));
  ASSERT_TRUE(problem.empty()) << problem;
  EXPECT_TRUE(scope.covers({"<a@Example.ORG>", "b@mail.corp.example"}));
  EXPECT_FALSE(scope.covers({"<a@example.org>", "<x@outside.test>"})) << "one outside: none";
  EXPECT_FALSE(scope.covers({"<a@badexample.org>"}));
  EXPECT_FALSE(scope.covers({}));
  ASSERT_TRUE(scope.setting("headers", "all", problem));
  EXPECT_TRUE(scope.covers({"<x@outside.test>"}));
  ASSERT_TRUE(scope.setting("headers", "none", problem));
  EXPECT_FALSE(scope.covers({"<a@example.org>"}));
  EXPECT_TRUE(scope.setting("headers", "some", problem));
  EXPECT_NE(problem.find("all, none or internal"), std::string::npos);
}

}  // namespace
