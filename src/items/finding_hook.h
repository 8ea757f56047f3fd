// How an item tells a findings recorder about each match it counts. Items
// ask current() once per scan; null (nobody asked for findings) leaves them
// exactly as they are without it.
#ifndef VESSAMUND_SRC_ITEMS_FINDING_HOOK_H_
#define VESSAMUND_SRC_ITEMS_FINDING_HOOK_H_

#include <cstdint>

#include "vessamund/validators.h"

namespace Vessamund {
namespace internal {

class FindingHook {
 public:
  // The hook of the dictionary scan running on this thread, or null.
  static FindingHook* current() { return current_; }

  // `times` matches counted at `start` (inside the text of the part the item
  // reads now), `length` bytes each. Must not throw or allocate.
  virtual void counted(char const* start, uint32_t length, unsigned long times) = 0;

 protected:
  ~FindingHook() = default;
  // Set and restored by the recorder that owns the scan.
  static thread_local FindingHook* current_;
};

// Wraps an item's validator while findings are asked for: the same verdicts
// and resume points, and every accepted candidate reported to the hook with
// the span of capture group `group` (0: the whole match; a group that took
// no part falls back to the whole match).
class CountedCandidates : public Regex::Re_Validator {
 public:
  // REQUIRES: `hook` not null when check() is called.
  CountedCandidates(Regex::Re_Validator& inner, FindingHook* hook, int group)
      : inner_(inner), hook_(hook), group_(group) {}

  // `this` when there is a hook to report to, else the wrapped validator.
  Regex::Re_Validator* active() { return hook_ != nullptr ? this : &inner_; }

  bool check(Regex::ExpressionImpl const* expr, char const* text, unsigned int length,
             unsigned int& resume, int* ovector, int count) override {
    if (!inner_.check(expr, text, length, resume, ovector, count)) return false;
    int g = group_ < count && ovector[2 * group_] >= 0 ? group_ : 0;
    hook_->counted(text + ovector[2 * g], static_cast<uint32_t>(ovector[2 * g + 1] - ovector[2 * g]),
                  1);
    return true;
  }

 private:
  Regex::Re_Validator& inner_;
  FindingHook* hook_;
  int group_;
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_FINDING_HOOK_H_
