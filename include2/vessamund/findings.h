// Findings: every match that counted towards a score, with where it lies, for
// hosts that must say what matched and where without printing the records.
//
// The score and match records stay as they are; findings are a second view
// of the same scan, asked for per thread:
//
//   Vessamund::FindingList findings;           // once per thread; reused
//   {
//     Vessamund::FindingScope asking(findings);
//     findings.clear();
//     score = scanner->scan(area, budget, progress, matchLog, scoreList);
//   }
//   for (Vessamund::Finding const& f : findings) ...
//
// A scan that nobody asks for findings does what it always did, at the cost
// of one thread-local read per dictionary and item.
#ifndef VESSAMUND_FINDINGS_H_
#define VESSAMUND_FINDINGS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vessamund {

namespace internal {
struct FindingListAccess;
}  // namespace internal

// One match that counted: it added the item's weight to the dictionary's
// score (so a match past an item's cap or the threshold is not one).
// Plain data; the pointers are borrowed from the scanner and its items and
// stay valid as long as the scanner that produced the finding is alive.
struct Finding {
  // The dictionary's name (the member's name for a group scan). Never null.
  char const* dictionary;
  // The item's pattern text as the item keeps it: wildcards lower-cased, an
  // identifier detector's fixed name ("CreditCard"). Never null.
  char const* pattern;
  // For an identifier detector its short name ("creditcard", "ussn", as
  // identifierKindName gives); null for every other item.
  char const* kind;
  // Position of the item in its dictionary: 0 for the first item added
  // (patterns that add_pattern dropped take no position).
  uint32_t item;
  // 1 regular expression, 2 wildcard, 3 plain word, 256..273 an identifier
  // detector; 0 for an item class the library does not know (a host's own).
  uint16_t patternType;
  // Position of the part in the area: 0 for the part first() returns.
  uint32_t part;
  // The matched bytes: `length` bytes from `offset` in the part's text. A
  // word or wildcard gives the bytes it matched, a regular expression its
  // whole match, an identifier detector the identifier alone (without the
  // surrounding characters its expression looks at). An empty plain word
  // gives length 0 at offset 0, once per counted match.
  uint32_t offset;
  uint32_t length;
};

// The short name of an identifier detector's pattern-type code, as
// administrators write it ("creditcard" for 258, "ussn" for 257, ...);
// null outside 256..273. A static string.
char const* identifierKindName(uint16_t code);

// Where a thread's scans put their findings, in the order the matches
// counted: dictionaries in scan order, within a dictionary its items in
// order, within an item its parts in walk order and matches from the start
// of each part. A group scan keeps only its winning member's findings (the
// member whose records it reports); the other members' are taken out again.
//
// Bounded: the list reserves `capacity` findings when it is made and never
// grows, so a scan allocates nothing for findings. A match that counts once
// the list is full is only counted in dropped(). One list serves one thread
// at a time; it may be read once the scan has returned.
class FindingList {
 public:
  static constexpr size_t kDefaultCapacity = 4096;

  // Allocates room for `capacity` findings (0 is allowed: everything is
  // dropped). May throw std::bad_alloc.
  explicit FindingList(size_t capacity = kDefaultCapacity);
  FindingList(FindingList const&) = delete;
  FindingList& operator=(FindingList const&) = delete;

  size_t size() const { return found_.size(); }
  bool empty() const { return found_.empty(); }
  size_t capacity() const { return capacity_; }
  // REQUIRES: i < size().
  Finding const& operator[](size_t i) const { return found_[i]; }
  Finding const* begin() const { return found_.data(); }
  Finding const* end() const { return found_.data() + found_.size(); }

  // Matches that counted while the list was full.
  unsigned long dropped() const { return dropped_; }

  // Forgets every finding and the dropped count; keeps the room.
  void clear() {
    found_.clear();
    dropped_ = 0;
  }

 private:
  friend struct internal::FindingListAccess;
  std::vector<Finding> found_;  // never past capacity_, so never reallocated
  size_t capacity_;
  unsigned long dropped_ = 0;
};

// While one lives, every dictionary or group scan that the constructing
// thread runs appends its findings to `list` (borrowed: it must outlive the
// scope). Scopes nest; the innermost one wins and the one before it is
// restored when it ends. Not for use across threads: make the scope on the
// thread that scans, and end it on that thread. Allocates nothing, never
// throws.
//
// Findings come from the library's own items (plain words, wildcards,
// regular expressions, the eighteen detectors). If a scan throws, the list
// may hold findings of the scan that failed.
class FindingScope {
 public:
  explicit FindingScope(FindingList& list);
  ~FindingScope();
  FindingScope(FindingScope const&) = delete;
  FindingScope& operator=(FindingScope const&) = delete;

 private:
  FindingList* previous_;
};

}  // namespace Vessamund

#endif  // VESSAMUND_FINDINGS_H_
