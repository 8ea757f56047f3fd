// Big, many-part and dense messages, the planned scan beside the reference
// scan in the same run: the same bytes cut three ways (one part, one message
// of many 16 KiB parts, many messages of one 16 KiB part), each with the
// compliance words, the eighteen detectors and the whole reference policy;
// and a dense CSV export of identifiers with the detectors, as one part and
// as 16 KiB parts. In bytes of message text per second of CPU time.
//
// The text is generated here, seeded: prose of common words with about one
// compliance word every 17 bytes, and dates, prices and card numbers
// sprinkled in. VMUND_BENCH_LARGE_MB sets the size of each input (default 16;
// a smaller one runs quickly, e.g. 1 for a smoke run).
//
// BM_ScanMemory reports the peak working memory of one planned scan on a
// fresh thread (what operator new holds at most during the scan, beyond
// what it held before): the bound candidate_table.h states.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "policy_rows.h"
#include "scan/reference_scanner.h"
#include "support/test_area.h"
#include "vessamund/scanner.h"

// Heap bytes held through operator new by the thread that counts.
namespace memory {
thread_local bool counting = false;
thread_local long held = 0;
thread_local long peak = 0;

void* allocate(std::size_t n) {
  void* p = std::malloc(n != 0 ? n : 1);
  if (p == nullptr) throw std::bad_alloc();
  if (counting) {
    held += static_cast<long>(malloc_usable_size(p));
    if (held > peak) peak = held;
  }
  return p;
}

void release(void* p) {
  if (p == nullptr) return;
  if (counting) held -= static_cast<long>(malloc_usable_size(p));
  std::free(p);
}
}  // namespace memory

void* operator new(std::size_t n) { return memory::allocate(n); }
void* operator new[](std::size_t n) { return memory::allocate(n); }
void operator delete(void* p) noexcept { memory::release(p); }
void operator delete[](void* p) noexcept { memory::release(p); }
void operator delete(void* p, std::size_t) noexcept { memory::release(p); }
void operator delete[](void* p, std::size_t) noexcept { memory::release(p); }

namespace {

using Vessamund::ProfileDictionaryScanner;
using vmund_test::TestArea;

constexpr size_t kPartBytes = 16 * 1024;
// High enough that no scan stops early.
constexpr unsigned long kThreshold = 1000000000;

size_t inputBytes() {
  char const* mb = std::getenv("VMUND_BENCH_LARGE_MB");
  long const n = mb != nullptr ? std::atol(mb) : 16;
  return static_cast<size_t>(n > 0 ? n : 16) << 20;
}

// A card number that passes the Luhn check, formatted 4-4-4-4 with `sep`.
std::string luhnCard(std::mt19937& rng, char sep) {
  int digits[16];
  digits[0] = 4;
  for (int i = 1; i < 15; ++i) digits[i] = static_cast<int>(rng() % 10);
  int sum = 0;
  for (int i = 14; i >= 0; --i) {
    int d = digits[i];
    if ((14 - i) % 2 == 0) d = d * 2 > 9 ? d * 2 - 9 : d * 2;
    sum += d;
  }
  digits[15] = (10 - sum % 10) % 10;
  std::string out;
  for (int i = 0; i < 16; ++i) {
    if (i != 0 && i % 4 == 0) out += sep;
    out += static_cast<char>('0' + digits[i]);
  }
  return out;
}

// An SSN the detector accepts: no 000, 666 or 9xx area, no 00 group, no
// 0000 serial.
std::string validSsn(std::mt19937& rng) {
  unsigned area;
  do area = 1 + rng() % 899; while (area == 666);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03u-%02u-%04u", area, 1 + static_cast<unsigned>(rng() % 99),
                1 + static_cast<unsigned>(rng() % 9999));
  return buf;
}

// Prose as dense in listed words as a compliance mailbox: common words, one
// word of `listed` about every 17 bytes, and now and then a date, a price or
// a card number.
std::string denseWordText(size_t size, std::vector<std::string> const& listed) {
  static char const* const kCommon[] = {
      "the",  "of",   "and",  "to",   "in",      "for",   "is",     "on",    "that", "by",
      "this", "with", "you",  "it",   "not",     "or",    "be",     "are",   "from", "at",
      "as",   "your", "all",  "have", "new",     "more",  "an",     "was",   "we",   "will",
      "our",  "can",  "page", "file", "section", "users", "system", "lines", "see",  "may"};
  std::mt19937 rng(7);
  std::string text;
  text.reserve(size + 64);
  size_t lineStart = 0;
  while (text.size() < size) {
    unsigned const r = rng() % 1000;
    if (r < 390) {
      text += listed[rng() % listed.size()];
    } else if (r < 395) {
      text += std::to_string(2000 + rng() % 30) + "-0" + std::to_string(1 + rng() % 9) + "-" +
              std::to_string(10 + rng() % 18);
    } else if (r < 399) {
      text += "$" + std::to_string(rng() % 10000) + "." + std::to_string(10 + rng() % 90);
    } else if (r < 400) {
      text += luhnCard(rng, ' ');
    } else {
      text += kCommon[rng() % (sizeof kCommon / sizeof *kCommon)];
    }
    if (rng() % 14 == 0) text += rng() % 2 ? "," : ".";
    if (text.size() - lineStart > 72) {
      text += '\n';
      lineStart = text.size();
    } else {
      text += ' ';
    }
  }
  text.resize(size);
  return text;
}

