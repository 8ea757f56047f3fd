// One message through the message host and every rule's scanner.
#include "milter/message_scan.h"

#include "host/message_findings.h"
#include "host/mime_reader.h"
#include "milter/findings_summary.h"

namespace vmund {
namespace milter {

ScanOutcome scanMessage(std::vector<Rule> const& rules, ScannerSet const& set,
                        std::string const& text, DeadlineProgress& deadline,
                        AttachmentExtractor const* extractor) {
  ScanOutcome outcome;
  ReadResult read = readMailOrText(text, "message", ReadOptions{extractor, deadline.deadline()});
  outcome.results.resize(rules.size());
  FindingsSummary findings;
  // The text always starts with a header, so the host sees one message; the
  // loop only keeps the policy sound should it ever split one.
  for (Message& m : read.messages) {
    if (auto const* s = m.area.firstUnscannable(); s && outcome.unscannable.empty())
      outcome.unscannable = s->label + ": " + s->reason;
    for (size_t i = 0; i < rules.size(); ++i) {
      if (set.scanners[i].empty()) continue;
      std::string matchLog, scoreList;
      std::vector<MessageFinding> found;
      unsigned long score = vmund::scanMessage(*set.scanners[i].get(), m.area, rules[i].threshold,
                                               &deadline, matchLog, scoreList, &found,
                                               nullptr, /*positions=*/false);
      findings.add(std::move(found));
      if (score > outcome.results[i].score) outcome.results[i] = {score, scoreList};
    }
  }
  outcome.findings = findings.line();
  if (deadline.timedOut()) outcome.skip = Skip::kTimeBudget;
  return outcome;
}

}  // namespace milter
}  // namespace vmund
