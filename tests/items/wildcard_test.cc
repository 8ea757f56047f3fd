// The wildcard matcher's behaviours, and the wildcard item's scoring, part
// selection and match reports. Random patterns and texts against the plain
// rules are wildcard_fuzz's job; its seeds hold the rows below, so the plain
// rules are held to them too.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "items/wildcard_match.h"
#include "support/test_area.h"
#include "vessamund/wildcard_item.h"

namespace {

using Vessamund::DictionaryWildcard;
using Vessamund::internal::wildcardMatch;
using vmund_test::makeRecord;
using vmund_test::RecordingLogger;
using vmund_test::TestArea;

// First match from the start of `text`, as "start-end" or "none".
std::string firstMatch(std::string const& pattern, std::string const& text) {
  char const* start = nullptr;
  char const* end = wildcardMatch(pattern.c_str(), text.data(), text.data() + text.size(),
                                  &start, false);
  if (end == nullptr) return "none";
  return std::to_string(start - text.data()) + "-" + std::to_string(end - text.data());
}

TEST(WildcardMatchTest, Behaviours) {
  struct Row {
    char const* pattern;
    std::string text;
    char const* expected;
    char const* note;
  } const rows[] = {
      {"abc", "xx abc yy", "3-6", "a match starts at a word start"},
      {"abc", "xabc", "none", "not inside a word"},
      {"\xc3\xa9", "\xc3\x89", "none", "bytes above 0x7f compare exactly"},
      {"credit card", "my credit card", "3-14", "a space matches one space"},
      {"x y", "x x y", "none", "the word where an attempt failed is skipped"},
      {"", "abc", "none", "an empty pattern never matches"},
      {"a?", "a b", "0-1", "? matches nothing at a blank"},
      {"a?b", "a b", "none", "? at a blank leaves the blank to the next element"},
      {"a*", "abc def", "0-3", "a trailing star runs to the word end"},
      {"a*b", "ax ay ab", "0-8", "a star reaches into later words"},
      {"a*b", "axbz yb", "0-7", "shortest extension that ends at a blank"},
      {"a*b", "aXB", "none", "later positions are found by exact bytes"},
      {"ab*", "ab cd", "0-2", "a star at a blank matches nothing"},
      {"*b*c", "bxbC", "0-4", "a failed inner search does not doom later tries"},
      {"*b*\\c", "bxbc", "0-4", "nor does one for an escaped rest"},
      {"a*\\?", "aX?", "none", "the star's search skips escaped rests"},
      {"a\\", "ab", "none", "a trailing backslash matches nothing"},
      {"[a-c]", "C", "0-1", "c read alone after the range missed"},
      {"[a-c]", "B", "none", "ranges compare unfolded"},
      {"[!a]", "A", "none", "members fold"},
      {"[]a]", "]", "0-1", "a leading ] is a member"},
      {"[c-a]", "b", "none", "no range when x > y"},
      {"[c-a]", "-", "0-1", "the - is then a member"},
      {"[a\\]x]", "ax]", "0-3", "after a match the class ends at the next ], escaped or not"},
      {"a[bc", "ab", "none", "an unclosed class matches nothing"},
      {"*a[b\\][]*c]d", "za]xxxab]d", "0-10", "a class cut short at \\] opens another"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(std::string(r.pattern) + " on \"" + r.text + "\": " + r.note);
    EXPECT_EQ(r.expected, firstMatch(r.pattern, r.text));
  }
}

// A 255-byte pattern of alternating stars and classes, the deepest nesting a
// record allows, on one long word. Ending the word in "!" makes every star's
// search run to the end of the text and fail.
TEST(WildcardMatchTest, DeepStarPatternOnLongWord) {
  std::string pattern;
  for (int i = 0; i < 41; ++i) pattern += "*[a-z]";
  pattern += "*[a-z0-9]";
  ASSERT_EQ(255u, pattern.size());
  std::string text(1 << 20, 'q');
  EXPECT_EQ("0-" + std::to_string(text.size()), firstMatch(pattern, text));
  text.back() = '!';
  EXPECT_EQ("none", firstMatch(pattern, text));

  // The item over a 10 MB part of such words: the stars search on across
  // the blanks, so the one match is the whole part.
  auto rec = makeRecord(0, pattern, 1);
  DictionaryWildcard item(&rec);
  std::string words;
  while (words.size() < (10u << 20)) words += std::string(4093, 'q') + "!\n\t";
  words += "qq";
  TestArea area{{words, 1}};
  RecordingLogger logger;
  EXPECT_EQ(1ul, item.scan(&area, 100, logger));
  ASSERT_EQ(1u, logger.reports.size());
  EXPECT_EQ(words.size(), logger.reports[0].match.size());
}

// --- the item -----------------------------------------------------------------

// The item lower-cases its pattern, reports it by that text's own address,
// and logs each match as the message wrote it. Three matching words in the
// first part, two in the third; the second part is of a kind the item does
// not read.
TEST(WildcardItemTest, CountsUpToMaxCountAcrossParts) {
  struct Row {
    uint16_t weight;
    unsigned long budget, score;
    std::vector<std::string> logged;
  } const rows[] = {
      {1, 100, 5, {"Ab", "ab1", "aB2", "AB", "abz"}},
      {3, 10, 12, {"Ab", "ab1", "aB2", "AB"}},  // ceil(10/3) = 4 matches
  };
  for (Row const& r : rows) {
    SCOPED_TRACE("weight " + std::to_string(r.weight) + " budget " + std::to_string(r.budget));
    auto rec = makeRecord(0, "AB*", r.weight);
    DictionaryWildcard item(&rec);
    EXPECT_EQ("ab*", item.pattern);
    TestArea area{{"Ab xy ab1 aB2", 1}, {"ab ab", 2}, {"AB abz", 1}};
    RecordingLogger logger;
    EXPECT_EQ(r.score, item.scan(&area, r.budget, logger));
    std::vector<std::string> logged;
    for (auto const& rep : logger.reports) {
      EXPECT_EQ(item.pattern.c_str(), rep.pattern);
      logged.push_back(rep.match);
    }
    EXPECT_EQ(r.logged, logged);
  }
}

}  // namespace
