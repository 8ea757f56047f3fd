// The prefilters promise supersets: wherever an item can match, its
// prefilter must fire. Checked directly on dense random texts for wildcard
// patterns; the other prefilters are held to the reference scan by the
// differential tests and fuzzer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "items/wildcard_match.h"
#include "items/wildcard_superset.h"
#include "outside/pattern_set.h"
#include "support/dense_text.h"
#include "support/mixed_policy.h"

namespace {

using namespace Vessamund;
using namespace Vessamund::internal;

std::vector<std::string> denseWords() {
  std::vector<std::string> words;
  for (auto const& r : vmund_test::policyWords()) words.push_back(r.pattern);
  for (char const* w : {"confidential", "payroll", "statement", "-draft", "dob:", "x y z"}) {
    words.push_back(w);
  }
  return words;
}

class AnyMatch : public SetMatchSink {
 public:
  bool onMatch(unsigned int, uint64_t) override {
    found = true;
    return false;
  }
  bool found = false;
};

TEST(PrefilterSupersetTest, WildcardExpressionsMatchWhereverThePatternDoes) {
  std::vector<std::string> patterns;
  for (auto const& r : vmund_test::policyWildcards()) patterns.push_back(r.pattern);
  for (char const* p : {"a[!b]c*", "[a-c][!x-z]?d", "*\\[x*", "x\\]*", "[a\\]b]x"}) {
    patterns.push_back(p);
  }
  std::vector<std::string> const words = denseWords();
  int checked = 0;
  for (std::string p : patterns) {
    for (char& c : p) c = wildcardFold(c);
    SCOPED_TRACE(p);
    std::string const superset = wildcardSuperset(p.c_str());
    std::unique_ptr<PatternSet> set;
    if (!superset.empty()) {
      set = PatternSet::compile({{superset, kSetSingleMatch}}, nullptr);
      ASSERT_NE(set, nullptr) << superset;
      ASSERT_TRUE(set->prepareThread());
    }
    for (unsigned seed = 1; seed <= 300; ++seed) {
      std::mt19937 rng(seed);
      std::string const text = vmund_test::denseText(rng, rng() % 300, words);
      char const* start = nullptr;
      if (wildcardMatch(p.c_str(), text.data(), text.data() + text.size(), &start, false) ==
          nullptr) {
        continue;
      }
      ++checked;
      if (set == nullptr) continue;  // no expression: the item reads every part
      AnyMatch any;
      set->scan(text.data(), static_cast<uint32_t>(text.size()), any);
      ASSERT_TRUE(any.found) << "seed " << seed;
    }
  }
  EXPECT_GT(checked, 300);
  EXPECT_EQ(wildcardSuperset("*"), "");
  EXPECT_EQ(wildcardSuperset("?*?"), "");
}

}  // namespace
