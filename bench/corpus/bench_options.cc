// Parsing vmund_corpus_bench's command line; see bench_options.h.
#include "bench_options.h"

#include <cerrno>
#include <cstdlib>

namespace vmund_bench {
namespace {

std::vector<std::string> splitList(std::string const& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!item.empty()) out.push_back(item);
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

bool readUnsigned(std::string const& text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  value = std::strtoul(text.c_str(), nullptr, 10);
  return errno == 0 && value <= max;
}

}  // namespace

char const* workName(Work work) {
  switch (work) {
    case Work::kParse: return "parse";
    case Work::kScan: return "scan";
    case Work::kParseScan: return "parse+scan";
  }
  return "?";
}

std::string usage() {
  return "usage: vmund_corpus_bench [OPTION...] [CORPUS_DIR...]\n"
         "Times a policy's dictionaries and groups over the *.eml files of CORPUS_DIR\n"
         "(default: the shared corpus's real/ folder) and prints a Markdown table.\n"
         "  --policies=DIR        policy CSV files (default: the source tree's data/policies)\n"
         "  --scanners=A,B        only these dictionaries and groups (default: all)\n"
         "  --work=LIST           parse, scan, parse+scan (default: all three)\n"
         "  --threads=LIST        thread counts (default: 1,2; dictionaries use the first)\n"
         "  --thresholds=LIST     scan thresholds (default: 1000000,20; dictionaries use the first)\n"
         "  --path=P              planned, reference or both (default: planned)\n"
         "  --repetitions=N       timed repetitions per row, median reported (default: 3)\n"
         "  --min-time=SECONDS    least time per repetition (default: 1)\n"
         "  --sample=K            every K-th message file only (default: 1, all)\n"
         "  --check               import the policy and load every scanner, compare item counts\n";
}

std::string parseOptions(int argc, char** argv, BenchOptions& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return "help";
    if (arg == "--check") {
      options.check = true;
      continue;
    }
    if (arg.compare(0, 2, "--") != 0) {
      options.corpora.push_back(arg);
      continue;
    }
    size_t eq = arg.find('=');
    if (eq == std::string::npos) return "option " + arg + " needs a value (" + arg + "=...)";
    std::string key = arg.substr(0, eq);
    std::string value = arg.substr(eq + 1);
    std::vector<std::string> list = splitList(value);
    unsigned long n = 0;
    if (key == "--policies") {
      options.policies = value;
    } else if (key == "--scanners") {
      options.scanners = list;
    } else if (key == "--work") {
      options.work.clear();
      for (std::string const& w : list) {
        if (w == "parse") options.work.push_back(Work::kParse);
        else if (w == "scan") options.work.push_back(Work::kScan);
        else if (w == "parse+scan") options.work.push_back(Work::kParseScan);
        else return "unknown work \"" + w + "\" (parse, scan, parse+scan)";
      }
    } else if (key == "--threads") {
      options.threads.clear();
      for (std::string const& t : list) {
        if (!readUnsigned(t, 64, n) || n == 0) return "--threads: \"" + t + "\" is not 1 to 64";
        options.threads.push_back(static_cast<unsigned>(n));
      }
    } else if (key == "--thresholds") {
      options.thresholds.clear();
      for (std::string const& t : list) {
        if (!readUnsigned(t, ~0ul, n) || n == 0) return "--thresholds: \"" + t + "\" is not a positive number";
        options.thresholds.push_back(n);
      }
    } else if (key == "--path") {
      if (value == "planned") options.paths = {ScanPath::kPlanned};
      else if (value == "reference") options.paths = {ScanPath::kReference};
      else if (value == "both") options.paths = {ScanPath::kPlanned, ScanPath::kReference};
      else return "--path: \"" + value + "\" is not planned, reference or both";
    } else if (key == "--repetitions") {
      if (!readUnsigned(value, 1000, n) || n == 0) return "--repetitions: \"" + value + "\" is not 1 to 1000";
      options.repetitions = static_cast<unsigned>(n);
    } else if (key == "--min-time") {
      char* end = nullptr;
      options.minSeconds = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !(options.minSeconds >= 0))
        return "--min-time: \"" + value + "\" is not a number of seconds";
    } else if (key == "--sample") {
      if (!readUnsigned(value, 1000000, n) || n == 0) return "--sample: \"" + value + "\" is not a positive number";
      options.sample = static_cast<unsigned>(n);
    } else {
      return "unknown option " + key;
    }
  }
  if (options.work.empty() || options.threads.empty() || options.thresholds.empty())
    return "--work, --threads and --thresholds need at least one value";
  return "";
}

}  // namespace vmund_bench
