// End-to-end throughput of a reference policy over a mail corpus: each
// dictionary of the policy alone, and its group, over messages parsed before
// timing (scan) and parsed as they come (parse+scan, what a mail host pays),
// on one or more threads that share the scanners, split the messages and
// each own their scan areas. Prints a Markdown table on standard output, progress on standard
// error. Every row also prints the summed scores of one pass, so that two
// scan paths timed in one run can be seen to agree.
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifdef VMUND_HAVE_CALLGRIND_H
#include <valgrind/callgrind.h>
#endif

#include "bench_options.h"
#include "corpus.h"
#include "policy_db.h"
#include "host/config_database.h"
#include "scan_paths.h"
#include "vessamund/scanner.h"

namespace vmund_bench {
namespace {

using Vessamund::DictionaryScannerImpl;
using Vessamund::Ref;

// The dictionary cut into smaller copies, to show how cost grows with words.
PolicySubset const kSubsets[] = {{"compliance-words", 50}, {"compliance-words", 200}};

// One line of the table before its path is chosen.
struct Row {
  vmund::ScannerRequest scanner;  // empty name for Work::kParse
  size_t items = 0;
  Work work = Work::kScan;
  unsigned long threshold = 0;
  unsigned threads = 1;
};

// What one pass over the corpus found. Equal for every pass of a row, and
// for every thread count, or something is wrong.
struct Tally {
  uint64_t messages = 0;
  uint64_t scoreSum = 0;
  uint64_t reached = 0;  // messages whose score reached the threshold
  bool operator==(Tally const& o) const {
    return messages == o.messages && scoreSum == o.scoreSum && reached == o.reached;
  }
};

struct Sample {
  double wallSeconds;
  double cpuSeconds;
  Tally tally;      // of the first pass
  bool consistent;  // every pass found the same in every unit of work
};

double cpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Everything a row's threads read; only `parsed[t]` belongs to thread t.
struct Inputs {
  std::vector<MessageFile> files;
  uint64_t bytes = 0;
  std::vector<std::vector<vmund::Message>> parsed;  // one copy per thread
};

void scanOne(DictionaryScannerImpl* scanner, vmund::MessageArea& area, unsigned long threshold,
             std::string& log, std::string& scores, Tally& tally) {
  log.clear();
  scores.clear();
  unsigned long score = scanner->scan(&area, threshold, nullptr, log, scores);
  ++tally.messages;
  tally.scoreSum += score;
  if (score >= threshold) ++tally.reached;
}

// One unit of work: one parsed message (scan) or one message file (parse,
// parse+scan). Thread t scans only its own copy of the parsed messages.
Tally doUnit(Row const& row, DictionaryScannerImpl* scanner, Inputs& in, unsigned t, size_t unit,
             std::string& log, std::string& scores) {
  Tally tally;
  if (row.work == Work::kScan) {
    scanOne(scanner, in.parsed[t][unit].area, row.threshold, log, scores, tally);
    return tally;
  }
  MessageFile const& f = in.files[unit];
  vmund::ReadResult got = vmund::readMessages(f.bytes, f.name);
  for (vmund::Message& m : got.messages) {
    if (row.work == Work::kParse) {
      ++tally.messages;
      tally.scoreSum += m.area.partCount();
    } else {
      scanOne(scanner, m.area, row.threshold, log, scores, tally);
    }
  }
  return tally;
}

// `passes` passes over the corpus, the units handed out to the threads one
// at a time, so that a thread that drew a large message does not hold up
// the others at the end.
Sample timeRow(Row const& row, DictionaryScannerImpl* scanner, Inputs& in, unsigned passes) {
  size_t const units = row.work == Work::kScan ? in.parsed[0].size() : in.files.size();
  std::vector<Tally> found(units * passes);  // each slot written by one thread
  std::atomic<size_t> next{0};
  double const cpu0 = cpuSeconds();
  auto const wall0 = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < row.threads; ++t)
    threads.emplace_back([&, t] {
      std::string log, scores;
      for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < found.size();)
        found[i] = doUnit(row, scanner, in, t, i % units, log, scores);
    });
  for (std::thread& th : threads) th.join();
  std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
  Sample s{wall.count(), cpuSeconds() - cpu0, Tally(), true};
  for (size_t i = 0; i < units; ++i) {
    s.tally.messages += found[i].messages;
    s.tally.scoreSum += found[i].scoreSum;
    s.tally.reached += found[i].reached;
  }
  for (size_t i = units; i < found.size(); ++i) s.consistent = s.consistent && found[i] == found[i % units];
  return s;
}

