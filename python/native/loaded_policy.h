// A policy's scanners, loaded once from its definition, and the scans that
// run them over mail or text.
#ifndef VMUND_PYTHON_NATIVE_LOADED_POLICY_H_
#define VMUND_PYTHON_NATIVE_LOADED_POLICY_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/attachment_extractor.h"
#include "python/native/finding_record.h"
#include "python/native/policy_definition.h"
#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace vmund {

class DeadlineProgress;
class MessageArea;

namespace python {

// A definition that names what cannot be loaded (no database, a missing
// template file, bad rows). The message is the one `vmund scan` prints.
class PolicyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Input that cannot be scanned at all (empty). The message is the message
// host's.
class MessageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScannerOutcome {
  unsigned long score = 0;
  bool reached = false;  // score >= the policy's threshold
  std::string scoreRecord;
  std::string matchRecord;
  // What matched and where; `findingsDropped` counts matches past the
  // per-scan list's capacity.
  std::vector<FindingRecord> findings;
  unsigned long findingsDropped = 0;
};

struct SkippedInfo {
  std::string label;
  std::string mimeType;
  std::string reason;  // why it was not read; "" when not extracted at all
  bool unscannable;    // it may hold text that was not read
};

struct PartInfo {
  uint16_t kind;
  std::string label;
  uint64_t bytes;
};

struct MessageOutcome {
  std::string id;       // as `vmund scan` names it: NAME, or NAME#N in an mbox
  size_t offset = 0;    // where the message starts in the input
  std::vector<PartInfo> parts;
  std::vector<SkippedInfo> skipped;
  bool timedOut = false;
  std::vector<ScannerOutcome> results;  // one per scanner, in definition order
  std::string headers;  // the decoded header block ("Name: value" lines), "" if none
  // As `vmund scan --json` reports them: From and Subject with identifiers
  // masked.
  std::string messageId, from, subject;
  bool notMail = false;  // not mail: the input was scanned whole as text
};

// Immutable once built: any number of threads may scan with one instance at
// once (each scan has its own area and deadline; scanners are shared).
class LoadedPolicy {
 public:
  // Loads every scanner of `definition` through the library's factory. Holds
  // a process-wide lock while it does, since the database folder and the
  // template paths are process-wide settings (restored afterwards). Throws
  // PolicyError with the host's diagnosis (no database, no such dictionary,
  // a template without its file, a name used twice); `warnings` receives
  // what loads but cannot find everything (a dictionary without items, an
  // expression that does not compile).
  LoadedPolicy(PolicyDefinition definition, std::vector<std::string>& warnings);

  PolicyDefinition const& definition() const { return definition_; }

  // Reads `bytes` as `vmund scan` reads a file (one message, every message of
  // an mbox, or, when it is not mail, the whole input as one body part),
  // archives and documents in attachments included (the vmund-extract
  // helper, with `vmund scan`'s default limits), and scans each message with
  // every scanner. `name` names the input in ids. As in `vmund scan`, the
  // first message's time budget covers reading the input. Throws
  // MessageError when the input is empty. Takes no Python lock.
  std::vector<MessageOutcome> scanMail(std::string const& bytes, std::string const& name) const;

  // Scans `text` (UTF-8) as one part of `kind`.
  MessageOutcome scanText(std::string text, uint16_t kind) const;

 private:
  std::chrono::milliseconds budget() const;
  MessageOutcome scanArea(MessageArea& area, DeadlineProgress& deadline) const;

  PolicyDefinition definition_;
  std::shared_ptr<AttachmentExtractor const> extractor_;  // runs vmund-extract
  std::vector<Vessamund::Ref<Vessamund::DictionaryScannerImpl>> scanners_;
};

}  // namespace python
}  // namespace vmund

#endif  // VMUND_PYTHON_NATIVE_LOADED_POLICY_H_
