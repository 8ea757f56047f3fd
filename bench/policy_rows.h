// The reference policy of data/policies for the benchmarks: its rows read
// from the CSV files, and one profile scanner per dictionary (or all four
// as one), built once with its scan plan prepared. The files are read from
// $VMUND_POLICY_DIR, else from data/policies of the source tree.
#ifndef VESSAMUND_BENCH_POLICY_ROWS_H_
#define VESSAMUND_BENCH_POLICY_ROWS_H_

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/test_area.h"
#include "vessamund/scanner.h"

namespace vmund_bench {

using Vessamund::ProfileDictionaryScanner;

struct Row {
  uint16_t type;
  std::string pattern;
  uint16_t weight, area, maxWeight, maxLimit;
};

inline uint16_t typeCode(std::string const& name) {
  static std::map<std::string, uint16_t> const kCodes = {
      {"regex", 1},         {"word", 3},          {"wildcard", 2},     {"cansin", 256},
      {"ussn", 257},        {"creditcard", 258},  {"aba", 259},        {"cusip", 260},
      {"isin", 261},        {"ukni", 262},        {"uknhs", 263},      {"usein", 264},
      {"usdea", 265},       {"frcni", 266},       {"insee", 267},      {"depassport", 268},
      {"iban", 269},        {"itin", 270},        {"uspassport", 271}, {"frpassport", 272},
      {"ukpassport", 273}};
  auto found = kCodes.find(name);
  return found != kCodes.end() ? found->second : static_cast<uint16_t>(std::atoi(name.c_str()));
}

// One CSV line: fields separated by commas, a field in double quotes may
// hold commas and "" for a quote.
inline std::vector<std::string> csvFields(std::string const& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char const c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

inline std::string policyDir() {
  char const* dir = std::getenv("VMUND_POLICY_DIR");
  return dir != nullptr ? dir : VMUND_SOURCE_DIR "/data/policies";
}

// Rows of one policy file (item_no,pattern,pattern_type,weight,area,max
// weight,max limit,status), in file order; empty when it is missing.
inline std::vector<Row> policy(std::string const& file) {
  std::vector<Row> rows;
  std::ifstream in(policyDir() + "/" + file);
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> f = csvFields(line);
    if (f.size() < 8 || f[7] == "0") continue;
    rows.push_back(Row{typeCode(f[2]), f[1], static_cast<uint16_t>(std::atoi(f[3].c_str())),
                       static_cast<uint16_t>(std::atoi(f[4].c_str())),
                       static_cast<uint16_t>(std::atoi(f[5].c_str())),
                       static_cast<uint16_t>(std::atoi(f[6].c_str()))});
  }
  return rows;
}

inline std::vector<Row> dictionaryRows(std::string const& name) {
  if (name == "policy") {
    std::vector<Row> all;
    for (char const* f : {"identifiers.csv", "compliance-words.csv", "wildcards.csv", "regexes.csv"}) {
      std::vector<Row> part = policy(f);
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  }
  return policy(name + ".csv");
}

// One scanner per dictionary name, built once, its plan prepared up front;
// null when the dictionary has no rows.
// A new scanner over the rows of `name` ("policy": all four files), its
// plan prepared; an empty handle when there are no rows.
inline Vessamund::Ref<Vessamund::DictionaryScannerImpl> newScanner(std::string const& name) {
  std::vector<Row> rows = dictionaryRows(name);
  if (rows.empty()) return Vessamund::Ref<Vessamund::DictionaryScannerImpl>();
  auto* s = new ProfileDictionaryScanner(name);
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> handle(s);
  for (Row const& r : rows) {
    auto record = vmund_test::makeRecord(r.type, r.pattern, r.weight, static_cast<uint8_t>(r.area),
                                         r.maxWeight, static_cast<uint8_t>(r.maxLimit));
    s->add_pattern(&record);
  }
  s->prepare();
  return handle;
}

// One scanner per name, built on first use and kept; null without rows.
inline ProfileDictionaryScanner* scanner(std::string const& name) {
  static std::map<std::string, Vessamund::Ref<Vessamund::DictionaryScannerImpl>> cache;
  auto found = cache.find(name);
  if (found == cache.end()) found = cache.emplace(name, newScanner(name)).first;
  return static_cast<ProfileDictionaryScanner*>(found->second.get());
}

}  // namespace vmund_bench

#endif  // VESSAMUND_BENCH_POLICY_ROWS_H_
