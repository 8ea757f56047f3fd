// Reading a candidate's capture vector as the engine hands it to validators.
#ifndef VESSAMUND_SRC_VALIDATORS_CAPTURES_H_
#define VESSAMUND_SRC_VALIDATORS_CAPTURES_H_

namespace Vessamund {
namespace Regex {
namespace internal {

// Pair k of `ovector` holds the start and end offsets of group k in `text`.
// Only the first `count` pairs describe this candidate (the engine does not
// clear later ones), and a group that took no part is -1,-1; both read here
// as an empty group, so a rule never needs to know which it was.
struct Captures {
  char const* text;
  int const* ovector;
  int count;

  // End minus start of group k; 0 when the group took no part.
  int length(int k) const { return k < count ? ovector[2 * k + 1] - ovector[2 * k] : 0; }

  // The group's first byte. REQUIRES: length(k) > 0.
  char first(int k) const { return text[ovector[2 * k]]; }

  // Where group k starts; `text` itself for an empty group, which is never
  // read through (its length is 0).
  char const* start(int k) const { return length(k) > 0 ? text + ovector[2 * k] : text; }

  // The offset of group k's last byte: where the search resumes so that the
  // byte after the identifier can lead the next candidate. 0 (the engine
  // then steps one past the candidate's start) for an empty group.
  unsigned int last(int k) const {
    return length(k) > 0 ? static_cast<unsigned int>(ovector[2 * k + 1] - 1) : 0;
  }
};

}  // namespace internal
}  // namespace Regex
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_VALIDATORS_CAPTURES_H_
