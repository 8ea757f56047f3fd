// The milter's configuration file: where the dictionaries come from, the
// limits that keep the mail flowing, and one rule per scanner saying what
// score counts and what then happens to the message.
#ifndef VMUND_MILTER_CONFIG_H_
#define VMUND_MILTER_CONFIG_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "host/scanner_request.h"
#include "milter/action.h"
#include "milter/header_scope.h"
#include "milter/not_scanned.h"
#include "host/extraction.h"

namespace vmund {
namespace milter {

// An SMTP reply as the MTA sends it: a three-digit code, an enhanced status
// code and a text, e.g. {"550", "5.7.1", "Message refused"}.
struct SmtpReply {
  std::string code;
  std::string status;
  std::string text;

  bool empty() const { return code.empty(); }
};

// One scanner and its policy, in file order.
struct Rule {
  ScannerRequest scanner;
  unsigned long threshold = 100;      // score at which the rule matches; at least 1
  Action action = Action::kAccept;
  // The reply for kReject and kTempfail. After parsing it is never empty for
  // those actions: a rule without its own `reply` gets the file's default.
  SmtpReply reply;
  int line = 0;  // where the rule stands in the file, for messages
};

struct Config {
  std::string socket;     // libmilter connection address, e.g. "inet:8894@127.0.0.1"
  std::string dbDir;      // folder of fe_content.db; "" = $VMUND_DB_DIR or /var/lib/vessamund
  std::string templates;  // folder of the template files; "" = the built-in paths
  uint64_t maxSize = 25ull << 20;               // larger messages are not scanned
  std::chrono::milliseconds timeBudget{10000};  // per message; 0 = none
  bool syslog = false;                          // log to syslog (mail facility), else stderr
  // Add X-Vessamund-Findings (what matched and where, never a value) to
  // accepted and quarantined mail.
  bool findingsHeader = false;
  SmtpReply rejectReply{"550", "5.7.1", "Message refused by data-loss-prevention policy"};
  SmtpReply tempfailReply{"451", "4.7.1", "Message deferred by data-loss-prevention policy"};
  NotScannedPolicy notScanned;  // oversize, overtime
  HeaderScope headers;          // headers, local-domains
  std::vector<Rule> rules;
  // Reading archives and documents in attachments (milter/extract_settings.h).
  ExtractLimits extract;
  std::string extractor;                 // vmund-extract; "" = beside vmund-milter
  Action unscannable = Action::kAccept;  // a message with a part that could not be read
};

// A problem found in the file, by line (0 when it concerns the whole file).
struct ConfigProblem {
  int line;
  std::string message;
};

// Reads the configuration `text` (format: README.md, "vmund-milter") over
// the defaults already in `config`, appending its rules. Every problem is
// appended to `problems`; `config` is only to be used when none was added.
// Checks: known settings and options, numbers in range, template numbers
// 512..540, replies the MTA accepts (4xx with 4.x.x for tempfail, 5xx with
// 5.x.x for reject, printable text), at least one rule, and no name used by
// two rules that share the factory's dictionary cache (dictionaries and
// templates) or twice for groups.
void parseConfig(std::string const& text, Config& config, std::vector<ConfigProblem>& problems);

// Reads the reply text "550 5.7.1 Some text" (text optional). Returns "" or
// what is wrong. `kind` is '4' for a temporary, '5' for a permanent reply.
std::string parseReply(std::string const& text, char kind, SmtpReply& reply);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_CONFIG_H_
