// The reference policy end to end as a mail host runs it: every message of
// the shared real-mail corpus read from its file bytes (MIME decoding by the
// message host) and scanned, both ways, in raw message bytes per second of
// CPU time. "policy" is the four policy files as one dictionary, "group" the
// four as members of a group (four passes). The reading alone is timed too.
// Built only where the message host is (GMime).
#ifdef VMUND_HAVE_HOST

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/mime_reader.h"
#include "policy_rows.h"
#include "scan/reference_scanner.h"

namespace {

struct Files {
  std::vector<std::string> bytes;
  size_t total = 0;
};

Files const& corpusFiles() {
  static Files const files = [] {
    Files f;
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
      f.total += text.str().size();
      f.bytes.push_back(text.str());
    }
    return f;
  }();
  return files;
}

Vessamund::DictionaryScannerImpl* groupScanner() {
  static Vessamund::Ref<Vessamund::DictionaryScannerImpl> const group = [] {
    auto* g = new Vessamund::GroupDictionaryScanner;
    Vessamund::Ref<Vessamund::DictionaryScannerImpl> handle(g);
    for (char const* name : {"identifiers", "compliance-words", "wildcards", "regexes"}) {
      auto member = vmund_bench::newScanner(name);
      if (member.empty() || member.get() == nullptr) {
        return Vessamund::Ref<Vessamund::DictionaryScannerImpl>();
      }
      g->addScanner(member);
    }
    return handle;
  }();
  return group.get();
}

// range(0): 0 read only, 1 one dictionary, 2 group; range(1): 0 reference,
// 1 planned.
void BM_EndToEnd(benchmark::State& state) {
  Files const& files = corpusFiles();
  Vessamund::DictionaryScannerImpl* s =
      state.range(0) == 1 ? vmund_bench::scanner("policy")
                          : state.range(0) == 2 ? groupScanner() : nullptr;
  if (files.bytes.empty() || (state.range(0) != 0 && s == nullptr)) {
    state.SkipWithError("no corpus or no policy files");
    return;
  }
  bool const planned = state.range(1) != 0;
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> const reference =
      Vessamund::internal::referenceScanner(planned ? nullptr : s);
  if (!planned) s = reference.get();
  unsigned long total = 0;
  for (auto _ : state) {
    total = 0;
    for (std::string const& bytes : files.bytes) {
      vmund::ReadResult read = vmund::readMessages(bytes, "bench");
      if (s == nullptr) continue;
      for (auto& m : read.messages) {
        std::string matchLog, scoreList;
        total += s->scan(&m.area, 1000000, nullptr, matchLog, scoreList);
      }
    }
    benchmark::DoNotOptimize(total);
  }
  static char const* const kNames[] = {"read only", "policy", "group"};
  state.SetLabel(std::string(kNames[state.range(0)]) +
                 (state.range(0) == 0 ? "" : planned ? " planned" : " reference"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(files.total));
  state.counters["score"] = static_cast<double>(total);
}
BENCHMARK(BM_EndToEnd)
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

#endif  // VMUND_HAVE_HOST
