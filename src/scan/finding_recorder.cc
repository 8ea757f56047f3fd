// Findings of a scan: the thread's list, the scope that names it, and the
// recorder a profile scan puts between its items and the area.
#include "scan/finding_recorder.h"

#include <algorithm>
#include <typeinfo>

#include "items/hinted_scan.h"
#include "items/kinds/pattern_kind.h"
#include "vessamund/contain_item.h"
#include "vessamund/regex_item.h"
#include "vessamund/wildcard_item.h"

namespace Vessamund {

namespace {
thread_local FindingList* tActiveList = nullptr;
}  // namespace

FindingList::FindingList(size_t capacity) : capacity_(capacity) { found_.reserve(capacity); }

FindingScope::FindingScope(FindingList& list) : previous_(tActiveList) { tActiveList = &list; }

FindingScope::~FindingScope() { tActiveList = previous_; }

namespace internal {

namespace {

// The code of an item appended whole, whose kind the scanner was not told
// (a reference twin's items): only asked while findings are recorded.
uint16_t codeOf(DictionaryItemImpl const& item) {
  std::type_info const& type = typeid(item);
  if (type == typeid(DictionaryRegex)) return 1;
  if (type == typeid(DictionaryWildcard)) return 2;
  if (type == typeid(DictionaryContain)) return 3;
  // A detector's item keeps its kind's fixed pattern text.
  size_t count = 0;
  PatternKind const* kinds = patternKinds(&count);
  for (size_t i = 0; i < count; ++i)
    if (kinds[i].label != nullptr && item.pattern == kinds[i].label) return kinds[i].code;
  return 0;
}

}  // namespace

FindingList* FindingListAccess::active() { return tActiveList; }

void FindingListAccess::setActive(FindingList* list) { tActiveList = list; }

void FindingListAccess::add(FindingList& list, Finding const& f, unsigned long times) {
  // Room was reserved up front: push_back below capacity never reallocates.
  size_t const room = list.capacity_ - list.found_.size();
  unsigned long const kept = times < room ? times : static_cast<unsigned long>(room);
  for (unsigned long i = 0; i < kept; ++i) list.found_.push_back(f);
  list.dropped_ += times - kept;
}

void FindingListAccess::cut(FindingList& list, Mark from, Mark to) {
  list.found_.erase(list.found_.begin() + static_cast<std::ptrdiff_t>(from.size),
                    list.found_.begin() + static_cast<std::ptrdiff_t>(to.size));
  list.dropped_ -= to.dropped - from.dropped;
}

FindingRecorder::FindingRecorder(std::string const& dictionary, DScanAreaImpl* area)
    : list_(FindingListAccess::active()), inner_(area) {
  if (list_ == nullptr) return;
  finding_.dictionary = dictionary.c_str();
  previousHook_ = FindingHook::current_;
  FindingHook::current_ = this;
}

FindingRecorder::~FindingRecorder() {
  if (list_ != nullptr) FindingHook::current_ = previousHook_;
}

void FindingRecorder::setItem(size_t index, DictionaryItemImpl const& item,
                              PatternKind const* kind) {
  finding_.item = static_cast<uint32_t>(index);
  finding_.pattern = item.pattern.c_str();
  finding_.patternType = kind != nullptr ? kind->code : codeOf(item);
  finding_.kind = identifierKindName(finding_.patternType);
}

void FindingRecorder::counted(char const* start, uint32_t length, unsigned long times) {
  // Items report spans inside the part they read now, which this walk
  // handed them.
  finding_.offset = partText_ != nullptr && start >= partText_
                        ? static_cast<uint32_t>(start - partText_)
                        : 0;
  finding_.length = length;
  FindingListAccess::add(*list_, finding_, times);
}

DScanAreaPart* FindingRecorder::first() {
  finding_.part = 0;
  return follow(inner_->first());
}

DScanAreaPart* FindingRecorder::next() {
  ++finding_.part;
  return follow(inner_->next());
}

}  // namespace internal
}  // namespace Vessamund
