// Scanners: one dictionary (profile) or a group of dictionaries, scanned over
// a whole message.
#ifndef VESSAMUND_SCANNER_H_
#define VESSAMUND_SCANNER_H_

#include <string>
#include <vector>

#include "vessamund/VmundRefcounted"
#include "vessamund/dictionary_item.h"
#include "vessamund/scan_area.h"

namespace Vessamund {

namespace internal {
class ProfileContents;
}  // namespace internal

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
  //              MATCHES is a DPMatchLogger text of capacity 1024 minus
  //              matchLog's length before the scan (0 once matchLog holds
  //              1024 bytes), so the match log stays near 1 KiB.
  // Scores are decimal. `budget` 0 scans nothing and returns 0. `area` and
  // `progress` are borrowed for the call; `progress` may be null. Takes no
  // lock and reads no file; allocates only for the match text and the
  // records. An exception from an item leaves both strings untouched.
  virtual unsigned long scan(DScanAreaImpl* area, unsigned long budget, ProgressCb* progress,
                             std::string& matchLog, std::string& scoreList) = 0;
};

// One dictionary: its items in configured order, under its name.
//
// Order of calls: construct, add_pattern (or addItem) for every item in
// order, prepare(), then publish (wrap in a Ref and share); from then on
// only scan.
// Adding must never run alongside scan. A pattern that add_pattern drops
// takes no place in the order.
//
// Once its items are fixed a scanner prepares, for all threads, one pass
// that tells each item where in a message it can match, so that a scan reads
// every part about once instead of once per item. The factory prepares it
// before handing the scanner out; a host calls prepare() before publishing,
// or the first scan prepares it (then possibly on several threads at once,
// if they all scan first together). Adding an item drops it. Scores and
// records are those of every item reading every part.
class ProfileDictionaryScanner : public DictionaryScannerImpl {
 public:
  explicit ProfileDictionaryScanner(std::string const& name);
  // Releases the items in list order.
  ~ProfileDictionaryScanner() override;
  ProfileDictionaryScanner(ProfileDictionaryScanner const&) = delete;
  ProfileDictionaryScanner& operator=(ProfileDictionaryScanner const&) = delete;

  // Makes the item the record describes (the item
  // DictionaryFactory::createScanner makes for it) and appends it. The
  // record is borrowed for the call. A pattern whose item cannot be made
  // (Exception) is dropped silently; other exceptions (std::bad_alloc) pass
  // through. Always returns 1.
  int add_pattern(__vmund_dictionary_item const* record);

  // Appends an item made elsewhere (a copy of the handle). The one pass
  // knows nothing of such an item (it may be a host's own class): it runs
  // its own scan over every part, as without the pass.
  // REQUIRES: `item` is bound to an item.
  void addItem(Ref<DictionaryItemImpl> const& item);

  // Prepares the one pass for the items added so far, unless it is
  // prepared already. Configuration work (allocates, compiles; long for
  // large dictionaries), for after the last add and before the scanner is
  // shared. May throw std::bad_alloc.
  void prepare();

  // Steps: ProgressCb::start(area, matchText) once, even with budget 0, its
  // result being the poll interval in seconds. Unless budget is 0 or there
  // are no items, each item in order is asked for its score against the
  // threshold still to reach (budget minus the score so far), until the
  // score reaches budget. Before an item, poll() is called when the interval
  // has passed since the last poll (always before the first item; before
  // every item with interval 0); a false poll() ends the scan with the score
  // reached so far. The score saturates at ULONG_MAX instead of wrapping.
  // A score of 0 appends nothing. Clock: time(), whole seconds.
  unsigned long scan(DScanAreaImpl* area, unsigned long budget, ProgressCb* progress,
                     std::string& matchLog, std::string& scoreList) override;

  std::string const& dictionaryName() const { return name; }
  // The items in order. Valid until the next add.
  std::vector<Ref<DictionaryItemImpl>> const& itemList() const;

 private:
  std::string name;
  internal::ProfileContents* contents_;  // owned; never null
};

// Several dictionaries as one: runs its members in order, each against the
// full threshold with the same progress callback and fresh empty strings,
// and reports only the best member (the first of equals). Stops once the
// best score reaches the threshold, or when ProgressCb::expired(), asked
// after every member, is true. The winner's records are appended exactly as
// the member wrote them into empty strings: its score record has no ";"
// before it and is not held to the 256-character limit. Budget 0 or no
// members: returns 0 without calling any member or callback. Holds its
// members alive whatever becomes of their cache entries.
class GroupDictionaryScanner : public DictionaryScannerImpl {
 public:
  GroupDictionaryScanner();
  // Releases the members in list order.
  ~GroupDictionaryScanner() override;

  // Appends a copy of the handle (the member gains a reference). Only while
  // the group is being built. REQUIRES: `scanner` is bound to a scanner (an
  // empty one makes scan throw Exception code 1).
  void addScanner(Ref<DictionaryScannerImpl> const& scanner);

  unsigned long scan(DScanAreaImpl* area, unsigned long budget, ProgressCb* progress,
                     std::string& matchLog, std::string& scoreList) override;

  std::vector<Ref<DictionaryScannerImpl>> const& memberList() const { return scanners; }

 private:
  std::vector<Ref<DictionaryScannerImpl>> scanners;
};

}  // namespace Vessamund

#endif  // VESSAMUND_SCANNER_H_
