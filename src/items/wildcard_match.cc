// The wildcard matcher: attempts at word starts, stars that search forward,
// and the memory that keeps nested star searches from repeating each other.
#include "items/wildcard_match.h"

#include <cassert>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Vessamund {
namespace internal {

namespace {

// The C locale's isspace set: space, \t, \n, \v, \f, \r. Fixed here so that a
// host's setlocale() cannot change what a word is.
inline bool isBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u == ' ' || static_cast<unsigned char>(u - '\t') <= '\r' - '\t';
}

inline char fold(char c) { return wildcardFold(c); }

inline int sbyte(char c) { return static_cast<signed char>(c); }

// The class that opens at p ("[") against the text byte c. Returns the pattern
// position after the class when it accepts c, null when it rejects c or is
// not closed.
//
// A member x followed by "-" and a byte y other than "]" with x < y (signed)
// is a range, tried unfolded: on a miss only x and "-" are used up and y is
// then read as a member of its own, folded. So [a-c] takes a, b, c and C
// (through the lone c) but not A or B. After a member matched, the bytes up
// to the next "]" are passed over unread, escapes included.
char const* matchClass(char const* p, char c) {
  ++p;
  bool negated = false;
  if (*p == '!') {
    negated = true;
    ++p;
  }
  char const folded = fold(c);
  bool matched = false;
  for (bool firstMember = true;; firstMember = false) {
    char const x = *p;
    if (x == '\0') return nullptr;
    if (x == ']' && !firstMember) break;
    if (x == '\\') {
      if (p[1] == '\0') return nullptr;
      matched = p[1] == folded;
      p += 2;
    } else if (p[1] == '-' && p[2] != ']' && p[2] != '\0' && sbyte(x) < sbyte(p[2])) {
      matched = sbyte(x) <= sbyte(c) && sbyte(c) <= sbyte(p[2]);
      p += matched ? 3 : 2;
    } else {
      matched = x == folded;
      ++p;
    }
    if (matched) {
      while (*p != ']') {
        if (*p == '\0') return nullptr;
        ++p;
      }
      break;
    }
  }
  // p is at the closing "]".
  return matched != negated ? p + 1 : nullptr;
}

// The first word start after `word` (a byte after a blank) that holds
// `first` or its capital, or `end` when there is none. `first` is not blank.
char const* nextWordWith(char const* word, char const* end, char first) {
  char const upper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 32) : first;
  char const* p = word + 1;
#ifdef __SSE2__
  // Sixteen bytes at a time: the byte, and the blank before it (' ' or
  // '\t' to '\r').
  __m128i const lower16 = _mm_set1_epi8(first);
  __m128i const upper16 = _mm_set1_epi8(upper);
  __m128i const space16 = _mm_set1_epi8(' ');
  __m128i const tab16 = _mm_set1_epi8('\t');
  __m128i const four16 = _mm_set1_epi8(4);
  for (; end - p >= 16; p += 16) {
    __m128i const v = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
    __m128i const before = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p - 1));
    __m128i const hit = _mm_or_si128(_mm_cmpeq_epi8(v, lower16), _mm_cmpeq_epi8(v, upper16));
    __m128i const control = _mm_sub_epi8(before, tab16);
    __m128i const blank = _mm_or_si128(_mm_cmpeq_epi8(before, space16),
                                       _mm_cmpeq_epi8(_mm_max_epu8(control, four16), four16));
    unsigned const m = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(hit, blank)));
    if (m != 0) return p + __builtin_ctz(m);
  }
#endif
  for (; p < end; ++p) {
    if ((*p == first || *p == upper) && isBlank(p[-1])) return p;
  }
  return end;
}

}  // namespace

char const* wildcardClassEnd(char const* classStart, char c) { return matchClass(classStart, c); }

WildcardMatcher::WildcardMatcher(char const* pattern, char const* /*begin*/, char const* end)
    : pattern_(pattern), end_(end) {
  // Walk the pattern element by element as an attempt would, noting where
  // each star run's rest begins and whether any class can end early.
  char const* p = pattern;
  while (*p != '\0') {
    switch (*p) {
      case '*':
        while (*p == '*' || *p == '?') ++p;
        if (*p != '\0' && levels_ < kMaxLevels) {
          levelRest_[levels_++] = static_cast<uint8_t>(p - pattern);
        }
        break;
      case '\\':
        p += p[1] != '\0' ? 2 : 1;
        break;
      case '[': {
        ++p;
        if (*p == '!') ++p;
        for (bool firstMember = true; *p != '\0'; firstMember = false) {
          if (*p == ']' && !firstMember) {
            ++p;
            break;
          }
          if (*p == '\\' && p[1] != '\0') {
            // A member matched before an escaped "]" ends the class there.
            if (p[1] == ']' && !firstMember) chained_ = false;
            p += 2;
          } else {
            ++p;
          }
        }
        break;
      }
      default:
        ++p;
    }
  }
  assert(p - pattern < kMaxPattern);
  for (int i = 0; i < levels_; ++i) rest(pattern_ + levelRest_[i]).level = i;
}

