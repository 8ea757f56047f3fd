// Loading the rules' scanners through the factory, and reloading them.
#include "milter/scanner_source.h"

#include <cstdint>
#include <cstring>

#include "host/scanner_load.h"
#include "vessamund/factory.h"
#include "vessamund/host_block.h"

namespace vmund {
namespace milter {
void setFactoryReloadBit() {
  unsigned char* word = static_cast<unsigned char*>(nCfg_debug_zone) + VMUND_RELOAD_WORD_OFFSET;
  uint32_t value;
  std::memcpy(&value, word, sizeof value);
  value |= VMUND_RELOAD_FLAG;
  std::memcpy(word, &value, sizeof value);
}

ScannerSource::ScannerSource(std::vector<Rule> rules) : rules_(std::move(rules)) {}

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
      if ((rules_[i].scanner.source == ScannerRequest::kTemplate) != (pass == 1)) continue;
      std::string bad = loadScanner(rules_[i].scanner, set->scanners[i], warnings);
      if (!bad.empty()) problems.push_back(bad);
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
  unsigned const generation = current_ ? current_->generation + 1 : 1;
  std::shared_ptr<ScannerSet> set = build(generation, problems, warnings);
  // A rule that held something and now holds nothing looks like a broken
  // database, not a policy change: half a policy must never go live.
  for (size_t i = 0; current_ && i < rules_.size(); ++i)
    if (problems.empty() && scannerContents(set->scanners[i].get()) == 0 &&
        scannerContents(current_->scanners[i].get()) != 0)
      problems.push_back(describe(rules_[i].scanner) + " is empty now, but was not");
  std::string const reload = "reload " + std::to_string(++reloads_);
  if (!problems.empty() && current_) {
    for (std::string& p : problems) notes.push_back(reload + " failed: " + p);
    notes.push_back(reload + " failed: keeping every scanner loaded before");
    return current_;
  }
  for (std::string& w : warnings) notes.push_back(reload + ": warning: " + w);
  notes.push_back(reload + " done: " + std::to_string(rules_.size()) + " scanners");
  current_ = std::move(set);
  return current_;
}

}  // namespace milter
}  // namespace vmund
