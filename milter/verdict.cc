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

namespace {

// A header value stays one printable line of bounded length, whatever the
// sender named the attachment.
std::string headerSafe(std::string const& text) {
  std::string out;
  for (char c : text) {
    if (out.size() >= 200) {
      out += "...";
      break;
    }
    out += static_cast<unsigned char>(c) < 32 || c == 127 ? '?' : c;
  }
  return out;
}

}  // namespace

Verdict decide(std::vector<Rule> const& rules, ScanOutcome const& outcome, Config const& config) {
  Verdict v = decide(rules, outcome);
  if (outcome.unscannable.empty() || outcome.skip != Skip::kNone) return v;
  std::string const why = headerSafe(outcome.unscannable);
  bool matched = v.status.rfind("Matched", 0) == 0;
  v.status = matched ? v.status + "; unscannable (" + why + ")" : "Unscannable (" + why + ")";
  if (config.unscannable > v.action) {
    v.action = config.unscannable;
    v.reply = v.action == Action::kReject     ? config.rejectReply
              : v.action == Action::kTempfail ? config.tempfailReply
                                              : SmtpReply{};
  }
  v.quarantineReason = v.action == Action::kQuarantine ? "Vessamund " + v.status : "";
  return v;
}

}  // namespace milter
}  // namespace vmund