struct Result {
  double mbPerSecond;
  double messagesPerSecond;
  double mbPerCpuSecond;
  double spread;  // (fastest - slowest) / median, of MB/s
  Tally tally;
  bool consistent;
  unsigned passesRun;  // over the corpus, the warm-up included
};

// Calibrates the passes per repetition on a first repetition (kept when it
// already lasts long enough, a warm-up otherwise), then reports the median.
Result measure(Row const& row, DictionaryScannerImpl* scanner, Inputs& in, BenchOptions const& o) {
  std::vector<Sample> samples;
  unsigned passes = 1;
  Sample first = timeRow(row, scanner, in, 1);
  if (first.wallSeconds >= o.minSeconds) {
    samples.push_back(first);
  } else {
    double perPass = std::max(first.wallSeconds, 1e-6);
    passes = static_cast<unsigned>(std::min(1e6, o.minSeconds / perPass + 1));
  }
  while (samples.size() < o.repetitions) samples.push_back(timeRow(row, scanner, in, passes));

  double const bytes = static_cast<double>(in.bytes) * passes;
  std::vector<double> rates;
  for (Sample const& s : samples) rates.push_back(bytes / s.wallSeconds / 1e6);
  std::vector<size_t> order(samples.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return rates[a] < rates[b]; });
  Sample const& median = samples[order[order.size() / 2]];
  Result r;
  r.mbPerSecond = rates[order[order.size() / 2]];
  r.messagesPerSecond = static_cast<double>(median.tally.messages) * passes / median.wallSeconds;
  r.mbPerCpuSecond = bytes / median.cpuSeconds / 1e6;
  r.spread = (rates[order.back()] - rates[order.front()]) / r.mbPerSecond;
  r.tally = median.tally;
  r.passesRun = passes * static_cast<unsigned>(samples.size()) + (first.wallSeconds >= o.minSeconds ? 0 : 1);
  r.consistent = true;
  for (Sample const& s : samples) r.consistent = r.consistent && s.consistent && s.tally == median.tally;
  return r;
}

bool wanted(std::vector<std::string> const& only, std::string const& name) {
  return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
}

bool wanted(std::vector<Work> const& only, Work w) {
  return std::find(only.begin(), only.end(), w) != only.end();
}

// Single dictionaries once each at the first threshold and thread count;
// groups with every threshold, thread count and kind of work.
std::vector<Row> suite(PolicyDb const& db, BenchOptions const& o) {
  std::vector<Row> rows;
  if (wanted(o.work, Work::kParse))
    for (unsigned t : o.threads) rows.push_back(Row{{}, 0, Work::kParse, 0, t});
  for (PolicyDictionary const& d : db.dictionaries())
    if (wanted(o.scanners, d.name) && wanted(o.work, Work::kScan))
      rows.push_back(Row{{vmund::ScannerRequest::kDictionary, d.name, 0}, d.enabled, Work::kScan, o.thresholds[0], o.threads[0]});
  for (PolicyGroup const& g : db.groups()) {
    if (!wanted(o.scanners, g.name)) continue;
    size_t items = 0;
    for (std::string const& m : g.members)
      for (PolicyDictionary const& d : db.dictionaries())
        if (d.name == m) items += d.enabled;
    for (unsigned long threshold : o.thresholds)
      for (unsigned t : o.threads)
        for (Work w : {Work::kScan, Work::kParseScan})
          if (wanted(o.work, w)) rows.push_back(Row{{vmund::ScannerRequest::kGroup, g.name, 0}, items, w, threshold, t});
  }
  return rows;
}

