// The engine's candidate loop: what the validator sees, where the search goes
// on, when it stops, and that nothing can make it loop or crash.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "outside/ranged_search.h"
#include "vessamund/regex.h"
#include "vessamund/validators.h"

namespace {

using namespace Vessamund::Regex;

// Records and accepts every candidate; resumes where told.
class Probe : public Re_Validator {
 public:
  enum Resume { kEnd, kStart, kEndMinusOne, kBeyond };
  explicit Probe(Resume resume = kEnd) : resume_(resume) {}
  bool check(ExpressionImpl const*, char const* text, unsigned int, unsigned int& resume,
             int* ov, int count) override {
    candidates.push_back(std::string(text + ov[0], ov[1] - ov[0]));
    counts.push_back(count);
    groups.assign(ov, ov + 2 * count);
    switch (resume_) {
      case kEnd: resume = ov[1]; break;
      case kStart: resume = ov[0]; break;
      case kEndMinusOne: resume = ov[1] - 1; break;
      case kBeyond: resume = 1000000; break;
    }
    return true;
  }
  std::vector<std::string> candidates;
  std::vector<int> counts;
  std::vector<int> groups;  // of the last candidate

 private:
  Resume resume_;
};

unsigned long run(ExpressionImpl const& e, std::string const& text, Probe& p,
                  unsigned long wanted = 100) {
  return e.matches(text.data(), text.size(), wanted, 0, &p, 0, nullptr);
}

TEST(Pcre2ExpressionTest, ResumeAndStop) {
  struct Row {
    char const* note;
    char const* re;
    char const* text;
    Probe::Resume resume;
    unsigned long wanted;
    std::vector<std::string> seen;  // each accepted, so also the count
  } rows[] = {
      {"resume at end", "\\d\\d", "123456", Probe::kEnd, 10, {"12", "34", "56"}},
      {"resume inside the match", "\\d\\d", "1234", Probe::kEndMinusOne, 10, {"12", "23", "34"}},
      {"resume at start still progresses", "\\d\\d", "123", Probe::kStart, 10, {"12", "23"}},
      {"resume beyond the text stops", "\\d", "123", Probe::kBeyond, 10, {"1"}},
      {"wanted count stops the search", "\\d", "12345", Probe::kEnd, 2, {"1", "2"}},
      {"empty and non-empty", "a*", "baa", Probe::kEnd, 10, {"", "aa", ""}},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    ExpressionImpl e;
    e.pattern(r.re, 0, true);
    Probe p(r.resume);
    EXPECT_EQ(r.seen.size(), run(e, r.text, p, r.wanted));
    EXPECT_EQ(r.seen, p.candidates);
  }
}

// Pairs of offsets up to the last group that took part, -1 for the others.
TEST(Pcre2ExpressionTest, CaptureVectorEndsAtTheLastGroupTaken) {
  ExpressionImpl e;
  e.pattern("(a)|(b)(c)?", 0, true);
  Probe p;
  EXPECT_EQ(1ul, run(e, "xb", p));
  EXPECT_EQ(p.counts, std::vector<int>{3});
  EXPECT_EQ(p.groups, (std::vector<int>{1, 2, -1, -1, 1, 2}));
}

TEST(Pcre2ExpressionTest, BadPatternsNeverMatch) {
  char const* bad[] = {"(unclosed", "\\"};
  for (char const* re : bad) {
    SCOPED_TRACE(re);
    ExpressionImpl e;
    e.pattern(re, 0, true);
    EXPECT_FALSE(e.compiled());
    EXPECT_FALSE(e.error().empty());
    Probe p;
    EXPECT_EQ(0ul, run(e, "(unclosed a aa z-a \\", p));
    EXPECT_TRUE(p.candidates.empty());
  }
  Expression undelimited("no slashes", 0, true);
  EXPECT_FALSE(undelimited->compiled());
}

TEST(Pcre2ExpressionTest, MatchLimitBoundsBacktracking) {
  ExpressionImpl e;
  e.pattern("(a+)+$", 0, true);
  std::string text(40, 'a');
  text += 'b';
  Probe p;
  // Without a bound this takes 2^40 steps; the limit ends the search instead.
  EXPECT_EQ(0ul, e.matches(text.data(), text.size(), 1, 0, &p, 6000, nullptr));
}

TEST(Pcre2ExpressionTest, InvalidUtf8IsSearchedInItsValidStretches) {
  ExpressionImpl e;
  e.pattern("caf\\x{e9}", kCaseless | kUtf8, true);
  ASSERT_TRUE(e.compiled()) << e.error();
  Probe p;
  EXPECT_EQ(2ul, run(e, "\xff caf\xc3\xa9 \xc3 CAF\xc3\xa9\xfe", p));
  // Any bytes in UTF-8 mode: regex_fuzz.
}

// matchesIn searches only the ranges it is given; where no candidate and no
// failing search position lies outside them it is matches() exactly.
TEST(Pcre2ExpressionTest, MatchesInSearchesOnlyItsRanges) {
  ExpressionImpl e;
  e.pattern("a+b", 0, true);
  std::string const text = "ab xaab aaab b ab";  // candidates at 0, 4, 8, 15
  struct Row {
    char const* note;
    std::vector<StartRange> ranges;
    std::vector<std::string> expected;
  } const rows[] = {
      {"everything", {{0, 17}}, {"ab", "aab", "aaab", "ab"}},
      {"each start exactly", {{0, 0}, {4, 4}, {8, 8}, {15, 15}}, {"ab", "aab", "aaab", "ab"}},
      {"a range holding only the tail of a candidate", {{5, 6}}, {"ab"}},
      {"a start outside every range is not found", {{0, 3}, {15, 16}}, {"ab", "ab"}},
      {"nothing", {}, {}},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    Probe p;
    matchesIn(e, text.data(), text.size(), 100, r.ranges.data(), r.ranges.size(), &p, 0);
    EXPECT_EQ(p.candidates, r.expected);
  }
  // The resume rule and `wanted` are those of matches(): resuming at a
  // candidate's start moves one on, inside the same range.
  Probe back(Probe::kStart);
  std::vector<StartRange> const all{{0, 17}};
  EXPECT_EQ(3ul, matchesIn(e, text.data(), text.size(), 3, all.data(), 1, &back, 0));
  EXPECT_EQ((std::vector<std::string>{"ab", "aab", "ab"}), back.candidates);
}

}  // namespace
