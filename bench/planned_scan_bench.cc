// Whole dictionaries scanned both ways on the same messages: the reference
// scan (every item reads every part it selects) against the planned scan (one
// pass over each part, then each item only where it can match). Per item kind
// and for the reference policy of data/policies (policy_rows.h), in bytes of
// message text per second of CPU time; and where a plan starts to pay.
//
// Inputs: "mail", 64 seeded mail-like messages of 16 KiB (a header part and a
// body part); "corpus", every message of the shared real-mail corpus as one
// raw part (no MIME decoding: end_to_end_bench.cc has that). Thresholds are
// high enough that no scan stops early. Without the policy files the policy
// rows are skipped.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mail_like_text.h"
#include "policy_rows.h"
#include "items/kinds/pattern_kind.h"
#include "scan/reference_scanner.h"
#include "scan/scan_plan.h"
#include "support/test_area.h"
#include "vessamund/match_logger.h"
#include "vessamund/scanner.h"

namespace {

using Vessamund::ProfileDictionaryScanner;
using vmund_bench::scanner;
using vmund_test::TestArea;

constexpr unsigned long kThreshold = 1000000;

// --- inputs ----------------------------------------------------------------

struct Messages {
  std::vector<std::unique_ptr<TestArea>> areas;
  size_t bytes = 0;
};

Messages const& mailMessages() {
  static Messages const messages = [] {
    Messages m;
    for (unsigned seed = 1; seed <= 64; ++seed) {
      std::string const text = vmund_bench::mailLikeText(16 * 1024, seed);
      auto area = std::make_unique<TestArea>();
      area->add(text.substr(0, 1024), 4);
      area->add(text.substr(1024), 1);
      m.bytes += text.size();
      m.areas.push_back(std::move(area));
    }
    return m;
  }();
  return messages;
}

Messages const& corpusMessages() {
  static Messages const messages = [] {
    Messages m;
    std::vector<std::filesystem::path> files;
    std::filesystem::path const root = std::filesystem::path(VMUND_CORPUS_DIR) / "real";
    if (std::filesystem::exists(root)) {
      for (auto const& e : std::filesystem::recursive_directory_iterator(root)) {
        if (e.is_regular_file() && e.path().extension() == ".eml") files.push_back(e.path());
      }
    }
    std::sort(files.begin(), files.end());
    for (auto const& f : files) {
      std::ifstream in(f, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      auto area = std::make_unique<TestArea>();
      area->add(text.str(), 1);
      m.bytes += text.str().size();
      m.areas.push_back(std::move(area));
    }
    return m;
  }();
  return messages;
}

// --- benchmarks --------------------------------------------------------------

char const* const kDictionaries[] = {"identifiers", "compliance-words", "wildcards", "regexes",
                                     "policy"};

// range(0): dictionary; range(1): 0 reference, 1 planned; range(2): 0 mail,
// 1 corpus.
void BM_Dictionary(benchmark::State& state) {
  std::string const name = kDictionaries[state.range(0)];
  bool const planned = state.range(1) != 0;
  Messages const& input = state.range(2) == 0 ? mailMessages() : corpusMessages();
  ProfileDictionaryScanner* s = scanner(name);
  if (s == nullptr || input.areas.empty()) {
    state.SkipWithError("no policy files or no corpus");
    return;
  }
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> const reference =
      Vessamund::internal::referenceScanner(s);
  Vessamund::DictionaryScannerImpl* const scanning = planned ? s : reference.get();
  unsigned long total = 0;
  for (auto _ : state) {
    total = 0;
    for (auto const& area : input.areas) {
      std::string matchLog, scoreList;
      total += scanning->scan(area.get(), kThreshold, nullptr, matchLog, scoreList);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetLabel(name + (planned ? " planned" : " reference") +
                 (state.range(2) == 0 ? " mail" : " corpus"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(input.bytes));
  state.counters["score"] = static_cast<double>(total);
}
BENCHMARK(BM_Dictionary)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Where a plan starts to pay: the first N rows of one kind of the policy
// as a dictionary, planned (the plan forced whatever N) against the
// reference, on "mail". range(0): 0 words, 1 wildcards, 2 detectors, 3
// expressions; range(1): N; range(2): 0 reference, 1 planned.
void BM_Crossover(benchmark::State& state) {
  static char const* const kFiles[] = {"compliance-words", "wildcards", "identifiers", "regexes"};
  std::vector<vmund_bench::Row> rows = vmund_bench::dictionaryRows(kFiles[state.range(0)]);
  size_t const n = static_cast<size_t>(state.range(1));
  if (rows.size() < n) {
    state.SkipWithError("no policy files");
    return;
  }
  std::vector<Vessamund::Ref<Vessamund::DictionaryItemImpl>> items;
  std::vector<Vessamund::internal::PatternKind const*> kinds;
  for (size_t i = 0; i < n; ++i) {
    auto record = vmund_test::makeRecord(rows[i].type, rows[i].pattern, rows[i].weight,
                                         static_cast<uint8_t>(rows[i].area),
                                         rows[i].maxWeight, static_cast<uint8_t>(rows[i].maxLimit));
    kinds.push_back(&Vessamund::internal::patternKindFor(record.pattern_type));
    items.push_back(Vessamund::internal::makeItem(*kinds.back(), &record));
  }
  auto const plan = Vessamund::internal::ScanPlan::build(items, kinds, 1);
  bool const planned = state.range(2) != 0;
  Messages const& input = mailMessages();
  unsigned long total = 0;
  for (auto _ : state) {
    total = 0;
    for (auto const& area : input.areas) {
      // The profile scan's item loop, without its records.
      Vessamund::internal::PlannedScan run(planned ? plan.get() : nullptr, area.get());
      std::string text;
      Vessamund::DPMatchLogger logger(text, 1024);
      size_t index = 0;
      for (auto const& item : items) {
        if (!run.skippable(index)) total += run.scanItem(index, *item.get(), kThreshold, logger);
        ++index;
      }
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetLabel(std::string(kFiles[state.range(0)]) + " x" + std::to_string(n) +
                 (planned ? " planned" : " reference"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(input.bytes));
}
BENCHMARK(BM_Crossover)
    ->ArgsProduct({{0, 1, 2, 3}, {1, 2, 3, 5}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
