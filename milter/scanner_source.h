// The scanners of the configured rules, shared by every milter thread, and
// their reload from the configuration database on request.
#ifndef VMUND_MILTER_SCANNER_SOURCE_H_
#define VMUND_MILTER_SCANNER_SOURCE_H_

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/scanner_load.h"
#include "milter/config.h"

namespace vmund {
namespace milter {

// One consistent set of scanners: scanners[i] serves rule i. Immutable once
// published, so any number of threads scan with it at once; a message keeps
// its set (and so its scanners) alive until it is done, whatever reloads
// happen meanwhile.
struct ScannerSet {
  std::vector<ScannerRef> scanners;
  unsigned generation = 0;  // 1 for the first load, +1 per reload that went live
};

// Asks the factory for each rule's scanner: dictionaries and groups from the
// database named by $VMUND_DB_DIR, templates from
// Vessamund::predefined_dictionary_file_paths (both set up by the caller
// before load()).
//
// Every factory call of the process must go through one source: the factory
// serialises its own requests, but the reload bit is a plain word it reads
// and clears under its lock, so the source sets it under its own mutex,
// which it also holds across the factory calls.
class ScannerSource {
 public:
  explicit ScannerSource(std::vector<Rule> rules);
  ScannerSource(ScannerSource const&) = delete;
  ScannerSource& operator=(ScannerSource const&) = delete;

  // The first load. Appends to `problems` each rule that cannot be served
  // (loadScanner(): a database that cannot be read or lacks the name, a
  // missing template file) and to `warnings` what loads but finds less (no
  // enabled items, no members, expressions that do not compile). The source
  // is usable only when no problem was added.
  void load(std::vector<std::string>& problems, std::vector<std::string>& warnings);

  // Asks for a reload at the next acquire(). Async-signal-safe: it only
  // stores to a lock-free atomic, so a SIGHUP handler may call it.
  void requestReload() noexcept { reload_.store(true, std::memory_order_relaxed); }

  // The current set. The first call after requestReload() rebuilds it: sets
  // the factory's reload bit (so the factory drops its caches and reads the
  // database again), asks for every scanner anew and publishes the new set -
  // all or nothing: when any rule cannot be loaded, or a rule that held items
  // or members holds none now, every old scanner stays, and `notes` says
  // why. Each reload adds a line to `notes`. Sets already handed out
  // stay valid. Takes the source's mutex; a reload does database and file
  // I/O under it, holding up other acquire() calls (not scans).
  std::shared_ptr<ScannerSet const> acquire(std::vector<std::string>& notes);

 private:
  // Every rule's scanner in a new set; a rule in `problems` has an empty
  // slot. REQUIRES: mu_ held.
  std::shared_ptr<ScannerSet> build(unsigned generation, std::vector<std::string>& problems,
                                    std::vector<std::string>& warnings);

  static_assert(std::atomic<bool>::is_always_lock_free, "requestReload() runs in a signal handler");
  std::atomic<bool> reload_{false};

  std::vector<Rule> const rules_;
  std::mutex mu_;
  std::shared_ptr<ScannerSet const> current_;  // guarded by mu_
  unsigned reloads_ = 0;                       // attempts, for the log; guarded by mu_
};

// Sets the factory's reload bit in the host block (host_block.h), leaving
// the word's other bits. REQUIRES: no other thread inside a factory call.
void setFactoryReloadBit();

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_SCANNER_SOURCE_H_
