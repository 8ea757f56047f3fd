// The milter's policy: from rule scores to action, reply and headers.
#include "milter/verdict.h"

#include <cassert>

namespace vmund {
namespace milter {

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

std::string scoreEntry(ScannerRequest const& scanner, RuleResult const& result) {
  bool const recorded = result.score != 0 && !result.scoreRecord.empty();
  // A group's record names its best member; the group's own name goes first,
  // so that a group rule never reads like a rule of that dictionary.
  if (scanner.source == ScannerRequest::kGroup)
    return scanner.name + ":" + (recorded ? result.scoreRecord : ":" + std::to_string(result.score));
  return recorded ? result.scoreRecord : scanner.name + ":" + std::to_string(result.score);
}

Verdict decide(Config const& config, ScanOutcome const& outcome) {
  std::vector<Rule> const& rules = config.rules;
  assert(outcome.results.empty() || outcome.results.size() == rules.size());
  Verdict v;
  std::string matched;
  Rule const* decisive = nullptr;  // first matched rule with the most severe action
  for (size_t i = 0; i < outcome.results.size(); ++i) {
    RuleResult const& r = outcome.results[i];
    if (!v.score.empty()) v.score += ';';
    v.score += scoreEntry(rules[i].scanner, r);
    if (r.score < rules[i].threshold) continue;
    if (!matched.empty()) matched += ", ";
    matched += rules[i].scanner.name;
    if (!decisive || rules[i].action > decisive->action) decisive = &rules[i];
  }

  // What was not scanned acts as one more rule, with the reason's action.
  Action const skipped = config.notScanned.forReason(outcome.skip);
  if (decisive && decisive->action >= skipped) {
    v.action = decisive->action;
    v.status = "Matched (" + matched + ")";
    v.reply = decisive->reply;
  } else if (outcome.skip != Skip::kNone) {
    v.action = skipped;
    v.status = std::string("Skipped (") + skipReason(outcome.skip) + ")";
    if (!matched.empty()) v.status += ", matched (" + matched + ")";
    v.reply = skipped == Action::kReject ? config.rejectReply : config.tempfailReply;
  } else {
    v.status = "Clean";
  }
  // A part that could not be read acts as one more rule, with `unscannable`'s
  // action; a message not scanned at all keeps its Skipped status.
  if (!outcome.unscannable.empty() && outcome.skip == Skip::kNone) {
    std::string const why = headerSafe(outcome.unscannable);
    v.status = decisive ? v.status + "; unscannable (" + why + ")" : "Unscannable (" + why + ")";
    if (config.unscannable > v.action) {
      v.action = config.unscannable;
      v.reply = v.action == Action::kReject ? config.rejectReply : config.tempfailReply;
    }
  }
  if (v.action != Action::kReject && v.action != Action::kTempfail) v.reply = SmtpReply();
  if (v.action == Action::kQuarantine) v.quarantineReason = "Vessamund " + v.status;
  return v;
}


}  // namespace milter
}  // namespace vmund
