// The milter's findings line (findings_summary.h).
#include "milter/findings_summary.h"

#include "host/finding_summary.h"

namespace vmund {
namespace milter {

void FindingsSummary::add(std::vector<MessageFinding>&& findings) {
  for (MessageFinding& f : findings) {
    bool seen = false;
    for (MessageFinding const& g : findings_) {
      seen = seen || (g.part == f.part && g.offset == f.offset && g.length == f.length &&
                      g.kind == f.kind);
    }
    if (!seen) findings_.push_back(std::move(f));
  }
}

std::string FindingsSummary::line() const { return summarizeFindings(findings_, 900); }

std::string findingsLogField(std::string const& summary) {
  if (summary.empty()) return std::string();
  std::string value = summary;
  for (char& c : value)
    if (c == '"') c = '?';  // the field is quoted
  return " findings=\"" + value + "\"";
}

bool wantsFindingsHeader(bool setting, Verdict const& verdict, std::string const& summary) {
  return setting && !summary.empty() &&
         (verdict.action == Action::kAccept || verdict.action == Action::kQuarantine);
}

}  // namespace milter
}  // namespace vmund
