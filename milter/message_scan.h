// Scanning one collected message with every rule's scanner, through the same
// message host as `vmund scan`.
#ifndef VMUND_MILTER_MESSAGE_SCAN_H_
#define VMUND_MILTER_MESSAGE_SCAN_H_

#include <string>
#include <vector>

#include "host/deadline.h"
#include "milter/config.h"
#include "milter/scanner_source.h"
#include "milter/verdict.h"

namespace vmund {
class AttachmentExtractor;
namespace milter {

// Reads `text` (a whole message, as MessageState::takeText() gives it) into
// scan parts and runs scanner i of `set` with rule i's threshold; gives one
// result per rule. Text the host cannot read as mail is scanned whole as one
// body part (readMailOrText()).
// `deadline` must be armed by the caller (the budget covers reading the
// message too); when it runs out the results so far come back with
// kTimeBudget. Exceptions from the host or the library pass through.
// With `extractor`, archives and documents in attachments are read too, and
// the first part that could not be read is named in the outcome.
// REQUIRES: set.scanners.size() == rules.size().
ScanOutcome scanMessage(std::vector<Rule> const& rules, ScannerSet const& set,
                        std::string const& text, DeadlineProgress& deadline,
                        AttachmentExtractor const* extractor = nullptr);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_MESSAGE_SCAN_H_
