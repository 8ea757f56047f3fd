// One dictionary scan's findings recorder: follows the walk over the area to
// know which part an item reads, and turns the items' reports (finding_hook.h)
// into Findings in the thread's FindingList (vessamund/findings.h).
#ifndef VESSAMUND_SRC_SCAN_FINDING_RECORDER_H_
#define VESSAMUND_SRC_SCAN_FINDING_RECORDER_H_

#include <cstdint>
#include <string>

#include "items/finding_hook.h"
#include "items/kinds/pattern_kind.h"
#include "vessamund/dictionary_item.h"
#include "vessamund/findings.h"
#include "vessamund/scan_area.h"

namespace Vessamund {
namespace internal {

// What scanners may do with a FindingList beyond its public interface.
struct FindingListAccess {
  // The list the thread's FindingScope names, or null.
  static FindingList* active();
  static void setActive(FindingList* list);

  static void add(FindingList& list, Finding const& f, unsigned long times);
  // Where a scan's findings start: the size and the dropped count.
  struct Mark {
    size_t size;
    unsigned long dropped;
  };
  static Mark mark(FindingList const& list) { return {list.found_.size(), list.dropped_}; }
  // Takes back everything after `m`.
  static void rewind(FindingList& list, Mark m) {
    list.found_.resize(m.size);
    list.dropped_ = m.dropped;
  }
  // Takes out what lies between `from` and `to` (an earlier result that a
  // later one replaces), keeping what came after `to`.
  static void cut(FindingList& list, Mark from, Mark to);
};

// Inert (area() is the area itself, no hook installed) when the thread has
// no FindingList; otherwise wraps the area and is the thread's hook until it
// goes. Lives on the stack of one profile scan.
class FindingRecorder : public FindingHook, public DScanAreaImpl {
 public:
  FindingRecorder(std::string const& dictionary, DScanAreaImpl* area);
  ~FindingRecorder() override;
  FindingRecorder(FindingRecorder const&) = delete;
  FindingRecorder& operator=(FindingRecorder const&) = delete;

  // The area the items are to walk.
  DScanAreaImpl* area() { return list_ != nullptr ? this : inner_; }

  // The dictionary's item number `index` is about to be asked; `kind` is its
  // row of the pattern-kind table, or null for an item appended whole.
  void beginItem(size_t index, DictionaryItemImpl const& item, PatternKind const* kind) {
    if (list_ != nullptr) setItem(index, item, kind);
  }

  void counted(char const* start, uint32_t length, unsigned long times) override;
  DScanAreaPart* first() override;
  DScanAreaPart* next() override;

 private:
  void setItem(size_t index, DictionaryItemImpl const& item, PatternKind const* kind);
  DScanAreaPart* follow(DScanAreaPart* part) {
    partText_ = part != nullptr ? part->text : nullptr;
    return part;
  }

  FindingList* list_;
  DScanAreaImpl* inner_;
  FindingHook* previousHook_ = nullptr;
  Finding finding_{};        // dictionary and item filled in; part and span per report
  char const* partText_ = nullptr;
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_FINDING_RECORDER_H_
