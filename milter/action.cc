// Action names.
#include "milter/action.h"

namespace vmund {
namespace milter {

char const* actionName(Action action) {
  switch (action) {
    case Action::kAccept: return "accept";
    case Action::kQuarantine: return "quarantine";
    case Action::kTempfail: return "tempfail";
    case Action::kReject: return "reject";
  }
  return "?";
}

bool parseAction(std::string const& text, Action& out) {
  for (Action a : {Action::kAccept, Action::kQuarantine, Action::kTempfail, Action::kReject}) {
    if (text == actionName(a)) {
      out = a;
      return true;
    }
  }
  return false;
}

}  // namespace milter
}  // namespace vmund
