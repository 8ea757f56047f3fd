// The libmilter side of the milter: the callbacks that collect each message
// and, at its end, scan it and carry out the verdict. The only code besides
// main.cc that sees libmilter.
#ifndef VMUND_MILTER_MILTER_CALLBACKS_H_
#define VMUND_MILTER_MILTER_CALLBACKS_H_

#include <chrono>
#include <string>

#include "milter/config.h"
#include "milter/message_log.h"
#include "milter/scanner_source.h"

namespace vmund {
namespace milter {

// Registers the callbacks with libmilter and opens the socket named in
// `config.socket` (an old Unix socket file is removed first). The three
// objects are borrowed until smfi_main() returns; the callbacks use them from
// libmilter's threads (one per SMTP connection). Returns "" or what failed.
std::string registerCallbacks(Config const& config, ScannerSource& source, Log& log);

// After smfi_main() returned: turns away every later callback (the MTA gets a
// temporary failure) and waits up to `limit` for those still running.
// Returns false when some were still running at the limit; the borrowed
// objects must then outlive the process.
bool waitForCallbacks(std::chrono::milliseconds limit);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_MILTER_CALLBACKS_H_
