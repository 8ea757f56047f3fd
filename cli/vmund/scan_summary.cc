// Counting and printing the end-of-run summary of `vmund scan`.
#include "vmund/scan_summary.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "vmund/app.h"

namespace vmund {

void ScanSummary::add(FileReport const& file) {
  ++inputs;
  if (!file.error.empty()) ++errors;
  for (MessageReport const& m : file.messages) {
    ++messages;
    bool hit = false;
    for (ScanResult const& r : m.results) hit |= r.reached;
    reached += hit;
    timedOut += m.timedOut;
    notMail += m.notMail;
    partsNotScanned += m.skipped.size();
    unscannable += std::any_of(m.skipped.begin(), m.skipped.end(),
                               [](SkippedPart const& p) { return p.unscannable; });
  }
}

int ScanSummary::exitStatus() const {
  if (errors) return kError;
  if (reached) return kReached;
  if (timedOut || unscannable) return kIncomplete;
  return kClean;
}

void ScanSummary::printText(std::ostream& out) const {
  out << "----------- SCAN SUMMARY -----------\n"
      << "Inputs: " << inputs << "\n"
      << "Messages: " << messages << "\n"
      << "Reached: " << reached << "\n"
      << "Errors: " << errors << "\n"
      << "Timed out: " << timedOut << "\n"
      << "Unscannable: " << unscannable << "\n"
      << "Not mail: " << notMail << "\n"
      << "Parts not scanned: " << partsNotScanned << "\n";
}

void ScanSummary::printJson(std::ostream& out) const {
  nlohmann::json j{{"inputs", inputs},     {"messages", messages},
                   {"reached", reached},   {"errors", errors},
                   {"timed_out", timedOut}, {"unscannable", unscannable}, {"not_mail", notMail},
                   {"parts_not_scanned", partsNotScanned}, {"exit_status", exitStatus()}};
  out << nlohmann::json{{"summary", j}}.dump() << "\n";
}

}  // namespace vmund
