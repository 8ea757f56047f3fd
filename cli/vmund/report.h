// How `vmund scan` prints what it found: readable text or JSON lines.
#ifndef VMUND_CLI_VMUND_REPORT_H_
#define VMUND_CLI_VMUND_REPORT_H_

#include <ostream>

#include "vmund/scan_session.h"

namespace vmund {

// What the findings view shows.
struct FindingsView {
  bool list = false;        // one line per finding (text); the "findings" array (JSON)
  bool showValues = false;  // whole values instead of masked ones
};

// Readable report of one input on `out` (an unreadable input goes to `err`
// as "vmund: PATH: problem"). Each message: its id (marked when it was not
// mail or its time budget ran out), its Message-ID, From and Subject, and
// each scanner's score. `verbose` adds the parts and the skipped attachments.
// What matched is named by kind ("matched creditcard=2"), never by the raw
// match record.
void printText(FileReport const& file, ScanSettings const& settings, bool verbose,
               FindingsView const& view, std::ostream& out, std::ostream& err);

// One JSON object per message, one per line:
//   {"file", "message", "message_id", "from", "subject", "not_mail", "parts": [{"kind", "area", "label", "bytes"}],
//    "skipped": [{"label", "type"}], "timed_out",
//    "results": [{"scanner", "source", "threshold", "score", "reached",
//                 "score_record", "match_record", "findings"}]}
// ("findings" when view.list: see findings_report.h)
// and for an input that could not be read {"file", "error"} (also on `err`).
void printJson(FileReport const& file, ScanSettings const& settings, FindingsView const& view,
               std::ostream& out, std::ostream& err);

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_REPORT_H_
