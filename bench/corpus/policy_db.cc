// Imports a policy folder into a temporary configuration database; see
// policy_db.h. Uses the admin library and the item check of `vmund dict
// import`, so a file that imports here imports there too.
#include "policy_db.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "admin/config_db.h"
#include "admin/dict_csv.h"
#include "admin/item_check.h"
#include "admin/schema_sql.h"

namespace vmund_bench {
namespace {

namespace fs = std::filesystem;

char const kGroupsFile[] = "groups.csv";

std::string trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(" \t\r"));
  s.erase(s.find_last_not_of(" \t\r") + 1);
  return s;
}

std::vector<vmund::admin::ItemRow> readDictionary(fs::path const& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(file.string() + ": cannot open");
  std::vector<vmund::admin::CsvProblem> problems;
  std::vector<vmund::admin::ItemRow> rows = vmund::admin::readItemsCsv(in, problems, vmund::itemCheck);
  if (!problems.empty()) {
    std::string what;
    for (auto const& p : problems)
      what += file.string() + ":" + std::to_string(p.line) + ": " + p.message + "\n";
    throw std::runtime_error(what + file.string() + ": not imported");
  }
  return rows;
}

// Names are plain (no commas or quotes), so a line is split at its comma.
std::vector<PolicyGroup> readGroups(fs::path const& file) {
  std::vector<PolicyGroup> groups;
  std::ifstream in(file, std::ios::binary);
  if (!in) return groups;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = trimmed(line);
    if (number == 1 || line.empty()) continue;  // the header names the columns
    size_t comma = line.find(',');
    std::string group = trimmed(line.substr(0, comma));
    std::string dict = comma == std::string::npos ? "" : trimmed(line.substr(comma + 1));
    if (group.empty() || dict.empty() || dict.find(',') != std::string::npos)
      throw std::runtime_error(file.string() + ":" + std::to_string(number) +
                               ": expected group_name,dict_name");
    auto it = std::find_if(groups.begin(), groups.end(),
                           [&](PolicyGroup const& g) { return g.name == group; });
    if (it == groups.end()) it = groups.insert(groups.end(), PolicyGroup{group, {}});
    it->members.push_back(dict);
  }
  return groups;
}

}  // namespace

PolicyDb::PolicyDb(std::string const& policyDir, std::vector<PolicySubset> const& subsets) {
  char const* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vmund-corpus-bench.XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error(pattern + ": cannot create folder");
  dir_ = pattern;
  try {
    build(policyDir, subsets);
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
    throw;
  }
}

PolicyDb::~PolicyDb() {
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

void PolicyDb::build(std::string const& policyDir, std::vector<PolicySubset> const& subsets) {
  std::map<std::string, std::vector<vmund::admin::ItemRow>> rows;
  std::error_code error;
  for (auto const& entry : fs::directory_iterator(policyDir, error)) {
    fs::path const& p = entry.path();
    if (p.extension() != ".csv" || p.filename() == kGroupsFile) continue;
    rows[p.stem().string()] = readDictionary(p);
  }
  if (error) throw std::runtime_error(policyDir + ": " + error.message());
  if (rows.empty()) throw std::runtime_error(policyDir + ": no dictionary files (*.csv)");
  for (PolicySubset const& s : subsets) {
    auto it = rows.find(s.of);
    if (it == rows.end()) throw std::runtime_error(policyDir + ": no dictionary " + s.of + " to cut");
    std::vector<vmund::admin::ItemRow> first(it->second.begin(),
                                             it->second.begin() + std::min(s.rows, it->second.size()));
    rows[s.of + "-" + std::to_string(s.rows)] = std::move(first);
  }
  groups_ = readGroups(fs::path(policyDir) / kGroupsFile);

  vmund::admin::ConfigDb::create(dir_, vmund::kSchemaSql);
  vmund::admin::ConfigDb db(dir_);
  for (auto const& d : rows) db.storeItems(d.first, d.second, false);
  for (PolicyGroup const& g : groups_) {
    for (std::string const& m : g.members)
      if (!rows.count(m))
        throw std::runtime_error(policyDir + "/" + kGroupsFile + ": group " + g.name +
                                 " names a dictionary without a file: " + m);
    db.addGroupMembers(g.name, g.members);
  }

  std::map<std::string, size_t> enabled;
  for (vmund::admin::DictSummary const& s : db.dictionaries()) enabled[s.name] = static_cast<size_t>(s.enabled);
  auto listOne = [&](std::string const& name) {
    for (PolicyDictionary const& d : dictionaries_)
      if (d.name == name) return;
    dictionaries_.push_back(PolicyDictionary{name, enabled[name]});
  };
  auto list = [&](std::string const& name) {
    for (PolicySubset const& s : subsets)
      if (s.of == name) listOne(s.of + "-" + std::to_string(s.rows));
    listOne(name);
  };
  for (PolicyGroup const& g : groups_)
    for (std::string const& m : g.members) list(m);
  for (auto const& d : rows) list(d.first);
}

}  // namespace vmund_bench
