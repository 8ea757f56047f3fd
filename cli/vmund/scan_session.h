// The scanning engine behind `vmund scan` and `vmund demo`: builds scanners
// from the factory, reads inputs with the message host and scans every
// message with every scanner, on one or more threads.
#ifndef VMUND_CLI_VMUND_SCAN_SESSION_H_
#define VMUND_CLI_VMUND_SCAN_SESSION_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/extraction.h"
#include "host/scanner_load.h"
#include "host/scanner_request.h"
#include "host/message_findings.h"
#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace vmund {

class DeadlineProgress;
class AttachmentExtractor;

struct ScanSettings {
  std::vector<ScannerRequest> scanners;
  unsigned long threshold = 100;
  unsigned jobs = 1;
  std::chrono::milliseconds timeout{10000};  // per message; 0 = none
  uint64_t maxBytes = 64ull << 20;           // larger inputs are refused
  bool progress = false;                     // progress line on `err`
  ExtractLimits extract;                     // reading archives and documents in attachments
  bool findings = true;                      // collect each scan's findings
};

struct ScanResult {
  unsigned long score = 0;
  bool reached = false;  // score >= threshold
  std::string scoreRecord;
  std::string matchRecord;
  std::vector<MessageFinding> findings;  // when ScanSettings::findings
  unsigned long findingsDropped = 0;     // counted matches past the findings list
};

struct PartSummary {
  uint16_t kind;
  std::string label;
  uint64_t bytes;
};

struct SkippedPart {
  std::string label;
  std::string mimeType;  // "" for a part inside an attachment
  std::string reason;    // "" when binary attachments are not read at all
  bool unscannable;      // it may hold text that was not read
};

struct MessageReport {
  std::string id;
  std::string messageId, from, subject;  // as Message has them
  bool notMail = false;                  // read whole as text: not mail
  std::vector<PartSummary> parts;
  std::vector<SkippedPart> skipped;
  std::vector<ScanResult> results;  // one per scanner, in ScanSettings order
  bool timedOut = false;            // the time budget cut a scan short
};

struct FileReport {
  std::string path;   // as given or found; "-" for standard input
  std::string error;  // "" when the input was read
  std::vector<MessageReport> messages;
};

class ScanSession {
 public:
  // Builds the scanners of `settings` through the factory (database
  // dictionaries and groups, template files) with loadScanner(). A scanner
  // that cannot be served (no database, not a configuration database, no
  // such dictionary or group, a missing template file, a name used twice) is
  // written to `err` and makes ok() false; a dictionary without enabled
  // items is only warned about.
  ScanSession(ScanSettings settings, std::ostream& err);
  virtual ~ScanSession() = default;

  bool ok() const { return ok_; }
  ScanSettings const& settings() const { return settings_; }

  // Scans every input: files, directories (recursively, in name order) and
  // "-" for standard input. Calls `sink` on the calling thread once per
  // input, in input order, as soon as the input and all before it are done.
  // A missing path, an unreadable, empty or oversized file give a FileReport
  // with `error` set; the others are still scanned. A file that is not mail
  // is scanned whole as text (MessageReport::notMail).
  // So does an exception while one input is read or scanned (error "scan
  // failed: WHAT"): it ends that input only, never the process.
  void run(std::vector<std::string> const& paths,
           std::function<void(FileReport const&)> const& sink);

 protected:
  // Reads and scans one input; called on the worker threads. May throw
  // (std::bad_alloc on a message that does not fit in memory).
  virtual FileReport scanFile(
      std::string const& path,
      std::vector<Vessamund::Ref<Vessamund::DictionaryScannerImpl>>& scanners,
      DeadlineProgress& deadline) const;

 private:

  ScanSettings settings_;
  std::ostream& err_;
  std::vector<Vessamund::Ref<Vessamund::DictionaryScannerImpl>> scanners_;
  std::shared_ptr<AttachmentExtractor const> extractor_;  // runs vmund-extract
  bool ok_ = true;
};

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_SCAN_SESSION_H_
