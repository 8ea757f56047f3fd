// Throughput of the regex item and of each identifier detector, in bytes per
// second of message text, on two inputs:
//   corpus: every message of the shared real-mail corpus, one part each;
//   digits: seeded text dense in digit groups and separators that the
//           detectors' expressions propose and the validators mostly refuse.
// Every match is counted (unbounded budget) and reported to a logger that
// keeps nothing, so the figures are the items' own cost.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_area.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex_item.h"

namespace {

using namespace Vessamund;
using vmund_test::makeRecord;
using vmund_test::TestArea;

class DiscardingLogger : public DictionaryMatchLogger {
 public:
  void log(char const*, char const*, unsigned int) override { ++reports; }
  unsigned long reports = 0;
};

// Built in place and never copied: the area's parts point into its texts.
struct Input {
  TestArea area;
  size_t bytes = 0;
};

std::unique_ptr<Input> corpusInput() {
  std::vector<std::filesystem::path> files;
  std::filesystem::path root = std::filesystem::path(VMUND_CORPUS_DIR) / "real";
  for (auto const& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && entry.path().extension() == ".eml") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());  // a fixed order across machines
  auto in = std::make_unique<Input>();
  for (auto const& f : files) {
    std::ifstream stream(f, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    in->area.add(text.str(), 1);
    in->bytes += text.str().size();
  }
  return in;
}

std::unique_ptr<Input> digitsInput() {
  std::mt19937 random(20240601);
  char const separators[] = {' ', ' ', '-', '.', ',', '\t', '\n'};
  std::string text;
  while (text.size() < (1u << 20)) {
    int digits = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < digits; ++i) text += static_cast<char>('0' + random() % 10);
    text += separators[random() % sizeof separators];
    if (random() % 8 == 0) text += "ref ";
  }
  auto in = std::make_unique<Input>();
  in->area.add(text, 1);
  in->bytes = text.size();
  return in;
}

// Benchmarks run one at a time, so they share each area (whose walk is state).
Input& input(int which) {
  static std::unique_ptr<Input> const corpus = corpusInput();
  static std::unique_ptr<Input> const digits = digitsInput();
  return which == 0 ? *corpus : *digits;
}

template <class T>
Ref<DictionaryItemImpl> make(uint16_t type, char const* pattern) {
  auto record = makeRecord(type, pattern, 1);
  return Ref<DictionaryItemImpl>(new T(&record));
}

void runItem(benchmark::State& state, Ref<DictionaryItemImpl> item, int which) {
  Input& in = input(which);
  DiscardingLogger logger;
  unsigned long score = 0;
  for (auto _ : state) {
    score = item->scan(&in.area, ULONG_MAX, logger);
    benchmark::DoNotOptimize(score);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.bytes));
  state.counters["matches"] = static_cast<double>(score);
}

struct Subject {
  char const* name;
  Ref<DictionaryItemImpl> (*make)();
};

#define VMUND_SUBJECT(Class, code) \
  { #Class, [] { return make<Class>(code, ""); } }

Subject const kSubjects[] = {
    // An administrator's words, and a pattern that starts on any digit.
    {"DictionaryRegex:words",
     [] { return make<DictionaryRegex>(1, "confidential|internal use only|password"); }},
    {"DictionaryRegex:phone",
     [] { return make<DictionaryRegex>(1, "\\b\\d{3}[-. ]\\d{3}[-. ]\\d{4}\\b"); }},
    VMUND_SUBJECT(DictionaryCanSIN, 256), VMUND_SUBJECT(DictionaryUSSSN, 257),
    VMUND_SUBJECT(DictionaryCC, 258),     VMUND_SUBJECT(DictionaryABA, 259),
    VMUND_SUBJECT(DictionaryCUSIP, 260),  VMUND_SUBJECT(DictionaryISIN, 261),
    VMUND_SUBJECT(DictionaryUKNI, 262),   VMUND_SUBJECT(DictionaryUKNHS, 263),
    VMUND_SUBJECT(DictionaryUSEIN, 264),  VMUND_SUBJECT(DictionaryUSDEA, 265),
    VMUND_SUBJECT(DictionaryFRCNI, 266),  VMUND_SUBJECT(DictionaryINSEE, 267),
    VMUND_SUBJECT(DictionaryDEPSPT, 268), VMUND_SUBJECT(DictionaryIBAN, 269),
    VMUND_SUBJECT(DictionaryITIN, 270),   VMUND_SUBJECT(DictionaryUSPSPT, 271),
    VMUND_SUBJECT(DictionaryFRPSPT, 272), VMUND_SUBJECT(DictionaryUKPSPT, 273),
};

#undef VMUND_SUBJECT

int const kRegistered = [] {
  char const* const inputs[] = {"corpus", "digits"};
  for (int which = 0; which < 2; ++which) {
    for (Subject const& s : kSubjects) {
      std::string name = std::string(s.name) + "/" + inputs[which];
      benchmark::RegisterBenchmark(name.c_str(), [s, which](benchmark::State& state) {
        runItem(state, s.make(), which);
      })->Unit(benchmark::kMillisecond);
    }
  }
  return 0;
}();

}  // namespace
