// The factory behind DictionaryFactory: item creation, the two scanner
// caches and their lock, and the loaders that fill them.
#ifndef VESSAMUND_SRC_FACTORY_DICTIONARY_FACTORY_IMPL_H_
#define VESSAMUND_SRC_FACTORY_DICTIONARY_FACTORY_IMPL_H_

#include <map>
#include <string>

#include <boost/thread/shared_mutex.hpp>

#include "vessamund/VmundRefcounted"
#include "vessamund/dictionary_item.h"
#include "vessamund/scanner.h"

namespace Vessamund {

class DictionaryFactoryImpl : public virtual RefImpl {
 public:
  using Cache = std::map<std::string const, Ref<DictionaryScannerImpl>>;

  DictionaryFactoryImpl();
  ~DictionaryFactoryImpl() override;
  DictionaryFactoryImpl(DictionaryFactoryImpl const&) = delete;
  DictionaryFactoryImpl& operator=(DictionaryFactoryImpl const&) = delete;

  // The item record->pattern_type names (create_item.cc). Takes no lock and
  // touches no cache. REQUIRES: record != nullptr.
  Ref<DictionaryItemImpl> createScanner(__vmund_dictionary_item const* record);

  // Cached creation (scanner_cache.cc): upgrade ownership for the lookup,
  // exclusive ownership to load on a miss.
  Ref<DictionaryScannerImpl> createProfileScanner(std::string const& name);
  Ref<DictionaryScannerImpl> createGroupScanner(std::string const& name);

  // Template dictionaries (template_loader.cc). Takes no lock.
  Ref<DictionaryScannerImpl> createDictScanner(unsigned short number, std::string const& name);

  // Exclusive ownership, then _clean().
  void clean();
  // Clears the reload flag and empties both caches. REQUIRES: the caller
  // holds the lock exclusively, or no other thread is inside the factory.
  void _clean();

  // The dictionary loader (database_loader.cc): builds dictionary `name`
  // from the open `connection` (borrowed; neither opened nor closed here),
  // stores it in the profile cache, replacing any entry, and returns it.
  // REQUIRES: the lock is held exclusively.
  Ref<DictionaryScannerImpl> createProfileScanner(void* connection, std::string const& name);

 private:
  // The cache-miss paths (database_loader.cc). REQUIRES: the lock is held
  // exclusively.
  Ref<DictionaryScannerImpl> loadProfile(std::string const& name);
  Ref<DictionaryScannerImpl> loadGroup(std::string const& name);

  // Cache requests take upgrade ownership (one holder at a time, hits
  // included) and upgrade to exclusive ownership to load; clean() takes
  // exclusive ownership. Shared ownership is never taken. Scans never touch
  // it.
  boost::shared_mutex lock_;
  // Guarded by lock_ (createDictScanner writes profiles_ without it; its
  // callers keep every other factory call away). Entries may hold empty
  // handles (a template number without a file).
  Cache groups_;    // group name -> GroupDictionaryScanner
  Cache profiles_;  // dictionary name -> ProfileDictionaryScanner (database
                    // and template dictionaries share one name space)
};

}  // namespace Vessamund

#endif  // VESSAMUND_SRC_FACTORY_DICTIONARY_FACTORY_IMPL_H_
