// Plain-word item throughput over mail-like text, next to a case-sensitive
// memmem count of the same word as the baseline.
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include "mail_like_text.h"
#include "support/test_area.h"
#include "vessamund/contain_item.h"

namespace {

struct NullLogger : Vessamund::DictionaryMatchLogger {
  void log(char const*, char const*, unsigned int) override {}
};

std::string const& mailText() {
  static std::string const text = vmund_bench::mailLikeText(1 << 20);
  return text;
}

char const* const kWords[] = {"confidential", "invoice", "the"};  // none, some, many

void BM_ContainMail(benchmark::State& state) {
  char const* word = kWords[state.range(0)];
  auto rec = vmund_test::makeRecord(3, word, 1);
  Vessamund::DictionaryContain item(&rec);
  vmund_test::TestArea area{{mailText(), 1}};
  NullLogger logger;
  unsigned long score = 0;
  for (auto _ : state) {
    score = item.scan(&area, ~0ul, logger);
    benchmark::DoNotOptimize(score);
  }
  state.SetLabel(word);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(mailText().size()));
  state.counters["matches"] = static_cast<double>(score);
}
BENCHMARK(BM_ContainMail)->DenseRange(0, 2);

void BM_MemmemBaseline(benchmark::State& state) {
  char const* word = kWords[state.range(0)];
  size_t const n = std::strlen(word);
  std::string const& text = mailText();
  unsigned long count = 0;
  for (auto _ : state) {
    count = 0;
    char const* p = text.data();
    char const* end = p + text.size();
    while (void const* hit = memmem(p, static_cast<size_t>(end - p), word, n)) {
      ++count;
      p = static_cast<char const*>(hit) + n;
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetLabel(word);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["matches"] = static_cast<double>(count);
}
BENCHMARK(BM_MemmemBaseline)->DenseRange(0, 2);

}  // namespace
