// The factory's two scanner caches and their lock: cached creation of
// dictionary and group scanners, clean() and the host's reload flag. The
// loaders that fill the caches on a miss are database_loader.cc and
// template_loader.cc.
#include <cstring>

#include <boost/thread/locks.hpp>

#include "factory/dictionary_factory_impl.h"
#include "vessamund/host_block.h"

namespace Vessamund {

namespace {

using UpgradeLock = boost::upgrade_lock<boost::shared_mutex>;
using ExclusiveFromUpgrade = boost::upgrade_to_unique_lock<boost::shared_mutex>;
using ExclusiveLock = boost::unique_lock<boost::shared_mutex>;

// The host's word holding the reload flag. Read and written with memcpy: the
// block is the host's, and nothing promises its alignment or type.
unsigned char* reloadWord() {
  return static_cast<unsigned char*>(nCfg_debug_zone) + VMUND_RELOAD_WORD_OFFSET;
}

bool reloadRequested() {
  uint32_t word;
  memcpy(&word, reloadWord(), sizeof word);
  return (word & VMUND_RELOAD_FLAG) != 0;
}

// A plain read-modify-write under the cache lock, as the host expects; the
// other bits are the host's and stay as they are.
void clearReloadRequest() {
  uint32_t word;
  memcpy(&word, reloadWord(), sizeof word);
  word &= ~static_cast<uint32_t>(VMUND_RELOAD_FLAG);
  memcpy(reloadWord(), &word, sizeof word);
}

}  // namespace

DictionaryFactoryImpl::DictionaryFactoryImpl() {}

// Members go in reverse order of declaration: the dictionary cache, then the
// group cache, then the lock. Scanners held elsewhere survive.
DictionaryFactoryImpl::~DictionaryFactoryImpl() {}

// Upgrade ownership admits one holder at a time, so hits are serialised too;
// nobody takes shared ownership, which makes the upgrade holder the only
// thread that can touch the caches until it upgrades.
Ref<DictionaryScannerImpl> DictionaryFactoryImpl::createProfileScanner(std::string const& name) {
  UpgradeLock upgrade(lock_);
  if (reloadRequested()) _clean();
  auto hit = profiles_.find(name);
  if (hit != profiles_.end()) return hit->second;

  Ref<DictionaryScannerImpl> result;
  {
    // Waits until no other thread holds the lock in any mode.
    ExclusiveFromUpgrade exclusive(upgrade);
    hit = profiles_.find(name);
    result = hit != profiles_.end() ? hit->second : loadProfile(name);
  }
  return result;
}

Ref<DictionaryScannerImpl> DictionaryFactoryImpl::createGroupScanner(std::string const& name) {
  UpgradeLock upgrade(lock_);
  if (reloadRequested()) _clean();
  auto hit = groups_.find(name);
  if (hit != groups_.end()) return hit->second;

  Ref<DictionaryScannerImpl> result;
  {
    ExclusiveFromUpgrade exclusive(upgrade);
    hit = groups_.find(name);
    result = hit != groups_.end() ? hit->second : loadGroup(name);
  }
  return result;
}

void DictionaryFactoryImpl::clean() {
  ExclusiveLock exclusive(lock_);
  _clean();
}

void DictionaryFactoryImpl::_clean() {
  clearReloadRequest();
  // Only the caches' own references go; a scanner dies with its last handle.
  groups_.clear();
  profiles_.clear();
}

}  // namespace Vessamund
