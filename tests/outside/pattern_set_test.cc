// The multi-pattern engine behind our own types: refused patterns, byte-exact
// literals and classes, the sink's stop, and scratch per thread.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "outside/pattern_set.h"

namespace {

using namespace Vessamund::internal;

class Ends : public SetMatchSink {
 public:
  explicit Ends(size_t stopAfter = SIZE_MAX) : stopAfter_(stopAfter) {}
  bool onMatch(unsigned int id, uint64_t end) override {
    seen.emplace_back(id, end);
    return seen.size() < stopAfter_;
  }
  std::vector<std::pair<unsigned, uint64_t>> seen;

 private:
  size_t stopAfter_;
};

std::vector<std::pair<unsigned, uint64_t>> scan(PatternSet const& set, std::string const& text) {
  Ends ends;
  EXPECT_TRUE(set.prepareThread());
  EXPECT_TRUE(set.scan(text.data(), static_cast<uint32_t>(text.size()), ends));
  return ends.seen;
}

TEST(PatternSetTest, RefusedPatternsLeaveTheOthers) {
  std::vector<unsigned> refused;
  auto set = PatternSet::compile({{"abc", 0}, {"(", 0}, {"x?", 0}, {"def", 0}}, &refused);
  ASSERT_NE(set, nullptr);
  // A syntax error and a pattern that matches the empty text.
  EXPECT_EQ(refused, (std::vector<unsigned>{1, 2}));
  EXPECT_EQ(scan(*set, "abc def"), (std::vector<std::pair<unsigned, uint64_t>>{{0, 3}, {3, 7}}));
  EXPECT_EQ(PatternSet::compile({{"(", 0}}, nullptr), nullptr);
  EXPECT_EQ(PatternSet::compile({}, nullptr), nullptr);
}

TEST(PatternSetTest, LiteralsFoldAsciiLettersOnly) {
  struct Row {
    char const* note;
    std::string literal;
    std::string text;
    size_t matches;
  } const rows[] = {
      {"letters in either case", "Key", "key KEY kEy", 3},
      {"bytes above ASCII match only themselves", "\xe9t\xe9", "\xc9T\xc9 \xe9T\xe9", 1},
      {"zero bytes and brackets are plain bytes", std::string("a\0]", 3), std::string("xa\0]", 4), 1},
      {"overlapping occurrences all end", "aa", "aaaa", 3},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note);
    auto set = PatternSet::compile({{setLiteral(r.literal, true), 0}}, nullptr);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(scan(*set, r.text).size(), r.matches);
  }
  auto exact = PatternSet::compile({{setLiteral("Key", false), 0}}, nullptr);
  EXPECT_EQ(scan(*exact, "key Key").size(), 1u);
}

// Some builds of the engine miss matches past the first vector of a text; the
// set must find each needle wherever it stands, in short and long texts.
TEST(PatternSetTest, FindsMatchesAtEveryOffset) {
  struct Row {
    char const* expression;
    unsigned int flags;
    char const* needle;
  } const rows[] = {
      {"[\\x45\\x65]", kSetSingleMatch, "e"},
      {"z[\\x00-\\xff]*k", 0, "zk"},
      {"[0-9]-?[0-9]", kSetSingleMatch, "4-2"},
      {"[Vv](?:[^ ])?x", kSetSingleMatch, "vx"},
      {"secret", kSetCaseless, "SeCrEt"},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.expression);
    auto set = PatternSet::compile({{r.expression, r.flags}}, nullptr);
    ASSERT_NE(set, nullptr);
    ASSERT_TRUE(set->prepareThread());
    size_t const width = std::string(r.needle).size();
    for (size_t length : {63, 64, 65, 130, 1000}) {
      for (size_t at = 0; at + width <= length; ++at) {
        std::string text(length, '.');
        text.replace(at, width, r.needle);
        Ends ends;
        set->scan(text.data(), static_cast<uint32_t>(text.size()), ends);
        ASSERT_FALSE(ends.seen.empty()) << "length " << length << " at " << at;
      }
    }
  }
}

TEST(PatternSetTest, ByteClassesHoldExactlyTheirBytes) {
  bool accepted[256] = {};
  for (int b : {0x00, 0x2d, 0x5c, 0x5d, 0x61, 0x62, 0x63, 0xff}) accepted[b] = true;
  auto set = PatternSet::compile({{setByteClass(accepted), 0}}, nullptr);
  ASSERT_NE(set, nullptr);
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::vector<uint64_t> ends;
  for (auto const& m : scan(*set, all)) ends.push_back(m.second - 1);
  EXPECT_EQ(ends, (std::vector<uint64_t>{0, '-', '\\', ']', 'a', 'b', 'c', 0xff}));
  bool none[256] = {};
  EXPECT_EQ(setByteClass(none), "");
}

TEST(PatternSetTest, SinkStopsTheScan) {
  auto set = PatternSet::compile({{"a", 0}}, nullptr);
  ASSERT_TRUE(set->prepareThread());
  Ends two(2);
  EXPECT_FALSE(set->scan("aaaa", 4, two));
  EXPECT_EQ(two.seen.size(), 2u);
}

// Each thread gets scratch of its own, sized for every set it meets.
TEST(PatternSetTest, ThreadsScanAtOnce) {
  auto small = PatternSet::compile({{"ab", 0}}, nullptr);
  auto large = PatternSet::compile({{"[0-9]{3}-[0-9]{4}", 0}, {"(?i)invoice", 0}}, nullptr);
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (scan(*small, "ab ab").size() != 2) ++wrong[t];
        if (scan(*large, "INVOICE 555-1234").size() != 2) ++wrong[t];
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
