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
// (database and template dictionaries share one name space, compared byte by
// byte), one for groups. Any thread may call any operation. Cache requests
// (hits included) and clean() are serialised by one lock; a miss loads from
// the configuration database while holding it, so a slow database delays
// other factory calls but never a scan. Scans never touch the factory.
//
// Handles are the caller's: clean(), the reload flag or a later load only
// drop the cache's own reference, so a handle keeps scanning with the
// scanner it holds. Failures are never reported in words: what is returned
// and cached is the whole story (see each operation). The factory writes no
// log.
//
// Reload flag: when the host sets bit value 4 of the word at byte 300400 of
// nCfg_debug_zone (host_block.h), the next createProfileScanner or
// createGroupScanner empties both caches and clears that bit (only that
// bit) before it looks up its name.
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

  // The cached scanner of dictionary `name`. On a miss, reads its rows from
  // table fe_dict_item of database "fe_content" (db_client.h) in item_no
  // order; rows whose status or weight is 0 after keeping the field's low
  // bits are skipped, and patterns are cut to 255 bytes. Empty when the
  // database cannot be reached (nothing is cached then, so the next call
  // tries again). A dictionary with no rows, or whose statement fails, gives
  // a cached scanner without items. Quote characters in `name` cannot
  // change the statement. Takes the cache lock (exclusively on a miss); may
  // throw std::bad_alloc or Boost.Thread's lock errors.
  Ref<DictionaryScannerImpl> createProfileScanner(std::string const& name);

  // The cached scanner of group `name`; never empty. On a miss, reads the
  // member names from fe_dict_group_dictionaries and loads every member
  // dictionary afresh (a member named twice is loaded twice), replacing its
  // dictionary cache entry; holders of the old entries keep the old
  // scanners. When the database cannot be reached, an empty group is cached
  // and returned until the caches are emptied. Locking as above.
  Ref<DictionaryScannerImpl> createGroupScanner(std::string const& name);

  // Reads template file `number` (512..519 score files, 521..540 term files;
  // see predefined_dictionary_file_paths) into a scanner named `name`,
  // stores it in the dictionary cache under `name` (replacing any entry,
  // database dictionaries included) and returns it. Always reads the file
  // again. A number without a file (outside 512..540, 520, 522) stores and
  // returns an empty handle, which later createProfileScanner calls for
  // `name` also return, without the database, until the caches are emptied.
  // A file that cannot be opened gives a scanner without items; lines that do
  // not fit their format, or have weight 0, are skipped silently. Takes the
  // cache lock exclusively while it reads; neither tests nor clears the
  // reload flag.
  Ref<DictionaryScannerImpl> createDictScanner(unsigned short number, std::string const& name);

  // Empties both caches and clears the reload flag, holding the cache lock
  // exclusively. Handles already handed out keep working with the scanners
  // they hold.
  void clean();

  DictionaryFactory();
  ~DictionaryFactory();
  DictionaryFactory(DictionaryFactory const&) = delete;
  DictionaryFactory& operator=(DictionaryFactory const&) = delete;

 private:
  DictionaryFactoryImpl* impl_;
};

// Template file paths, indexed by template number minus 512 (29 entries;
// indices 8 and 10 are empty). Filled at library load (not usable before
// static initialisation ends or after static destruction begins); a host may
// rewrite entries, but not while a factory call runs. An empty entry means
// "no template".
extern std::vector<std::string> predefined_dictionary_file_paths;

}  // namespace Vessamund

#endif  // VESSAMUND_FACTORY_H_