// A CSV export: address, card, name, SSN, city; every card and SSN counts.
std::string denseCsv(size_t size) {
  static char const* const kFirst[] = {"Jane", "John", "Ada", "Max", "Lea", "Tom", "Eva", "Ian"};
  static char const* const kLast[] = {"Roe", "Doe", "Moss", "Lind", "Park", "Vance", "Holt"};
  static char const* const kCity[] = {"Springfield", "Riverton", "Lakeside", "Fairview",
                                      "Greenville", "Bristol"};
  std::mt19937 rng(11);
  std::string text;
  text.reserve(size + 128);
  for (unsigned row = 0; text.size() < size; ++row) {
    text += "c" + std::to_string(row) + "@example.com,";
    text += luhnCard(rng, row % 3 == 0 ? '-' : ' ');
    text += ',';
    text += kFirst[rng() % 8];
    text += ' ';
    text += kLast[rng() % 7];
    text += ',';
    text += validSsn(rng);
    text += ',';
    text += kCity[rng() % 6];
    text += '\n';
  }
  // End on a whole row.
  text.resize(text.rfind('\n', size) + 1);
  return text;
}

std::vector<std::string> listedWords() {
  std::vector<std::string> words;
  for (auto const& r : vmund_bench::dictionaryRows("compliance-words")) {
    if (r.type == 3 && !r.pattern.empty()) words.push_back(r.pattern);
  }
  if (words.empty()) words.push_back("confidential");
  return words;
}

struct Input {
  std::vector<std::unique_ptr<TestArea>> areas;
  size_t bytes = 0;
};

// shape 0: one part; 1: one message of 16 KiB parts; 2: messages of one
// 16 KiB part.
Input cut(std::string const& text, int shape) {
  Input in;
  in.bytes = text.size();
  if (shape == 0) {
    in.areas.push_back(std::make_unique<TestArea>());
    in.areas.back()->add(text, 1);
    return in;
  }
  for (size_t at = 0; at < text.size(); at += kPartBytes) {
    if (shape == 2 || in.areas.empty()) in.areas.push_back(std::make_unique<TestArea>());
    in.areas.back()->add(text.substr(at, kPartBytes), 1);
  }
  return in;
}

Input const& input(int text, int shape) {
  static std::unique_ptr<Input> cache[2][3];
  if (cache[text][shape] == nullptr) {
    static std::string const words = denseWordText(inputBytes(), listedWords());
    static std::string const csv = denseCsv(inputBytes());
    cache[text][shape] = std::make_unique<Input>(cut(text == 0 ? words : csv, shape));
  }
  return *cache[text][shape];
}

char const* const kDictionaries[] = {"compliance-words", "identifiers", "policy"};
char const* const kShapes[] = {"1 part", "16 KiB parts", "16 KiB messages"};

void run(benchmark::State& state, ProfileDictionaryScanner* s, Input const& in, bool planned) {
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> const reference =
      Vessamund::internal::referenceScanner(planned ? nullptr : s);
  Vessamund::DictionaryScannerImpl* const scanning = planned ? s : reference.get();
  unsigned long total = 0;
  for (auto _ : state) {
    total = 0;
    for (auto const& area : in.areas) {
      std::string matchLog, scoreList;
      total += scanning->scan(area.get(), kThreshold, nullptr, matchLog, scoreList);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(in.bytes));
  state.counters["score"] = static_cast<double>(total);
}

// range(0): dictionary; range(1): shape; range(2): 0 reference, 1 planned.
void BM_LargeWords(benchmark::State& state) {
  std::string const name = kDictionaries[state.range(0)];
  ProfileDictionaryScanner* s = vmund_bench::scanner(name);
  if (s == nullptr) {
    state.SkipWithError("no policy files");
    return;
  }
  int const shape = static_cast<int>(state.range(1));
  bool const planned = state.range(2) != 0;
  run(state, s, input(0, shape), planned);
  state.SetLabel(name + ", " + kShapes[shape] + (planned ? ", planned" : ", reference"));
}
BENCHMARK(BM_LargeWords)
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// range(0): shape (one part, 16 KiB parts); range(1): 0 reference, 1 planned.
void BM_DenseCsv(benchmark::State& state) {
  ProfileDictionaryScanner* s = vmund_bench::scanner("identifiers");
  if (s == nullptr) {
    state.SkipWithError("no policy files");
    return;
  }
  int const shape = static_cast<int>(state.range(0));
  bool const planned = state.range(1) != 0;
  run(state, s, input(1, shape), planned);
  state.SetLabel(std::string("dense CSV, identifiers, ") + kShapes[shape] +
                 (planned ? ", planned" : ", reference"));
}
BENCHMARK(BM_DenseCsv)
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// Peak heap of one planned scan on a fresh thread, whose candidate table
// and scratch start empty. range(0): dictionary; range(1): shape (words).
void BM_ScanMemory(benchmark::State& state) {
  std::string const name = kDictionaries[state.range(0)];
  ProfileDictionaryScanner* s = vmund_bench::scanner(name);
  if (s == nullptr) {
    state.SkipWithError("no policy files");
    return;
  }
  int const shape = static_cast<int>(state.range(1));
  Input const& in = input(0, shape);
  long peak = 0;
  for (auto _ : state) {
    std::thread([&] {
      memory::counting = true;
      for (auto const& area : in.areas) {
        std::string matchLog, scoreList;
        benchmark::DoNotOptimize(s->scan(area.get(), kThreshold, nullptr, matchLog, scoreList));
      }
      memory::counting = false;
      peak = memory::peak;
    }).join();
  }
  state.counters["peak_bytes"] = static_cast<double>(peak);
  state.SetLabel(name + ", " + kShapes[shape] + ", planned, peak working memory");
}
BENCHMARK(BM_ScanMemory)->ArgsProduct({{0, 1, 2}, {0, 1}})->Iterations(1);

}  // namespace
