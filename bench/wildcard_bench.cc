// Wildcard item throughput: ordinary patterns over mail-like text, and the
// deepest star nesting a record allows over a 10 MB part.
#include <string>

#include <benchmark/benchmark.h>

#include "mail_like_text.h"
#include "support/test_area.h"
#include "vessamund/wildcard_item.h"

namespace {

struct NullLogger : Vessamund::DictionaryMatchLogger {
  void log(char const*, char const*, unsigned int) override {}
};

// Scans one part with a budget large enough to count every match.
void scanPart(benchmark::State& state, std::string const& pattern, std::string const& text) {
  auto rec = vmund_test::makeRecord(0, pattern, 1);
  Vessamund::DictionaryWildcard item(&rec);
  vmund_test::TestArea area{{text, 1}};
  NullLogger logger;
  unsigned long score = 0;
  for (auto _ : state) {
    score = item.scan(&area, ~0ul, logger);
    benchmark::DoNotOptimize(score);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["matches"] = static_cast<double>(score);
}

std::string const& mailText() {
  static std::string const text = vmund_bench::mailLikeText(1 << 20);
  return text;
}

// 41 x "*[a-z]" + "*[a-z0-9]": 255 bytes, 42 star runs, every rest a class.
std::string deepStarPattern() {
  std::string p;
  for (int i = 0; i < 41; ++i) p += "*[a-z]";
  return p + "*[a-z0-9]";
}

char const* const kMailPatterns[] = {
    "credit card",        // no match: literal words
    "conf*ential",        // no match: a star inside a word
    "pass?ord",           // no match: "?"
    "[0-9][0-9][0-9]*",   // numbers of three digits or more
    "*@example.com",      // a leading star that reaches across words
    "re[a-z]*t",          // common: report, regards...
    "*",                  // every word
};

void BM_WildcardMail(benchmark::State& state) {
  state.SetLabel(kMailPatterns[state.range(0)]);
  scanPart(state, kMailPatterns[state.range(0)], mailText());
}
BENCHMARK(BM_WildcardMail)->DenseRange(0, 6);

// One 10 MB word of letters ending in "!": every star's search reaches the
// end of the part and fails (no match).
void BM_WildcardDeepStarsNoMatch(benchmark::State& state) {
  std::string text(10 << 20, 'q');
  text.back() = '!';
  scanPart(state, deepStarPattern(), text);
}
BENCHMARK(BM_WildcardDeepStarsNoMatch)->Unit(benchmark::kMillisecond);

// The same pattern over 10 MB of mail-like text: stars reach across words and
// matches are long.
void BM_WildcardDeepStarsMail(benchmark::State& state) {
  std::string const text = vmund_bench::mailLikeText(10 << 20);
  scanPart(state, deepStarPattern(), text);
}
BENCHMARK(BM_WildcardDeepStarsMail)->Unit(benchmark::kMillisecond);

// Rests that begin with a letter whose capital is all over the text: a rest
// is only known to fail everywhere once its fold-only positions were tried,
// and until then the earlier stars keep searching. Should not depend on the
// number of star runs.
void BM_WildcardLetterStarsFoldedText(benchmark::State& state) {
  std::string pattern;
  for (int i = 0; i < state.range(0); ++i) pattern += "*a";
  std::string text;
  for (size_t i = 0; i < (1u << 20) / 2; ++i) text += "aA";
  text.back() = '!';
  state.SetLabel(std::to_string(state.range(0)) + " star runs, 1 MB");
  scanPart(state, pattern, text);
}
BENCHMARK(BM_WildcardLetterStarsFoldedText)->Arg(4)->Arg(32)->Arg(127)->Unit(benchmark::kMillisecond);

}  // namespace
