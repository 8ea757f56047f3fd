// The scoring frame every item shares: how many matches an item may count for
// a budget, which parts it reads, and the part loop that ties them together.
// Items supply only "count the matches in this part, at most N".
#ifndef VESSAMUND_SRC_SCAN_ITEM_SCAN_H_
#define VESSAMUND_SRC_SCAN_ITEM_SCAN_H_

#include <climits>
#include <cstdint>

#include "vessamund/dictionary_item.h"
#include "vessamund/exception.h"
#include "vessamund/scan_area.h"

namespace Vessamund {
namespace internal {

// The number of matches an item may count: ceil(limit / weight), where limit
// is the item's cap (when it has one) or the budget, whichever is smaller.
// 0 for a weight of 0, so such an item never counts.
inline unsigned long maxMatchCount(DictionaryItemImpl const& item, unsigned long budget) {
  unsigned long limit = item.max_limit ? Vessamund::min(item.max_weight, budget) : budget;
  if (item.weight == 0) return 0;
  return limit / item.weight + (limit % item.weight != 0 ? 1 : 0);
}

// count * weight, saturating instead of wrapping: a budget near ULONG_MAX
// rounds maxCount up past what an unsigned long can hold times the weight.
inline unsigned long itemScore(unsigned long count, uint16_t weight) {
  if (weight != 0 && count > ULONG_MAX / weight) return ULONG_MAX;
  return count * weight;
}

// Decides, part by part in walk order, which parts an item reads.
//
// kind = flags & 15. A part that starts a run of a new kind is tested with
// mask (kind == 8 ? 1 : kind); a part continuing the run with its whole flags
// word. With skipAfterHit (regex and identifier items), the kind-8 part that
// directly follows a run in which the item counted a match is skipped
// untested.
class PartSelector {
 public:
  PartSelector(uint16_t scanArea, bool skipAfterHit)
      : scanArea_(scanArea), skipAfterHit_(skipAfterHit) {}

  // True when `part` is to be read. Call once per part, in walk order.
  bool select(DScanAreaPart const& part) {
    unsigned kind = part.flags & 15u;
    unsigned mask;
    if (kind != prevKind_) {
      prevKind_ = kind;
      if (skipAfterHit_ && kind == 8 && hitInRun_) {
        hitInRun_ = false;
        return false;
      }
      hitInRun_ = false;
      mask = kind == 8 ? 1u : kind;
    } else {
      mask = part.flags;
    }
    lastMask_ = static_cast<uint16_t>(mask);
    return (mask & scanArea_) != 0;
  }

  // Call after a read part in which at least one match counted.
  void hit() { hitInRun_ = true; }

  // The mask the last part selected was tested with: an item with another
  // scan_area would select that part exactly when its area shares a bit.
  uint16_t lastMask() const { return lastMask_; }

 private:
  uint16_t scanArea_;
  bool skipAfterHit_;
  unsigned prevKind_ = 0;
  bool hitInRun_ = false;
  uint16_t lastMask_ = 0;
};

// The part loop of every item. `countPart(part, wanted, ordinal)` counts at
// most `wanted` (>= 1) matches in a selected part with non-null text and
// returns how many it counted; `ordinal` is the part's position in the walk
// (0 for the part first() returned), selected or not. Returns the item's
// score.
template <class CountPart>
unsigned long scanItemPartsAt(DictionaryItemImpl const& item, DScanAreaImpl* area,
                              unsigned long budget, bool skipAfterHit, CountPart&& countPart) {
  if (area == nullptr) return 0;
  unsigned long const maxCount = maxMatchCount(item, budget);
  DScanAreaPart* part = area->first();
  if (part == nullptr || maxCount == 0) return 0;
  PartSelector selector(item.scan_area, skipAfterHit);
  unsigned long count = 0;
  for (uint32_t ordinal = 0; part != nullptr && count < maxCount; part = area->next(), ++ordinal) {
    if (!selector.select(*part) || part->text == nullptr) continue;
    unsigned long n = countPart(*part, maxCount - count, ordinal);
    if (n != 0) {
      count += n;
      selector.hit();
    }
  }
  return itemScore(count < maxCount ? count : maxCount, item.weight);
}

// The same loop for a `countPart(part, wanted)` that needs no ordinal.
template <class CountPart>
unsigned long scanItemParts(DictionaryItemImpl const& item, DScanAreaImpl* area,
                            unsigned long budget, bool skipAfterHit, CountPart&& countPart) {
  return scanItemPartsAt(item, area, budget, skipAfterHit,
                         [&](DScanAreaPart const& part, unsigned long wanted, uint32_t) {
                           return countPart(part, wanted);
                         });
}

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_ITEM_SCAN_H_
