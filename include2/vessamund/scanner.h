// Scanners: one dictionary (profile) or a group of dictionaries, scanned over
// a whole message.
#ifndef VESSAMUND_SCANNER_H_
#define VESSAMUND_SCANNER_H_

#include <list>
#include <string>

#include "vessamund/VmundRefcounted"
#include "vessamund/dictionary_item.h"
#include "vessamund/scan_area.h"

namespace Vessamund {

// What the factory hands out. Immutable once handed out, so any number of
// threads may scan with one scanner at once, each with its own area, callback
// and strings. A Ref keeps a scanner alive; the factory's clean() drops only
// the factory's own reference.
class DictionaryScannerImpl : public virtual RefImpl {
 public:
  ~DictionaryScannerImpl() override;

  // Scans `area` until the score reaches `budget` (the threshold) and returns
  // the score, which may pass `budget` by less than the weight of the last
  // item that scored. When the score is not 0, appends records to the
  // caller's strings (only ever appends):
  //   scoreList: "NAME:SCORE", preceded by ";" when scoreList is not empty;
  //              skipped once scoreList holds 256 characters or more.
  //   matchLog:  ";Dictionary:NAME Score: SCORE(MATCHES)" when MATCHES, the
  //              comma-separated identifiers that matched, is not empty.
  //              MATCHES stops growing once matchLog would pass 1024 bytes.
  // `budget` 0 scans nothing and returns 0. `progress` may be null (borrowed
  // for the call). Takes no lock and reads no file; allocates only for the
  // records. Exceptions from items leave both strings untouched.
  virtual unsigned long scan(DScanAreaImpl* area, unsigned long budget, ProgressCb* progress,
                             std::string& matchLog, std::string& scoreList) = 0;
};

// One dictionary: its items in configured order, under its name.
//
// Order of calls: construct, add_pattern for every item, then publish (wrap
// in a Ref and share); from then on only scan. add_pattern must never run
// alongside scan.
class ProfileDictionaryScanner : public DictionaryScannerImpl {
 public:
  explicit ProfileDictionaryScanner(std::string const& name);
  ~ProfileDictionaryScanner() override;

  // Makes the item the record describes (DictionaryFactory::createScanner)
  // and appends it. The record is borrowed for the call. A pattern whose item
  // cannot be made (Exception) is dropped silently and takes no place; other
  // exceptions pass through. Always returns 1.
  int add_pattern(__vmund_dictionary_item const* record);

  // Poll and record rules: ProgressCb::start() once (even with budget 0),
  // poll() before the first item and then whenever its interval has passed;
  // a false poll() ends the scan with the score reached so far.
  unsigned long scan(DScanAreaImpl* area, unsigned long budget, ProgressCb* progress,
                     std::string& matchLog, std::string& scoreList) override;

  std::string const& dictionaryName() const { return name; }
  std::list<Ref<DictionaryItemImpl>> const& itemList() const { return items; }

 private:
  std::list<Ref<DictionaryItemImpl>> items;
  std::string name;
};

// Several dictionaries as one: runs its members in order, each against the
// full threshold, and reports only the best member (the first of equals).
// Stops once a member reaches the threshold or ProgressCb::expired() is true
// after a member. The winner's records are appended exactly as the member
// wrote them into empty strings: no ";" before its score record.
class GroupDictionaryScanner : public DictionaryScannerImpl {
 public:
  GroupDictionaryScanner();
  ~GroupDictionaryScanner() override;

  // Appends a copy of the handle (the member gains a reference). Only while
  // the group is being built.
  void addScanner(Ref<DictionaryScannerImpl> const& scanner);

  unsigned long scan(DScanAreaImpl* area, unsigned long budget, ProgressCb* progress,
                     std::string& matchLog, std::string& scoreList) override;

  std::list<Ref<DictionaryScannerImpl>> const& memberList() const { return scanners; }

 private:
  std::list<Ref<DictionaryScannerImpl>> scanners;
};

}  // namespace Vessamund

#endif  // VESSAMUND_SCANNER_H_
