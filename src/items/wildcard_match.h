// The word-by-word wildcard matcher behind DictionaryWildcard.
//
// A match starts at a word start (a byte after whitespace or at the search
// start) and ends at whitespace or at the end of the text. In the pattern "*"
// is any run of bytes (the shortest that lets the rest match), "?" one
// non-blank byte or nothing at a blank, "[...]" a class ("!" negates, a
// leading "]" is a member, x-y a range compared unfolded), "\" takes the next
// byte literally. Text bytes A-Z fold to lower case before they are compared;
// whitespace is the C locale's isspace set. No byte is read outside the text
// or past the pattern's zero byte.
#ifndef VESSAMUND_SRC_ITEMS_WILDCARD_MATCH_H_
#define VESSAMUND_SRC_ITEMS_WILDCARD_MATCH_H_

#include <cstdint>

namespace Vessamund {
namespace internal {

// One-shot match over [text, end).
//
// nested == false: finds the first match that starts at a word at or after
// `text`; returns the position just after it and, when `matchStart` is not
// null, stores its start there. Returns null (leaving *matchStart alone) when
// there is none.
// nested == true: matches the pattern exactly at `text`, without skipping
// whitespace or moving to another word; returns the end or null. `matchStart`
// is not written.
//
// REQUIRES: `pattern` zero-terminated, at most 255 bytes, with no upper-case
// ASCII letters; text <= end. Allocates nothing; never throws.
char const* wildcardMatch(char const* pattern, char const* text, char const* end,
                          char const** matchStart, bool nested);

// The same matcher, kept for a series of searches over one text so that what
// it learns about the text is not relearned: repeated find() calls from
// increasing positions cost, together, about what one search over the text
// costs. Lives on the caller's stack (a few KB); allocates nothing.
//
// Why it needs memory at all: a star tries the rest of the pattern at every
// later position holding the rest's first byte, and each such try can contain
// stars that scan on to the end of the text, so k star runs could take time
// n^k. The matcher remembers, per rest of pattern, from where on its tries are
// known to fail, which bounds the work by (star runs) x (text length) x
// (pattern length) and makes it linear for the usual patterns. Results are
// exactly those of the plain rules.
class WildcardMatcher {
 public:
  // `pattern` and the text [begin, end) are borrowed and must not change
  // while the matcher is used. REQUIRES as for wildcardMatch.
  WildcardMatcher(char const* pattern, char const* begin, char const* end);

  WildcardMatcher(WildcardMatcher const&) = delete;
  WildcardMatcher& operator=(WildcardMatcher const&) = delete;

  // Top-level search from `from` (begin <= from <= end); as wildcardMatch
  // with nested == false.
  char const* find(char const* from, char const** matchStart);

  // Nested form at `at` (begin <= at); as wildcardMatch with nested == true.
  char const* matchAt(char const* at);

 private:
  static constexpr int kMaxPattern = 256;  // pattern bytes plus its zero byte
  static constexpr int kMaxLevels = 128;   // star runs in 255 bytes ("*x" pairs)

  // Where an attempt stopped: after the match, or where it failed.
  struct Outcome {
    bool matched;
    char const* at;
  };

  // What is known about the rest of the pattern that follows one star run,
  // keyed by the rest's offset in the pattern.
  struct Rest {
    // Tries of the rest fail at this position and at every later position
    // that holds the rest's first byte (every later position for a class).
    // `end_` while nothing is known.
    char const* candidatesDeadFrom;
    // Tries of the rest fail at every position from here on. `end_` while
    // nothing is known.
    char const* deadFrom;
    // One past the last position whose byte matches the rest's first element
    // only through case folding (or through an escape), so that the star's
    // exact-byte search never tries it; `begin_` when there is none, null
    // until it is needed.
    char const* foldOnlyEnd;
  };

  Outcome attempt(char const* p, char const* k);
  Outcome star(char const* p, char const* k);
  char const* nested(char const* rest, char const* k);
  Rest& rest(char const* restStart);
  bool knownToFail(Rest const& r, char const* restStart, char const* k) const;
  void noteSearchFailed(char const* restStart, char const* from);
  void noteDeadFrom(char const* restStart, char const* from);
  char const* foldOnlyEnd(char const* restStart);

  char const* const pattern_;
  char const* const begin_;
  char const* const end_;
  // Every star run meets the same rest at every attempt, in pattern order (no
  // class can close early at an escaped "]"), so a rest that always fails
  // from some position makes every earlier rest fail from there too.
  bool chained_ = true;
  int levels_ = 0;
  uint8_t levelRest_[kMaxLevels];  // offset of each run's rest, in pattern order
  uint64_t touched_[kMaxPattern / 64] = {};  // which rest_ entries are set up
  Rest rest_[kMaxPattern];
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_WILDCARD_MATCH_H_
