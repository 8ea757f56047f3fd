// The reference policy as a configuration database: the CSV files of a
// policy folder imported the way `vmund dict import` imports them, into a
// temporary folder that the factory then reads through VMUND_DB_DIR.
#ifndef VMUND_BENCH_CORPUS_POLICY_DB_H_
#define VMUND_BENCH_CORPUS_POLICY_DB_H_

#include <cstddef>
#include <string>
#include <vector>

namespace vmund_bench {

struct PolicyDictionary {
  std::string name;
  size_t enabled = 0;  // rows the loader turns into items
};

struct PolicyGroup {
  std::string name;
  std::vector<std::string> members;  // in member order
};

// Dictionary `of` cut to its first rows: dictionary "<of>-<rows>".
struct PolicySubset {
  std::string of;
  size_t rows;
};

// Owns a temporary folder holding fe_content.db; removes it on destruction.
// Not copyable.
class PolicyDb {
 public:
  // Imports every NAME.csv of `policyDir` but groups.csv as dictionary NAME
  // (rows checked as `vmund dict import` checks them: the CSV reader's
  // checks, and each item built by the library), then each subset, then the
  // groups of groups.csv (header line, then group_name,dict_name per line;
  // members in line order). Dictionaries are listed group members first, in
  // member order with each subset just before its dictionary, then the
  // others by name. Throws std::runtime_error saying which file and line is
  // wrong; the folder is removed then.
  PolicyDb(std::string const& policyDir, std::vector<PolicySubset> const& subsets);
  ~PolicyDb();
  PolicyDb(PolicyDb const&) = delete;
  PolicyDb& operator=(PolicyDb const&) = delete;

  // The folder to put in VMUND_DB_DIR.
  std::string const& dir() const { return dir_; }
  std::vector<PolicyDictionary> const& dictionaries() const { return dictionaries_; }
  std::vector<PolicyGroup> const& groups() const { return groups_; }

 private:
  void build(std::string const& policyDir, std::vector<PolicySubset> const& subsets);

  std::string dir_;
  std::vector<PolicyDictionary> dictionaries_;
  std::vector<PolicyGroup> groups_;
};

}  // namespace vmund_bench

#endif  // VMUND_BENCH_CORPUS_POLICY_DB_H_
