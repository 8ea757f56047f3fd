// Loading the rules' scanners through the factory, and reloading them.
#include "milter/scanner_source.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/dead_expressions.h"
#include "vessamund/factory.h"
#include "vessamund/host_block.h"

namespace vmund {
namespace milter {
namespace {

std::string describe(Rule const& r) {
  switch (r.kind) {
    case Rule::kDictionary: return "dictionary " + r.name;
    case Rule::kGroup: return "group " + r.name;
    case Rule::kTemplate: return "template " + std::to_string(r.templateNumber) + ":" + r.name;
  }
  return r.name;
}

std::string databasePath() {
  char const* dir = std::getenv("VMUND_DB_DIR");
  return std::string(dir && *dir ? dir : "/var/lib/vessamund") + "/fe_content.db";
}

}  // namespace

void setFactoryReloadBit() {
  unsigned char* word = static_cast<unsigned char*>(nCfg_debug_zone) + VMUND_RELOAD_WORD_OFFSET;
  uint32_t value;
  std::memcpy(&value, word, sizeof value);
  value |= VMUND_RELOAD_FLAG;
  std::memcpy(word, &value, sizeof value);
}

ScannerSource::ScannerSource(std::vector<Rule> rules) : rules_(std::move(rules)) {}

std::string ScannerSource::make(size_t i, ScannerRef& out, std::vector<std::string>& warnings) {
  Rule const& r = rules_[i];
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  // The factory answers a missing database or file with an empty or an
  // empty-but-cached scanner and no word why; look first, to say it.
  if (r.kind == Rule::kTemplate) {
    std::string const& path = Vessamund::predefined_dictionary_file_paths.at(r.templateNumber - 512);
    if (path.empty()) return describe(r) + ": no template file has this number";
    if (access(path.c_str(), R_OK) != 0) return describe(r) + ": " + path + ": " + std::strerror(errno);
    out = factory->createDictScanner(r.templateNumber, r.name);
  } else {
    std::string db = databasePath();
    if (access(db.c_str(), R_OK) != 0) return describe(r) + ": " + db + ": " + std::strerror(errno);
    out = r.kind == Rule::kGroup ? factory->createGroupScanner(r.name)
                                 : factory->createProfileScanner(r.name);
  }
  if (out.empty()) return describe(r) + ": cannot be loaded";
  if (auto* p = dynamic_cast<Vessamund::ProfileDictionaryScanner*>(out.get())) {
    if (p->itemList().empty()) warnings.push_back(describe(r) + " has no enabled items");
  } else if (auto* g = dynamic_cast<Vessamund::GroupDictionaryScanner*>(out.get())) {
    if (g->memberList().empty()) warnings.push_back(describe(r) + " has no dictionaries");
  }
  for (std::string& dead : deadExpressions(out.get())) warnings.push_back(std::move(dead));
  return std::string();
}

std::shared_ptr<ScannerSet> ScannerSource::build(unsigned generation,
                                                 std::vector<std::string>& problems,
                                                 std::vector<std::string>& warnings) {
  auto set = std::make_shared<ScannerSet>();
  set->generation = generation;
  set->scanners.resize(rules_.size());
  // Dictionaries and groups first: the first of them empties the caches when
  // the reload bit is set, which must not drop a template just loaded.
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < rules_.size(); ++i) {
      if ((rules_[i].kind == Rule::kTemplate) != (pass == 1)) continue;
      std::string bad = make(i, set->scanners[i], warnings);
      if (!bad.empty()) {
        set->scanners[i] = ScannerRef();
        problems.push_back(bad);
      }
    }
  }
  return set;
}

void ScannerSource::load(std::vector<std::string>& problems, std::vector<std::string>& warnings) {
  std::lock_guard<std::mutex> lock(mu_);
  current_ = build(1, problems, warnings);
}

std::shared_ptr<ScannerSet const> ScannerSource::acquire(std::vector<std::string>& notes) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!reload_.exchange(false, std::memory_order_relaxed)) return current_;

  setFactoryReloadBit();
  std::vector<std::string> problems, warnings;
  std::shared_ptr<ScannerSet> set = build(current_ ? current_->generation + 1 : 1, problems, warnings);
  for (size_t i = 0; i < set->scanners.size(); ++i)
    if (set->scanners[i].empty() && current_) set->scanners[i] = current_->scanners[i];
  for (std::string& p : problems) notes.push_back("reload: " + p + "; keeping the scanner loaded before");
  for (std::string& w : warnings) notes.push_back("reload: warning: " + w);
  notes.push_back("reload " + std::to_string(set->generation - 1) + " done: " +
                  std::to_string(rules_.size()) + " scanners");
  current_ = std::move(set);
  return current_;
}

}  // namespace milter
}  // namespace vmund