WildcardMatcher::Rest& WildcardMatcher::rest(char const* restStart) {
  unsigned const offset = static_cast<unsigned>(restStart - pattern_);
  assert(offset < kMaxPattern);
  uint64_t const bit = uint64_t{1} << (offset % 64);
  Rest& r = rest_[offset];
  if ((touched_[offset / 64] & bit) == 0) {
    touched_[offset / 64] |= bit;
    r.candidatesDeadFrom = end_;
    r.foldDeadFrom = end_;
    r.liveAt = nullptr;
    r.deadFrom = end_;
    r.level = -1;
  }
  return r;
}

char const* WildcardMatcher::find(char const* from, char const** matchStart) {
  if (*pattern_ == '\0') return nullptr;  // an empty pattern never matches
  char const* word = from;
  while (word < end_ && isBlank(*word)) ++word;
  if (word >= end_) return nullptr;
  // Most words fail on a literal first byte; that needs no attempt.
  char const first = *pattern_;
  bool const literalFirst = first != '*' && first != '?' && first != '[' && first != '\\';
  // A blank first byte begins no word.
  if (literalFirst && isBlank(first)) return nullptr;
  for (;;) {
    if (literalFirst && fold(*word) != first) {
      // Words that fail on their first byte stop where they start: the
      // next word tried is the next one that begins with it.
      word = nextWordWith(word, end_, first);
      if (word >= end_) return nullptr;
      continue;
    }
    Outcome const o = attempt(pattern_, word);
    if (o.matched) {
      assert(o.at > word);  // a match starts on a non-blank byte and ends at a blank
      if (matchStart != nullptr) *matchStart = word;
      return o.at;
    }
    // Resume at the first word that begins after the byte where the attempt
    // stopped; a failure at the end of the text ends the search.
    char const* k = o.at;
    if (k >= end_) return nullptr;
    while (k < end_ && !isBlank(*k)) ++k;
    while (k < end_ && isBlank(*k)) ++k;
    if (k >= end_) return nullptr;
    word = k;
  }
}

char const* WildcardMatcher::matchAt(char const* at) {
  if (at >= end_) return nullptr;
  Outcome const o = attempt(pattern_, at);
  return o.matched ? o.at : nullptr;
}

// One attempt of the pattern from p at text position k. Deterministic: the
// only choice, how far a star reaches, is made inside star().
WildcardMatcher::Outcome WildcardMatcher::attempt(char const* p, char const* k) {
  for (;;) {
    char const c = *p;
    if (c == '\0') return {k == end_ || isBlank(*k), k};
    if (k == end_) {
      // Only stars can match an empty rest of text.
      while (*p == '*') ++p;
      return {*p == '\0', k};
    }
    switch (c) {
      case '?':
        if (!isBlank(*k)) ++k;
        ++p;
        break;
      case '*':
        if (!isBlank(*k)) return star(p, k);
        ++p;  // a star matches nothing at a blank
        break;
      case '[': {
        char const* next = matchClass(p, *k);
        if (next == nullptr) return {false, k};
        p = next;
        ++k;
        break;
      }
      case '\\':
        if (p[1] == '\0' || p[1] != fold(*k)) return {false, k};
        p += 2;
        ++k;
        break;
      default:
        if (c != fold(*k)) return {false, k};
        ++p;
        ++k;
    }
  }
}

// A star at p, on the non-blank byte at k. The attempt's outcome is that of
// the rest of the pattern at the first position the star's search accepts,
// so a nested success is the attempt's success and there is nothing to
// resume; a failed search fails the attempt at the end of the text.
WildcardMatcher::Outcome WildcardMatcher::star(char const* p, char const* k) {
  ++p;
  while (*p == '*' || *p == '?') {
    if (*p == '?' && !isBlank(*k)) ++k;
    ++p;
    if (k == end_) {
      while (*p == '*') ++p;
      return {*p == '\0', k};
    }
  }
  if (*p == '\0') {
    while (k < end_ && !isBlank(*k)) ++k;
    return {true, k};
  }

  char const* const restStart = p;
  char const* const from = k;
  Rest const& memo = rest(restStart);
  // The first position after the run is tried with folding.
  if (!knownToFail(memo, restStart, k)) {
    if (char const* e = nested(restStart, k)) return {true, e};
  }
  // Later positions only where the text holds the rest's first byte exactly;
  // none at or after what is known to fail (nested tries may move that
  // closer, so it is read again each time).
  for (;;) {
    char const* limit = memo.candidatesDeadFrom < memo.deadFrom ? memo.candidatesDeadFrom
                                                                : memo.deadFrom;
    ++k;
    if (k < limit && *restStart != '[') {
      void const* hit = std::memchr(k, *restStart, static_cast<size_t>(limit - k));
      k = hit != nullptr ? static_cast<char const*>(hit) : limit;
    }
    if (k >= limit) break;
    if (char const* e = nested(restStart, k)) return {true, e};
  }
  noteSearchFailed(restStart, from);
  return {false, end_};
}

