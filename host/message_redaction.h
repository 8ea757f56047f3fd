// Redaction: a message with every identifier the detectors count in its
// text masked (value_mask.h), checked by reading and scanning the result
// again, so that nothing is left unmasked without being named.
#ifndef VMUND_HOST_MESSAGE_REDACTION_H_
#define VMUND_HOST_MESSAGE_REDACTION_H_

#include <string>
#include <vector>

#include "host/message_findings.h"
#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace vmund {

class AttachmentExtractor;

struct Redaction {
  std::string output;  // the redacted message; empty when `error` is set
  std::string error;   // why the input could not be redacted ("" on success)
  // The identifiers found in the input (values whole: mask them to show).
  std::vector<MessageFinding> masked;
  // Identifiers the output still holds (in parts that could not be
  // rewritten, or that the rewrite could not find): empty when redaction
  // is complete.
  std::vector<MessageFinding> remaining;
};

// A dictionary of all eighteen detectors, weight 1, every area, no cap: the
// identifiers redaction masks. Configuration work (compiles expressions).
Vessamund::Ref<Vessamund::DictionaryScannerImpl> identifierScanner();

// Redacts one message (`bytes`, not an mbox): scans it with `scanner`
// (budget unlimited), replaces every value of an identifier finding by its
// mask wherever it occurs in the message's text, and repeats on the result
// (a value hidden behind another's hit, such as an HTML twin, shows only
// then) until a scan finds no identifier or no more can be replaced, at
// most a few rounds. Scanner findings of words, wildcards and expressions
// are left alone. With `extractor` (borrowed; may be null) archives and
// documents in attachments are read too: identifiers found there cannot be
// rewritten and are reported in `remaining`. Errors: input that is not one
// mail message.
Redaction redactMessage(std::string const& bytes, Vessamund::DictionaryScannerImpl& scanner,
                        AttachmentExtractor const* extractor = nullptr);

}  // namespace vmund

#endif  // VMUND_HOST_MESSAGE_REDACTION_H_
