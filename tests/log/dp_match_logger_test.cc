// The match text: runs of one identifier make one entry; the capacity is
// checked when a report arrives, against everything the output holds.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vessamund/match_logger.h"

namespace {

using Vessamund::DPMatchLogger;

char const kA[] = "A";
char const kA2[] = "A";  // same text, another address

struct Case {
  char const* note;
  std::string before;
  unsigned capacity;
  std::vector<char const*> reports;
  std::string expected;
};

TEST(DPMatchLoggerTest, Table) {
  std::vector<Case> const cases = {
      {"runs collapse", "", 100, {kA, kA, kA}, "A"},
      {"A,A,B,A", "", 100, {kA, kA, "B", kA}, "A,B,A"},
      {"existing text gets a comma", "X", 100, {"B", "C"}, "X,B,C"},
      {"identity, not text", "", 100, {kA, kA2}, "A,A"},
      {"capacity 0 writes nothing", "keep", 0, {kA, "B"}, "keep"},
      {"output already at capacity", "12345", 5, {kA}, "12345"},
      {"capacity 5, third report drops second", "", 5, {"aaaaaa", "bbbbbb", "cccccc"}, "aaaaaa"},
      {"capacity 5, destructor writes second", "", 5, {"aaaaaa", "bbbbbb"}, "aaaaaa,bbbbbb"},
      {"no reports", "X", 100, {}, "X"},
      {"a null identifier ends the run and writes nothing", "", 100, {kA, nullptr, kA}, "A,A"},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.note);
    std::string out = c.before;
    {
      DPMatchLogger logger(out, c.capacity);
      // Match text and length never reach the output.
      for (char const* r : c.reports) logger.log(r, "ignored", 7);
    }
    EXPECT_EQ(c.expected, out);
  }
}

}  // namespace
