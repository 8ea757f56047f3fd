// What the milter does with a scanned message: the action, the reply and the
// two headers, decided from the rules and their scores alone (no libmilter,
// no clock), so the policy can be tested on its own.
#ifndef VMUND_MILTER_VERDICT_H_
#define VMUND_MILTER_VERDICT_H_

#include <string>
#include <utility>
#include <vector>

#include "milter/config.h"
#include "milter/not_scanned.h"

namespace vmund {
namespace milter {

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
  // What matched and where, over every rule, without values
  // ("creditcard=2 in customers.xlsx; ussn=1 in body"); "" when nothing did.
  std::string findings;
};

struct Verdict {
  Action action = Action::kAccept;
  // X-Vessamund-Status: "Clean", "Matched (PII, Finance)" (the names of the
  // rules that reached their thresholds, in rule order) or "Skipped (size
  // limit)" and the like.
  std::string status;
  // X-Vessamund-Score: scoreEntry() of each rule in rule order, joined by
  // ";". Empty when the message was not scanned, and then the header is not
  // added.
  std::string score;
  SmtpReply reply;               // kReject and kTempfail: what the MTA answers
  std::string quarantineReason;  // kQuarantine: the reason the MTA records
};

// The policy. A rule matches when its score reaches its threshold; the most
// severe action among the matched rules wins (accept < quarantine < tempfail
// < reject), with the reply of the first matched rule that has it. No match:
// accept, "Clean". A message not scanned in full takes the action its reason
// has in config.notScanned (with the file's default reply) when that is more
// severe than every matched rule's: "Skipped (REASON)", followed by the
// rules that matched before the time budget ran out, if any - a score only
// grows, so their finding stands.
// REQUIRES: outcome.results is empty or has one entry per rule.
Verdict decide(Config const& config, ScanOutcome const& outcome);

// A rule's entry in X-Vessamund-Score: a dictionary or template rule's
// score record ("PII:20"), "NAME:0" when it scored nothing; a group rule's
// is prefixed with the group's name ("Compliance:PII:30", "Compliance::0"),
// so names hold no ':' and one colon or two tell the two apart.
std::string scoreEntry(ScannerRequest const& scanner, RuleResult const& result);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_VERDICT_H_
