// The library's entry point: the process-wide factory that makes items and
// hands out cached scanners.
#ifndef VESSAMUND_FACTORY_H_
#define VESSAMUND_FACTORY_H_

#include <string>
#include <vector>

#include "vessamund/VmundRefcounted"
#include "vessamund/dictionary_item.h"
#include "vessamund/scanner.h"

namespace Vessamund {

class DictionaryFactoryImpl;

// Scanners are built once and cached by name: one cache for dictionaries
// (database and template dictionaries share it), one for groups. Cache
// requests are serialised by one lock; a miss loads from the configuration
// database under that lock. Scans never touch the factory.
class DictionaryFactory {
 public:
  // The single factory, created on the first call and never destroyed. Safe
  // to call from several threads at once.
  static DictionaryFactory* instance();

  // Makes the item that record->pattern_type names (1 regex, 3 plain word,
  // 256..273 identifier detectors, anything else wildcard; no code is
  // refused). Returns a handle holding the only reference, never empty.
  // Borrows the record for the call; the item keeps nothing pointing into
  // it. A record with pattern_weight 0 is accepted and makes an item that
  // never counts a match and always scores 0. Takes no lock and touches no
  // cache; may throw Exception or std::bad_alloc from item construction.
  // REQUIRES: record != nullptr.
  Ref<DictionaryItemImpl> createScanner(__vmund_dictionary_item const* record);

  // The cached scanner of dictionary `name`, loaded from the configuration
  // database "fe_content" on a miss. Empty when the database cannot be
  // reached (nothing is cached then, so the next call tries again). A
  // dictionary with no rows gives a scanner without items. Honours the host's
  // reload flag (empties both caches first).
  Ref<DictionaryScannerImpl> createProfileScanner(std::string const& name);

  // The cached scanner of group `name`; never empty. Every miss reloads the
  // member dictionaries (replacing their cache entries). When the database
  // cannot be reached, an empty group is cached and returned until clean().
  Ref<DictionaryScannerImpl> createGroupScanner(std::string const& name);

  // Reads template file `number` (512..540, see predefined_dictionary_file_paths)
  // into a scanner named `name`, stores it in the dictionary cache under `name`
  // (replacing any entry) and returns it. Always reads the file again. Empty
  // (and cached empty) for a number without a file. Takes no lock: must not
  // run while another thread is inside any factory operation.
  Ref<DictionaryScannerImpl> createDictScanner(unsigned short number, std::string const& name);

  // Empties both caches and clears the reload flag. Handles already handed
  // out keep working with the scanners they hold.
  void clean();

  DictionaryFactory();
  ~DictionaryFactory();
  DictionaryFactory(DictionaryFactory const&) = delete;
  DictionaryFactory& operator=(DictionaryFactory const&) = delete;

 private:
  DictionaryFactoryImpl* impl_;
};

// Template file paths, indexed by template number minus 512 (29 entries;
// indices 8 and 10 are empty). Filled at library load; a host may rewrite
// entries before it asks for templates (not while createDictScanner runs).
extern std::vector<std::string> predefined_dictionary_file_paths;

}  // namespace Vessamund

#endif  // VESSAMUND_FACTORY_H_