size_t itemsIn(DictionaryScannerImpl* scanner) {
  if (auto* p = dynamic_cast<Vessamund::ProfileDictionaryScanner*>(scanner)) return p->itemList().size();
  size_t n = 0;
  if (auto* g = dynamic_cast<Vessamund::GroupDictionaryScanner*>(scanner))
    for (Ref<DictionaryScannerImpl> const& m : g->memberList()) n += itemsIn(m.get());
  return n;
}

// Every row of every file became an item, and every group holds them all.
int checkPolicy(PolicyDb const& db) {
  std::printf("| scanner | rows | items loaded |\n|---|---:|---:|\n");
  int bad = 0;
  auto report = [&](vmund::ScannerRequest const& name, size_t rows) {
    Ref<DictionaryScannerImpl> s = scannerFor(ScanPath::kPlanned, name);
    size_t items = s.get() ? itemsIn(s.get()) : 0;
    std::printf("| %s | %zu | %zu |\n", vmund::describe(name).c_str(), rows, items);
    if (items != rows || rows == 0) ++bad;
  };
  for (PolicyDictionary const& d : db.dictionaries()) report({vmund::ScannerRequest::kDictionary, d.name, 0}, d.enabled);
  for (PolicyGroup const& g : db.groups()) {
    size_t rows = 0;
    for (std::string const& m : g.members)
      for (PolicyDictionary const& d : db.dictionaries())
        if (d.name == m) rows += d.enabled;
    report({vmund::ScannerRequest::kGroup, g.name, 0}, rows);
  }
  if (bad) std::fprintf(stderr, "vmund_corpus_bench: %d scanners do not hold every row of their files\n", bad);
  return bad ? 1 : 0;
}

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

