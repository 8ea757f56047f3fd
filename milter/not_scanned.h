// Messages the milter could not scan in full, and what happens to them: one
// setting per reason, each an action like a rule's.
#ifndef VMUND_MILTER_NOT_SCANNED_H_
#define VMUND_MILTER_NOT_SCANNED_H_

#include <string>

#include "milter/action.h"

namespace vmund {
namespace milter {

// Why a message was not scanned in full.
enum class Skip {
  kNone,
  kSizeLimit,   // larger than max-size: not collected, not scanned
  kTimeBudget,  // the time budget ran out before every rule had finished
  kError,       // the milter failed while scanning (out of memory, ...)
  kCount
};

// "size limit", "time budget", "internal error"; "" for kNone.
char const* skipReason(Skip skip);

// The action per reason. A new reason is one more row of the table in
// not_scanned.cc (its setting name and default).
struct NotScannedPolicy {
  NotScannedPolicy();
  Action action[static_cast<int>(Skip::kCount)];

  Action forReason(Skip skip) const { return action[static_cast<int>(skip)]; }

  // Reads a setting of the configuration file that names a reason
  // ("oversize quarantine"). Returns false when `key` is no such setting;
  // else true, with `problem` set when the value is not an action.
  bool setting(std::string const& key, std::string const& value, std::string& problem);
};

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_NOT_SCANNED_H_
