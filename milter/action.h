// What the milter does with a message.
#ifndef VMUND_MILTER_ACTION_H_
#define VMUND_MILTER_ACTION_H_

#include <string>

namespace vmund {
namespace milter {

// Declared from mildest to most severe: when several apply, the most severe
// wins.
enum class Action { kAccept, kQuarantine, kTempfail, kReject };

// "accept", "quarantine", "tempfail" or "reject".
char const* actionName(Action action);

// Reads one of those names; false when `text` is none.
bool parseAction(std::string const& text, Action& out);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_ACTION_H_
