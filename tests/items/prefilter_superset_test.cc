// The prefilters promise supersets: wherever an item can match, its
// prefilter must fire. Checked directly on dense random texts: every match
// of a wildcard pattern lies where its expression matches, every candidate
// start of a built-in identifier expression lies in the ranges its features
// give, and administrators' expressions are prefiltered only when both
// engines read them alike.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "items/identifier_features.h"
#include "items/predefined_patterns.h"
#include "items/regex_prefilter.h"
#include "items/wildcard_match.h"
#include "items/wildcard_superset.h"
#include "outside/pattern_set.h"
#include "support/dense_text.h"
#include "support/mixed_policy.h"
#include "vessamund/validators.h"

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

// Every candidate start, found by resuming one byte after each.
class Starts : public Regex::Re_Validator {
 public:
  bool check(Regex::ExpressionImpl const*, char const*, unsigned int, unsigned int& resume,
             int* ov, int) override {
    starts.push_back(static_cast<uint32_t>(ov[0]));
    resume = static_cast<unsigned int>(ov[0]) + 1;
    return false;
  }
  std::vector<uint32_t> starts;
};

class Features : public FeatureSink {
 public:
  struct Event {
    IdentifierFeature feature;
    uint32_t end, from;
  };
  void feature(IdentifierFeature f, uint32_t end, uint32_t from) override {
    events.push_back({f, end, from});
  }
  void longRun(uint32_t first, uint32_t last) override { runs.push_back({first, last}); }
  std::vector<Event> events;
  std::vector<Regex::StartRange> runs;
};

bool covered(uint32_t start, FeatureUse const* uses, int count, Features const& f) {
  for (auto const& r : f.runs) {
    if (r.first <= start && start <= r.last) return true;
  }
  for (auto const& e : f.events) {
    for (int i = 0; i < count; ++i) {
      if (e.feature != uses[i].feature || start > e.end) continue;
      if (e.end - start > uses[i].reach) continue;
      if (start + uses[i].lead < e.from) continue;
      return true;
    }
  }
  return false;
}

TEST(PrefilterSupersetTest, IdentifierCandidatesStartWhereTheirFeaturesSay) {
  std::vector<Regex::Expression const*> expressions = {
      &cansin_expr, &usssn_expr,  &aba_expr,   &cusip_expr,  &isin_expr,   &usdea_expr,
      &frcni_expr,  &insee_expr,  &depspt_expr, &iban_expr,  &itin_expr,   &uspspt_expr,
      &frpspt_expr, &ukpspt_expr, &ukni_expr,  &uknhs_expr,  &usein_expr};
  for (auto const& e : cc_expr) expressions.push_back(&e);
  std::vector<std::string> const words = denseWords();
  std::vector<int> found(expressions.size(), 0);
  for (unsigned seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    std::string const text = vmund_test::denseText(rng, 200 + rng() % 800, words);
    Features f;
    findIdentifierFeatures(text.data(), static_cast<uint32_t>(text.size()), ~0u, f);
    for (size_t x = 0; x < expressions.size(); ++x) {
      FeatureUse uses[2];
      int const count = identifierFeaturesOf(expressions[x]->get(), uses);
      ASSERT_GT(count, 0);
      Starts starts;
      (*expressions[x])->matches(text.data(), static_cast<unsigned>(text.size()), 100000, 0,
                                 &starts, 6000, nullptr);
      for (uint32_t s : starts.starts) {
        ASSERT_TRUE(covered(s, uses, count, f))
            << (*expressions[x])->pattern() << " seed " << seed << " start " << s;
        ++found[x];
      }
    }
  }
  // Every expression met candidates, or the check proved nothing for it.
  for (size_t x = 0; x < expressions.size(); ++x) {
    EXPECT_GT(found[x], 0) << (*expressions[x])->pattern().substr(60, 60);
  }
}

TEST(PrefilterSupersetTest, ExpressionsPrefilteredOnlyWhenReadAlike) {
  struct Row {
    char const* pattern;
    bool prefiltered;
    char const* why;
  } const rows[] = {
      {"\\b(?:password|pwd)\\s*[:=]\\s*\\S+", true, "literals, classes, escapes"},
      {"[MHeAdEr](?m)^Subject:.*secret", true, "an area tag, an option group"},
      {"(?<!\\d)key(?=:)", true, "look-arounds are widened"},
      {"\\x41BC[[:digit:]]{2,}", true, "hex escapes, named classes, counts"},
      {"\\b\\d{3}-\\d{4}\\b", true, "a hyphen is a literal"},
      {"\\b\\d{3}[-.\\s]\\d{4}\\b", false, "classes only: a slow pass for little"},
      {"caf&#233;", false, "UTF-8: caseless folding and classes differ"},
      {"caf\xc3\xa9", false, "UTF-8 bytes"},
      {"(a)\\1", false, "a back-reference"},
      {"\\p{Lu}+x", false, "a property"},
      {"(?x) a b", false, "extended syntax"},
      {"a{,3}b", false, "read differently by newer engines"},
      {"a++b", false, "possessive"},
      {"(*UTF)ab", false, "a verb"},
      {"\\Qa.b\\E", false, "quoting"},
      {"a*", false, "matches the empty text: the pattern set refuses it"},
      {"invalid(", false, "does not compile"},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.why);
    auto record = vmund_test::makeRecord(1, r.pattern, 1, 1);
    DictionaryRegex item(&record);
    SetPattern p;
    bool accepted = regexPrefilter(item, &p) &&
                    PatternSet::compile({p}, nullptr) != nullptr;
    EXPECT_EQ(accepted, r.prefiltered) << r.pattern;
  }
}

}  // namespace
