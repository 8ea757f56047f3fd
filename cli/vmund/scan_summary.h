// The tally of a `vmund scan` run, printed at its end as mail scanners do,
// and the exit status it makes.
#ifndef VMUND_CLI_VMUND_SCAN_SUMMARY_H_
#define VMUND_CLI_VMUND_SCAN_SUMMARY_H_

#include <cstddef>
#include <ostream>

#include "vmund/scan_session.h"

namespace vmund {

struct ScanSummary {
  size_t inputs = 0;          // files and standard input
  size_t messages = 0;        // messages scanned
  size_t reached = 0;         // messages where a scanner reached the threshold
  size_t errors = 0;          // inputs that could not be read or scanned
  size_t timedOut = 0;        // messages whose time budget ran out: scores partial
  size_t unscannable = 0;     // messages with a part that may hold text not read
  size_t notMail = 0;         // inputs scanned whole as text
  size_t partsNotScanned = 0;  // attachments that are not text

  void add(FileReport const& file);

  // 2 when an input had an error, else 1 when a message reached a
  // threshold, else 3 when a message was not scanned in full (time budget,
  // an unscannable part), else 0.
  int exitStatus() const;

  // "----------- SCAN SUMMARY -----------" and one "Name: count" line each.
  void printText(std::ostream& out) const;
  // {"summary": {"inputs", "messages", "reached", "errors", "timed_out",
  //  "unscannable", "not_mail", "parts_not_scanned", "exit_status"}} on one
  //  line.
  void printJson(std::ostream& out) const;
};

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_SCAN_SUMMARY_H_
