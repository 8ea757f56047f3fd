// The settings for messages that were not scanned in full.
#include "milter/not_scanned.h"

namespace vmund {
namespace milter {
namespace {

struct Reason {
  Skip skip;
  char const* setting;  // "" when the reason has no setting
  char const* text;
  Action byDefault;
};

// Nothing unscanned leaves unseen by default: it waits in the MTA's hold
// queue, where an administrator releases or deletes it. An internal error
// is the milter's own fault and never holds mail back.
Reason const kReasons[] = {
    {Skip::kNone, "", "", Action::kAccept},
    {Skip::kSizeLimit, "oversize", "size limit", Action::kQuarantine},
    {Skip::kTimeBudget, "overtime", "time budget", Action::kQuarantine},
    {Skip::kError, "", "internal error", Action::kAccept},
};
static_assert(sizeof kReasons / sizeof kReasons[0] == static_cast<int>(Skip::kCount),
              "one row per reason");

}  // namespace

char const* skipReason(Skip skip) { return kReasons[static_cast<int>(skip)].text; }

NotScannedPolicy::NotScannedPolicy() {
  for (Reason const& r : kReasons) action[static_cast<int>(r.skip)] = r.byDefault;
}

bool NotScannedPolicy::setting(std::string const& key, std::string const& value,
                               std::string& problem) {
  for (Reason const& r : kReasons) {
    if (key.empty() || key != r.setting) continue;
    if (!parseAction(value, action[static_cast<int>(r.skip)]))
      problem = key + " \"" + value + "\": expected accept, quarantine, tempfail or reject";
    return true;
  }
  return false;
}

}  // namespace milter
}  // namespace vmund
