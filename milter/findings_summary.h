// What matched in a message, over all the milter's rules, as one line
// without values: for the per-message log line and the optional
// X-Vessamund-Findings header.
#ifndef VMUND_MILTER_FINDINGS_SUMMARY_H_
#define VMUND_MILTER_FINDINGS_SUMMARY_H_

#include <string>
#include <vector>

#include "host/message_findings.h"
#include "milter/verdict.h"

namespace vmund {
namespace milter {

// Collects the findings of every rule's scan of one message. A match that
// several rules count (two rules sharing a dictionary) is counted once.
class FindingsSummary {
 public:
  // Adds one rule's findings (moved from).
  void add(std::vector<MessageFinding>&& findings);
  // "creditcard=2 in customers.xlsx; ussn=1 in body" (finding_summary.h);
  // "" when nothing matched.
  std::string line() const;

 private:
  std::vector<MessageFinding> findings_;
};

// ` findings="..."` for the log line, or "" when there is no summary.
std::string findingsLogField(std::string const& summary);

// Whether the X-Vessamund-Findings header goes on a message: the setting is
// on, there is something to say, and the message is delivered or held
// (rejected and tempfailed mail gets no headers).
bool wantsFindingsHeader(bool setting, Verdict const& verdict, std::string const& summary);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_FINDINGS_SUMMARY_H_