int run(BenchOptions const& o) {
  PolicyDb db(o.policies, std::vector<PolicySubset>(std::begin(kSubsets), std::end(kSubsets)));
  // The factory reads the database named in VMUND_DB_DIR at each connect.
  vmund::useConfigDbDir(db.dir());
  if (o.check) return checkPolicy(db);

  Inputs in;
  in.files = loadCorpus(o.corpora, o.sample);
  in.bytes = corpusBytes(in.files);
  if (in.files.empty()) throw std::runtime_error("no *.eml files in the corpus folders");
  size_t refused = 0;
  std::vector<Row> rows = suite(db, o);
  unsigned parseCopies = 1;
  for (Row const& r : rows)
    if (r.work == Work::kScan) parseCopies = std::max(parseCopies, r.threads);
  std::fprintf(stderr, "parsing %zu files into %u copies\n", in.files.size(), parseCopies);
  for (unsigned t = 0; t < parseCopies; ++t) in.parsed.push_back(parseCorpus(in.files, &refused));
  uint64_t textBytes = 0;
  for (vmund::Message const& m : in.parsed[0]) textBytes += m.area.textBytes();

  std::printf("Corpus: %zu message files, %.2f MB (MB = 10^6 bytes of the files as stored); "
              "%zu messages, %.2f MB of text in their parts; %zu files refused by the reader.\n\n",
              in.files.size(), static_cast<double>(in.bytes) / 1e6, in.parsed[0].size(),
              static_cast<double>(textBytes) / 1e6, refused);
  std::printf("Each row: median of %u repetitions of at least %.1f s; spread = (fastest - slowest) "
              "/ median; MB/CPU-s = message bytes per second of process CPU time (all threads); "
              "score sum and reached = the summed scores of one pass and the messages at or over "
              "the threshold (a row whose pass or whose earlier row of the same scanner and "
              "threshold found other scores says \"differs!\"). Threads split each pass's "
              "messages between them.\n\n",
              o.repetitions, o.minSeconds);
  std::printf("| scanner | items | threshold | threads | work | path | MB/s | msg/s | MB/CPU-s | "
              "spread | score sum | reached |\n");
  std::printf("|---|---:|---:|---:|---|---|---:|---:|---:|---:|---:|---:|\n");
  std::fflush(stdout);

  // The first tally of each scanner and threshold; thread counts, kinds of
  // work and scan paths must all agree with it.
  std::map<std::pair<std::string, unsigned long>, Tally> reference;
  int inconsistent = 0;
  for (Row const& row : rows) {
    std::vector<ScanPath> paths = o.paths;
    if (row.work == Work::kParse) paths.resize(1);  // nothing to scan with
    for (ScanPath path : paths) {
      Ref<DictionaryScannerImpl> scanner;
      if (row.work != Work::kParse) {
        scanner = scannerFor(path, row.scanner);
        if (!scanner.get()) throw std::runtime_error("no scanner for " + row.scanner.name);
      }
      std::string label = row.work == Work::kParse ? "(message host only)"
                                                   : vmund::describe(row.scanner);
      std::fprintf(stderr, "timing %s, %s, threshold %lu, %u threads, %s\n", label.c_str(),
                   workName(row.work), row.threshold, row.threads, pathName(path));
#ifdef VMUND_HAVE_CALLGRIND_H
      // Under callgrind each row becomes a dump of its own, named after the
      // row (scripts/profile-item-kinds reads them); a no-op otherwise.
      CALLGRIND_ZERO_STATS;
#endif
      Result r = measure(row, scanner.get(), in, o);
#ifdef VMUND_HAVE_CALLGRIND_H
      std::string dump = "row scanner=" + label + " items=" + std::to_string(row.items) +
                         " threshold=" + std::to_string(row.threshold) + " threads=" +
                         std::to_string(row.threads) + " work=" + workName(row.work) + " path=" +
                         pathName(path) + " bytes=" + std::to_string(in.bytes) +
                         " text_bytes=" + std::to_string(textBytes) +
                         " passes=" + std::to_string(r.passesRun);
      CALLGRIND_DUMP_STATS_AT(dump.c_str());
#endif
      auto first = reference.emplace(std::make_pair(label, row.threshold), r.tally).first;
      r.consistent = r.consistent && first->second == r.tally;
      if (!r.consistent) ++inconsistent;
      bool const scans = row.work != Work::kParse;
      std::printf("| %s | %s | %s | %u | %s | %s | %s | %s | %s | %s%% | %s | %s |\n", label.c_str(),
                  scans ? std::to_string(row.items).c_str() : "-",
                  scans ? std::to_string(row.threshold).c_str() : "-", row.threads, workName(row.work),
                  scans ? pathName(path) : "-", fixed(r.mbPerSecond, 2).c_str(),
                  fixed(r.messagesPerSecond, 1).c_str(), fixed(r.mbPerCpuSecond, 2).c_str(),
                  fixed(r.spread * 100, 0).c_str(),
                  scans ? (std::to_string(r.tally.scoreSum) + (r.consistent ? "" : " (differs!)")).c_str() : "-",
                  scans ? std::to_string(r.tally.reached).c_str() : "-");
      std::fflush(stdout);
    }
  }
  if (inconsistent) {
    std::fprintf(stderr,
                 "vmund_corpus_bench: %d rows found other scores than an earlier pass or row of "
                 "the same scanner and threshold\n",
                 inconsistent);
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace vmund_bench

int main(int argc, char** argv) {
  vmund_bench::BenchOptions options;
  options.policies = VMUND_POLICIES_DIR;
  std::string problem = vmund_bench::parseOptions(argc, argv, options);
  if (problem == "help") {
    std::cout << vmund_bench::usage();
    return 0;
  }
  if (!problem.empty()) {
    std::cerr << "vmund_corpus_bench: " << problem << "\n" << vmund_bench::usage();
    return 2;
  }
  if (options.corpora.empty()) options.corpora.push_back(VMUND_CORPUS_DIR "/real");
  try {
    return vmund_bench::run(options);
  } catch (std::exception const& e) {
    std::cerr << "vmund_corpus_bench: " << e.what() << "\n";
    return 1;
  }
}
