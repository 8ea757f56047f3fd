// The wildcard matcher on any pattern and text. Every match must start at a
// word start at or after the search position, end at a blank or the end of
// the text, and be longer than nothing (the item's loop moves on to its end).
// The matcher reused for a series of searches must give what a fresh one
// gives, and on inputs small enough for the exponential plain rules, exactly
// what they give.
//
// Input: the pattern up to the first 0xFF byte (cut at 255 bytes and at a
// zero byte, lower-cased as the item does), the text after it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "items/wildcard_match.h"
#include "wildcard_reference.h"

namespace {

using Vessamund::internal::WildcardMatcher;
using Vessamund::internal::wildcardFold;
using Vessamund::internal::wildcardMatch;

bool blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

[[noreturn]] void fail(char const* what, size_t at) {
  std::fprintf(stderr, "wildcard: %s at %zu\n", what, at);
  __builtin_trap();
}

// Small enough that the plain rules finish quickly: they try every position
// for every star.
bool smallEnough(std::string const& pattern, std::string const& text) {
  int stars = 0;
  for (char c : pattern) stars += c == '*';
  return pattern.size() <= 24 && text.size() <= 48 && stars <= 4;
}

void compareWithPlainRules(std::string const& pattern, std::string const& text) {
  vmund_test::ReferenceMatcher ref(pattern, text);
  char const* t = text.data();
  char const* end = t + text.size();
  for (size_t from = 0; from <= text.size(); ++from) {
    vmund_test::ReferenceMatcher::Found want = ref.find(from);
    char const* start = nullptr;
    char const* got = wildcardMatch(pattern.c_str(), t + from, end, &start, false);
    if (want.ok != (got != nullptr)) fail("top level differs from the plain rules", from);
    if (want.ok && (want.start != size_t(start - t) || want.end != size_t(got - t)))
      fail("top-level match differs from the plain rules", from);
    size_t wantEnd = 0;
    bool const nestedOk = ref.nested(0, from, &wantEnd);
    char const* nestedGot = wildcardMatch(pattern.c_str(), t + from, end, nullptr, true);
    if (nestedOk != (nestedGot != nullptr) || (nestedOk && wantEnd != size_t(nestedGot - t)))
      fail("nested form differs from the plain rules", from);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const input(reinterpret_cast<char const*>(data), size);
  size_t const split = input.find('\xff');
  std::string pattern = input.substr(0, split);
  std::string const text = split == std::string::npos ? input : input.substr(split + 1);
  pattern = pattern.substr(0, pattern.find('\0'));
  if (pattern.size() > 255) pattern.resize(255);
  for (char& c : pattern) c = wildcardFold(c);

  char const* t = text.data();
  char const* end = t + text.size();
  WildcardMatcher series(pattern.c_str(), t, end);
  char const* cursor = t;
  int checkedFresh = 0;
  for (;;) {
    char const* start = nullptr;
    char const* got = series.find(cursor, &start);
    if (got == nullptr) break;
    size_t const at = static_cast<size_t>(start - t);
    if (start < cursor || got <= start || got > end) fail("match outside the search", at);
    if (blank(*start) || (start > cursor && !blank(start[-1])))
      fail("match does not start at a word start", at);
    if (got != end && !blank(*got)) fail("match does not end at a blank", at);
    // A fresh matcher knows nothing the series learned.
    if (checkedFresh++ < 16) {
      char const* freshStart = nullptr;
      if (wildcardMatch(pattern.c_str(), cursor, end, &freshStart, false) != got ||
          freshStart != start)
        fail("a reused matcher differs from a fresh one", at);
    }
    cursor = got;
  }
  if (smallEnough(pattern, text)) compareWithPlainRules(pattern, text);
  return 0;
}
