// What the milter does with a scanned message: the action, the reply and the
// two headers, decided from the rules and their scores alone (no libmilter,
// no clock), so the policy can be tested on its own.
#ifndef VMUND_MILTER_VERDICT_H_
#define VMUND_MILTER_VERDICT_H_

#include <string>
#include <utility>
#include <vector>

#include "milter/config.h"

namespace vmund {
namespace milter {

// Why a message was let through without a full scan.
enum class Skip {
  kNone,
  kSizeLimit,   // larger than max-size: not collected, not scanned
  kTimeBudget,  // the time budget ran out before every rule had finished
  kError,       // the milter failed while scanning (out of memory, ...)
};

// One rule's result: the score its scanner returned (which stops growing at
// the threshold) and the score record it wrote ("PII:20"; a group's names the
// member dictionary that scored best). Empty record when the score is 0.
struct RuleResult {
  unsigned long score = 0;
  std::string scoreRecord;
};

struct ScanOutcome {
  ScanOutcome() = default;
  ScanOutcome(Skip skip, std::vector<RuleResult> results, std::string unscannable = "")
      : skip(skip), results(std::move(results)), unscannable(std::move(unscannable)) {}

  Skip skip = Skip::kNone;
  std::vector<RuleResult> results;  // one per rule, in rule order; empty when not scanned
  // "LABEL: REASON" of the first part that may hold text that was not read
  // (encrypted, past a limit, damaged, the extractor failed); "" if none.
  std::string unscannable;
};

struct Verdict {
  Action action = Action::kAccept;
  // X-Vessamund-Status: "Clean", "Matched (PII, Finance)" (the names of the
  // rules that reached their thresholds, in rule order) or "Skipped (size
  // limit)" and the like.
  std::string status;
  // X-Vessamund-Score: each rule's score record in rule order, joined by
  // ";", with "NAME:0" for a rule that scored nothing. Empty when the
  // message was not scanned, and then the header is not added.
  std::string score;
  SmtpReply reply;               // kReject and kTempfail: what the MTA answers
  std::string quarantineReason;  // kQuarantine: the reason the MTA records
};

// The policy. A rule matches when its score reaches its threshold; the most
// severe action among the matched rules wins (accept < quarantine < tempfail
// < reject), with the reply of the first matched rule that has it. No match:
// accept, "Clean". A skipped message is accepted with "Skipped (REASON)" and
// never tempfailed, so a message the milter cannot judge is not held back
// forever - except that when the time budget ran out, rules that had already
// matched still act, since a score only grows and their finding is final.
// REQUIRES: outcome.results is empty or has one entry per rule.
Verdict decide(std::vector<Rule> const& rules, ScanOutcome const& outcome);

// The policy above, and for a message with an unscannable part the
// `unscannable` action of the configuration: the more severe of it and the
// matched rules' action wins (a reject or tempfail of its own answers with
// the configuration's default reply), and X-Vessamund-Status names the part
// and the reason: "Unscannable (export.zip/a.xlsx: encrypted)", or after a
// match "Matched (PII); unscannable (...)". A skipped message keeps its
// Skipped status.
Verdict decide(std::vector<Rule> const& rules, ScanOutcome const& outcome, Config const& config);

// "size limit", "time budget", "internal error"; ""
// for kNone.
char const* skipReason(Skip skip);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_VERDICT_H_
