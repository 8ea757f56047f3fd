// What a message with a part that could not be read gets: the `unscannable`
// setting against the rules' own verdict, and the settings that carry the
// extraction limits.
#include <gtest/gtest.h>

#include "milter/config.h"
#include "milter/verdict.h"

namespace {

using namespace vmund::milter;

TEST(MilterUnscannable, ActionStatusAndReplyFollowTheSetting) {
  Rule quarantine;
  quarantine.scanner.name = "PII";
  quarantine.threshold = 10;
  quarantine.action = Action::kQuarantine;
  std::vector<Rule> const rules = {quarantine};
  struct Row {
    char const* note;
    Action setting;
    unsigned long score;
    Skip skip;
    Action action;
    char const* status;
    char const* reply;  // code of the reply, "" for none
  };
  Row const rows[] = {
      {"accept by default, the reason shown", Action::kAccept, 0, Skip::kNone, Action::kAccept,
       "Unscannable (a.zip/b.xlsx: encrypted)", ""},
      {"quarantine", Action::kQuarantine, 0, Skip::kNone, Action::kQuarantine,
       "Unscannable (a.zip/b.xlsx: encrypted)", ""},
      {"reject answers with the default reply", Action::kReject, 0, Skip::kNone, Action::kReject,
       "Unscannable (a.zip/b.xlsx: encrypted)", "550"},
      {"tempfail likewise", Action::kTempfail, 0, Skip::kNone, Action::kTempfail,
       "Unscannable (a.zip/b.xlsx: encrypted)", "451"},
      {"a match keeps its more severe action", Action::kAccept, 10, Skip::kNone,
       Action::kQuarantine, "Matched (PII); unscannable (a.zip/b.xlsx: encrypted)", ""},
      {"the more severe setting wins over a match", Action::kReject, 10, Skip::kNone,
       Action::kReject, "Matched (PII); unscannable (a.zip/b.xlsx: encrypted)", "550"},
      {"a skipped message stays skipped, with overtime's action", Action::kReject, 0,
       Skip::kTimeBudget, Action::kQuarantine, "Skipped (time budget)", ""},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.note);
    Config config;
    config.rules = rules;
    config.unscannable = r.setting;
    Verdict v = decide(config, ScanOutcome{r.skip, {{r.score, ""}}, "a.zip/b.xlsx: encrypted"});
    EXPECT_EQ(v.action, r.action);
    EXPECT_EQ(v.status, r.status);
    EXPECT_EQ(v.reply.code, r.reply);
    EXPECT_EQ(v.quarantineReason.empty(), v.action != Action::kQuarantine);
  }
  // Nothing unscannable: the rules alone decide, whatever the setting.
  Config strict;
  strict.rules = rules;
  strict.unscannable = Action::kReject;
  EXPECT_EQ(decide(strict, ScanOutcome{Skip::kNone, {{0, ""}}}).status, "Clean");
  // Names from the sender stay one bounded line in the header.
  Verdict v = decide(strict, ScanOutcome{Skip::kNone, {{0, ""}}, "a\r\nX-Evil: 1" + std::string(500, 'n')});
  EXPECT_EQ(v.status.find('\n'), std::string::npos);
  EXPECT_LT(v.status.size(), 230u);
}

TEST(MilterUnscannable, LimitsAreSettings) {
  Config config;
  std::vector<ConfigProblem> problems;
  parseConfig("max-depth 3\nmax-entries 50\nmax-extracted 64M\nmax-entry-size 8M\nmax-ratio 250\n"
              "unscannable tempfail\nextractor /opt/vmund-extract\ndictionary PII\n",
              config, problems);
  ASSERT_TRUE(problems.empty()) << problems[0].message;
  EXPECT_EQ(config.extract.maxDepth, 3u);
  EXPECT_EQ(config.extract.maxEntries, 50u);
  EXPECT_EQ(config.extract.maxTotalBytes, 64ull << 20);
  EXPECT_EQ(config.extract.maxEntryBytes, 8ull << 20);
  EXPECT_EQ(config.extract.maxRatio, 250u);
  EXPECT_EQ(config.unscannable, Action::kTempfail);
  EXPECT_EQ(config.extractor, "/opt/vmund-extract");
  Config bad;
  problems.clear();
  parseConfig("max-depth 0\nmax-entries x\nmax-extracted 5Q\nmax-ratio -1\nunscannable drop\ndictionary PII\n",
              bad, problems);
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[4].message, "unscannable \"drop\": expected accept, quarantine, tempfail or reject");
  Config defaults;
  EXPECT_EQ(defaults.unscannable, Action::kAccept);
  EXPECT_EQ(defaults.extract.maxEntries, 1000u);
}

}  // namespace
