// The thread's findings hook (finding_hook.h): null unless a recorder set it.
#include "items/finding_hook.h"

namespace Vessamund {
namespace internal {

thread_local FindingHook* FindingHook::current_ = nullptr;

}  // namespace internal
}  // namespace Vessamund
