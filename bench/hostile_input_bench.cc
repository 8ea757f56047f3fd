// Inputs built to be slow: an administrator expression that backtracks
// exponentially (the engine's match limit ends each hopeless part), and one
// message of 100,000 parts read by the message host and scanned with the
// reference policy. The deepest wildcard over a 10 MB part is in
// wildcard_bench.cc.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "support/test_area.h"
#include "vessamund/regex_item.h"

#ifdef VMUND_HAVE_HOST
#include "host/mime_reader.h"
#include "policy_rows.h"
#endif

namespace {

struct NullLogger : Vessamund::DictionaryMatchLogger {
  void log(char const*, char const*, unsigned int) override {}
};

// range(0): lines of 60 "a" then "!c", one part each; every part would take
// the engine about 2^60 steps without its limit.
void BM_BacktrackingExpression(benchmark::State& state) {
  auto record = vmund_test::makeRecord(3, "(a|aa)+c", 1);
  Vessamund::DictionaryRegex item(&record);
  std::string const line = std::string(60, 'a') + "!c";
  vmund_test::TestArea area;
  for (int64_t i = 0; i < state.range(0); ++i) area.add(line, 1);
  NullLogger logger;
  for (auto _ : state) benchmark::DoNotOptimize(item.scan(&area, ~0ul, logger));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) *
                          static_cast<int64_t>(line.size()));
}
BENCHMARK(BM_BacktrackingExpression)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

#ifdef VMUND_HAVE_HOST
// range(0): 0 reading only, 1 reading and scanning.
void BM_HundredThousandParts(benchmark::State& state) {
  std::string message =
      "From: a@example.org\nSubject: parts\nMIME-Version: 1.0\n"
      "Content-Type: multipart/mixed; boundary=B\n\n";
  for (int i = 0; i < 100000; ++i) {
    message += "--B\nContent-Type: text/plain\n\nword " + std::to_string(i) + "\n";
  }
  message += "--B--\n";
  Vessamund::DictionaryScannerImpl* policy = vmund_bench::scanner("policy");
  if (policy == nullptr) {
    state.SkipWithError("no policy files");
    return;
  }
  for (auto _ : state) {
    vmund::ReadResult read = vmund::readMessages(message, "parts");
    std::string matchLog, scoreList;
    if (state.range(0) == 0) continue;
    for (auto& m : read.messages) {
      benchmark::DoNotOptimize(policy->scan(&m.area, 1000000, nullptr, matchLog, scoreList));
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(message.size()));
}
BENCHMARK(BM_HundredThousandParts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
