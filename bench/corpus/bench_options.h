// Command-line options of vmund_corpus_bench.
#ifndef VMUND_BENCH_CORPUS_BENCH_OPTIONS_H_
#define VMUND_BENCH_CORPUS_BENCH_OPTIONS_H_

#include <string>
#include <vector>

#include "scan_paths.h"

namespace vmund_bench {

// What a timed row does with each message file.
enum class Work {
  kParse,      // read the file into a scan area, scan nothing
  kScan,       // scan the area parsed before timing began
  kParseScan,  // read the file and scan it, as a mail host does
};

char const* workName(Work work);

struct BenchOptions {
  std::string policies;                // folder of the policy CSV files
  std::vector<std::string> corpora;    // folders of *.eml files
  std::vector<std::string> scanners;   // empty: every dictionary and group
  std::vector<Work> work{Work::kParse, Work::kScan, Work::kParseScan};
  std::vector<unsigned> threads{1, 2};
  // The first is used for the single dictionaries: high enough that no scan
  // stops early. The group runs with each.
  std::vector<unsigned long> thresholds{1000000, 20};
  std::vector<ScanPath> paths{ScanPath::kPlanned};
  unsigned repetitions = 3;
  double minSeconds = 1.0;  // per repetition
  unsigned sample = 1;      // every sample-th message file
  bool check = false;       // import and load only, compare item counts
};

// The help text.
std::string usage();

// Reads argv into `options` (which holds the defaults). Returns "" or what is
// wrong; "help" when help was asked for.
std::string parseOptions(int argc, char** argv, BenchOptions& options);

}  // namespace vmund_bench

#endif  // VMUND_BENCH_CORPUS_BENCH_OPTIONS_H_
