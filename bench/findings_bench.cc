// What asking for findings costs: the reference policy (the four policy
// files as one dictionary) over every message of the shared real-mail
// corpus, read once beforehand by the message host, scanned without
// findings, with the library's findings, and with the host's readable
// findings (positions, values), each the planned and the reference way.
// Throughput in raw message bytes per second of CPU time.
#ifdef VMUND_HAVE_HOST

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/message_findings.h"
#include "host/mime_reader.h"
#include "policy_rows.h"
#include "scan/reference_scanner.h"
#include "vessamund/findings.h"

namespace {

struct ReadCorpus {
  std::vector<vmund::Message> messages;
  size_t bytes = 0;
};

ReadCorpus& readCorpus() {
  static ReadCorpus corpus = [] {
    ReadCorpus c;
    std::vector<std::filesystem::path> paths;
    std::filesystem::path const root = std::filesystem::path(VMUND_CORPUS_DIR) / "real";
    if (std::filesystem::exists(root)) {
      for (auto const& e : std::filesystem::recursive_directory_iterator(root)) {
        if (e.is_regular_file() && e.path().extension() == ".eml") paths.push_back(e.path());
      }
    }
    std::sort(paths.begin(), paths.end());
    for (auto const& p : paths) {
      std::ifstream in(p, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      c.bytes += text.str().size();
      vmund::ReadResult read = vmund::readMessages(text.str(), "bench");
      for (auto& m : read.messages) c.messages.push_back(std::move(m));
    }
    return c;
  }();
  return corpus;
}

// range(0): 0 no findings, 1 the library's findings, 2 the host's findings
// with positions (as vmund scan lists them), 3 without (as the milter sums
// them up); range(1): 0 reference, 1 planned.
void BM_Findings(benchmark::State& state) {
  ReadCorpus& corpus = readCorpus();
  Vessamund::DictionaryScannerImpl* s = vmund_bench::scanner("policy");
  if (corpus.messages.empty() || s == nullptr) {
    state.SkipWithError("no corpus or no policy files");
    return;
  }
  int const mode = static_cast<int>(state.range(0));
  bool const planned = state.range(1) != 0;
  Vessamund::FindingList list;
  std::vector<vmund::MessageFinding> readable;
  unsigned long total = 0, found = 0;
  std::string matchLog, scoreList;
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> const twin =
      Vessamund::internal::referenceScanner(s);
  if (!planned) s = twin.get();
  for (auto _ : state) {
    total = found = 0;
    for (vmund::Message& m : corpus.messages) {
      matchLog.clear();
      scoreList.clear();
      if (mode == 0) {
        total += s->scan(&m.area, 1000000, nullptr, matchLog, scoreList);
      } else if (mode == 1) {
        list.clear();
        Vessamund::FindingScope asking(list);
        total += s->scan(&m.area, 1000000, nullptr, matchLog, scoreList);
        found += list.size();
      } else {
        readable.clear();
        total += vmund::scanMessage(*s, m.area, 1000000, nullptr, matchLog, scoreList,
                                    &readable, nullptr, /*positions=*/mode == 2);
        found += readable.size();
      }
    }
    benchmark::DoNotOptimize(total);
  }
  static char const* const kNames[] = {"no findings", "library findings", "host findings",
                                       "host findings, no positions"};
  state.SetLabel(std::string(kNames[mode]) + (planned ? " planned" : " reference"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(corpus.bytes));
  state.counters["score"] = static_cast<double>(total);
  state.counters["findings"] = static_cast<double>(found);
}
BENCHMARK(BM_Findings)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({3, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

#endif  // VMUND_HAVE_HOST