char const* WildcardMatcher::nested(char const* restStart, char const* k) {
  Outcome const o = attempt(restStart, k);
  return o.matched ? o.at : nullptr;
}

bool WildcardMatcher::knownToFail(Rest const& r, char const* restStart, char const* k) const {
  if (k >= r.deadFrom) return true;
  if (k < r.candidatesDeadFrom) return false;
  if (k == r.candidatesDeadFrom || *restStart == '[' || *k == *restStart) return true;
  return k >= r.foldDeadFrom;
}

// A star whose run ended at `from` found no position for its rest: the rest
// fails at `from` and at every candidate after it.
void WildcardMatcher::noteSearchFailed(char const* restStart, char const* from) {
  Rest& r = rest(restStart);
  if (from >= r.candidatesDeadFrom) return;
  r.candidatesDeadFrom = from;
  if (foldOnlyFailFrom(restStart, from)) noteDeadFrom(restStart, from);
}

namespace {
// The bytes that are not candidates for the rest, yet pass its first element:
// the capital of a leading letter, or what an escape names. Returns how many.
int foldOnlyBytes(char const* restStart, char out[2]) {
  int n = 0;
  char b = restStart[0];
  if (b == '[') return 0;
  if (b == '\\') {
    b = restStart[1];
    if (b == '\0' || b == '\\' || fold(b) != b) return 0;
    out[n++] = b;  // the exact search looks for the backslash instead
  }
  if (b >= 'a' && b <= 'z') out[n++] = static_cast<char>(b - ('a' - 'A'));
  return n;
}

char const* lastIn(char const* from, char const* to, char byte) {
  return static_cast<char const*>(memrchr(from, byte, static_cast<size_t>(to - from)));
}
}  // namespace

// Whether the rest fails at every fold-only position from `from` on, walking
// down from what is already known. Trying fold-only positions costs work the
// plain rules would not do, but it is what lets a dead rest kill the rests
// before it; a rest with no earlier one only looks for whether there are any.
bool WildcardMatcher::foldOnlyFailFrom(char const* restStart, char const* from) {
  Rest& r = rest(restStart);
  if (r.liveAt != nullptr && r.liveAt >= from) return false;
  if (r.deadFrom < r.foldDeadFrom) r.foldDeadFrom = r.deadFrom;  // learned from a later rest
  if (r.foldDeadFrom <= from) return true;
  bool const tryThem = chained_ && r.level > 0;
  char bytes[2];
  int const count = foldOnlyBytes(restStart, bytes);
  char const* hit[2] = {nullptr, nullptr};
  for (int i = 0; i < count; ++i) hit[i] = lastIn(from, r.foldDeadFrom, bytes[i]);
  for (;;) {
    int const i = hit[0] == nullptr || (hit[1] != nullptr && hit[1] > hit[0]) ? 1 : 0;
    char const* const p = hit[i];
    if (p == nullptr) break;
    if (!tryThem) {
      r.foldDeadFrom = p + 1;
      return false;
    }
    // Only shorter rests are tried inside, so `r` is not touched meanwhile.
    if (nested(restStart, p) != nullptr) {
      r.foldDeadFrom = p + 1;
      r.liveAt = p;
      return false;
    }
    r.foldDeadFrom = p;
    hit[i] = lastIn(from, p, bytes[i]);
  }
  r.foldDeadFrom = from;
  return true;
}

void WildcardMatcher::noteDeadFrom(char const* restStart, char const* from) {
  Rest& r = rest(restStart);
  if (from >= r.deadFrom) return;
  r.deadFrom = from;
  if (!chained_ || r.level < 0) return;
  // Every earlier rest has to pass this one at or after its own start, so it
  // is dead from here on too. deadFrom never decreases along the chain.
  for (int level = r.level - 1; level >= 0; --level) {
    Rest& earlier = rest_[levelRest_[level]];
    if (earlier.deadFrom <= from) break;
    earlier.deadFrom = from;
  }
}

char const* wildcardMatch(char const* pattern, char const* text, char const* end,
                          char const** matchStart, bool nested) {
  WildcardMatcher matcher(pattern, text, end);
  return nested ? matcher.matchAt(text) : matcher.find(text, matchStart);
}

}  // namespace internal
}  // namespace Vessamund
