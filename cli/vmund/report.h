// How `vmund scan` prints what it found: readable text or JSON lines.
#ifndef VMUND_CLI_VMUND_REPORT_H_
#define VMUND_CLI_VMUND_REPORT_H_

#include <ostream>

#include "vmund/scan_session.h"

namespace vmund {

// Readable report of one input on `out` (an unreadable input goes to `err`
// as "vmund: PATH: problem"). Each message: its id (marked when it was not
// mail or its time budget ran out), its Message-ID, From and Subject, and
// each scanner's score. `verbose` adds the parts and the skipped attachments.
void printText(FileReport const& file, ScanSettings const& settings, bool verbose,
               std::ostream& out, std::ostream& err);

// One JSON object per message, one per line:
//   {"file", "message", "message_id", "from", "subject", "not_mail", "parts": [{"kind", "area", "label", "bytes"}],
//    "skipped": [{"label", "type"}], "timed_out",
//    "results": [{"scanner", "source", "threshold", "score", "reached",
//                 "score_record", "match_record"}]}
// and for an input that could not be read {"file", "error"} (also on `err`).
void printJson(FileReport const& file, ScanSettings const& settings, std::ostream& out,
               std::ostream& err);

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_REPORT_H_
