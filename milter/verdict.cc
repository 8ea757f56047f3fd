// The milter's policy: from rule scores to action, reply and headers.
#include "milter/verdict.h"

#include <cassert>

namespace vmund {
namespace milter {

char const* skipReason(Skip skip) {
  switch (skip) {
    case Skip::kNone: return "";
    case Skip::kSizeLimit: return "size limit";
    case Skip::kTimeBudget: return "time budget";
    case Skip::kError: return "internal error";
  }
  return "";
}

Verdict decide(std::vector<Rule> const& rules, ScanOutcome const& outcome) {
  assert(outcome.results.empty() || outcome.results.size() == rules.size());
  Verdict v;
  std::string matched;
  Rule const* decisive = nullptr;  // first matched rule with the most severe action
  for (size_t i = 0; i < outcome.results.size(); ++i) {
    RuleResult const& r = outcome.results[i];
    if (!v.score.empty()) v.score += ';';
    v.score += r.score != 0 && !r.scoreRecord.empty() ? r.scoreRecord
                                                      : rules[i].name + ":" + std::to_string(r.score);
    if (r.score < rules[i].threshold) continue;
    if (!matched.empty()) matched += ", ";
    matched += rules[i].name;
    if (!decisive || rules[i].action > decisive->action) decisive = &rules[i];
  }

  if (decisive) {
    v.action = decisive->action;
    v.status = "Matched (" + matched + ")";
    if (v.action == Action::kReject || v.action == Action::kTempfail) v.reply = decisive->reply;
    if (v.action == Action::kQuarantine) v.quarantineReason = "Vessamund " + v.status;
  } else if (outcome.skip != Skip::kNone) {
    v.status = std::string("Skipped (") + skipReason(outcome.skip) + ")";
  } else {
    v.status = "Clean";
  }
  return v;
}

}  // namespace milter
}  // namespace vmund
