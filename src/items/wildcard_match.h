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

// The byte a text byte is compared as: A-Z become a-z, every other byte
// stays itself (the C locale's tolower, fixed here so that a host's
// setlocale() cannot change what matches).
inline char wildcardFold(char c) {
  return static_cast<unsigned char>(c - 'A') < 26 ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The class that opens at `classStart` ("[") against the text byte `c`:
// the pattern position after the class when it accepts c, null when it
// rejects c or is not closed. Where the class ends can depend on c (a member
// matched before an escaped "]" ends the class there).
char const* wildcardClassEnd(char const* classStart, char c);

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
// it learns about the text is not relearned. Lives on the caller's stack
// (about 10 KB, plus a few hundred bytes of recursion per star run);
// allocates nothing.
//
// Why it needs memory at all: a star tries the rest of the pattern at every
// later position holding the rest's first byte, and each such try can contain
// stars that scan on to the end of the text, so k star runs could take time
// n^k. The matcher remembers, per rest of pattern, where its tries are known
// to fail, so that no star searches the same stretch of text twice for the
// same rest: the work is bounded by (star runs) x (text length) x (pattern
// length). And a rest that fails everywhere from some position stops the
// search of every earlier star there, which makes the usual shapes, the
// deepest included, linear in the text. Results are exactly those of the
// plain rules.
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
  // keyed by the rest's offset in the pattern. Every try of a rest at a
  // position is one of: a candidate (the text holds the rest's first byte, or
  // the rest opens with a class), fold-only (not a candidate, but its byte
  // passes the first element: a capital, or the byte an escape names), or a
  // position where the rest fails on its first element.
  struct Rest {
    // The rest fails here and at every later candidate. `end_` at first.
    char const* candidatesDeadFrom;
    // The rest fails at every fold-only position from here on. `end_` at
    // first; only moves down.
    char const* foldDeadFrom;
    // A fold-only position where the rest is known to match; null if none.
    char const* liveAt;
    // The rest fails at every position from here on. `end_` at first.
    char const* deadFrom;
    // Index among the star runs in pattern order; -1 for a rest that only a
    // class cut short can reach.
    int level;
  };

  Outcome attempt(char const* p, char const* k);
  Outcome star(char const* p, char const* k);
  char const* nested(char const* rest, char const* k);
  Rest& rest(char const* restStart);
  bool knownToFail(Rest const& r, char const* restStart, char const* k) const;
  void noteSearchFailed(char const* restStart, char const* from);
  bool foldOnlyFailFrom(char const* restStart, char const* from);
  void noteDeadFrom(char const* restStart, char const* from);

  char const* const pattern_;
  char const* const end_;
  // Every attempt meets the star runs in pattern order (no class can close
  // early at an escaped "]"), so a rest that fails everywhere from some
  // position makes every earlier rest fail from there too.
  bool chained_ = true;
  int levels_ = 0;
  uint8_t levelRest_[kMaxLevels];  // offset of each run's rest, in pattern order
  uint64_t touched_[kMaxPattern / 64] = {};  // which rest_ entries are set up
  Rest rest_[kMaxPattern];
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_WILDCARD_MATCH_H_
