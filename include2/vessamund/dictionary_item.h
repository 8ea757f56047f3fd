// The item record that describes one pattern, and the abstract item that a
// record becomes.
#ifndef VESSAMUND_DICTIONARY_ITEM_H_
#define VESSAMUND_DICTIONARY_ITEM_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "vessamund/VmundRefcounted"
#include "vessamund/match_logger.h"
#include "vessamund/scan_area.h"

// One pattern of a dictionary as the loaders and hosts pass it. Plain record,
// natural alignment, field order and widths fixed (hosts compile against it).
//
// pattern_type codes: 1 regular expression, 3 plain word or phrase, 256..273
// the eighteen identifier detectors (see predefined_items.h), anything else a
// wildcard pattern.
// pattern_scan_area: bit mask matched against part kinds (see
// DictionaryItemImpl). pattern_max_weight applies only when pattern_max_limit
// is non-zero. pattern_status 0 marks a disabled row (loaders skip it).
struct __vmund_dictionary_item {
  uint32_t reserved;      // never read or written by the library
  char pattern[256];      // zero-terminated: at most 255 characters
  uint16_t pattern_type;
  uint16_t pattern_weight;  // score of one counted match
  uint8_t pattern_scan_area;
  uint16_t pattern_max_weight;
  uint8_t pattern_max_limit;
  uint8_t pattern_status;
};

// The layout crosses the library boundary; a change here breaks every host.
static_assert(offsetof(__vmund_dictionary_item, pattern) == 4, "record layout");
static_assert(offsetof(__vmund_dictionary_item, pattern_type) == 260, "record layout");
static_assert(offsetof(__vmund_dictionary_item, pattern_weight) == 262, "record layout");
static_assert(offsetof(__vmund_dictionary_item, pattern_scan_area) == 264, "record layout");
static_assert(offsetof(__vmund_dictionary_item, pattern_max_weight) == 266, "record layout");
static_assert(offsetof(__vmund_dictionary_item, pattern_max_limit) == 268, "record layout");
static_assert(offsetof(__vmund_dictionary_item, pattern_status) == 269, "record layout");
static_assert(sizeof(__vmund_dictionary_item) == 272, "record layout");

namespace Vessamund {

// One pattern with its scoring rules. Immutable once constructed, so one item
// may be scanned by any number of threads at once (each with its own area and
// logger). Held through Ref<DictionaryItemImpl>; made by
// DictionaryFactory::createScanner.
//
// Scoring, shared by every item: limit = max_limit ? min(max_weight, budget)
// : budget; the item counts at most maxCount = ceil(limit / weight) matches
// and returns count * weight, so a score may pass `limit` by less than one
// weight. A weight of 0 (possible only from a host's own record) makes an item
// that never counts and scores 0.
//
// Part selection: an item walks every part; with kind = flags & 15, a part
// that starts a run of a new kind is tested with mask (kind == 8 ? 1 : kind),
// a part continuing a run with its whole flags word; it is scanned when the
// mask shares a bit with scan_area. Regex and identifier items also skip the
// kind-8 part that directly follows a run in which they counted a match.
class DictionaryItemImpl : public RefImpl {
 public:
  // Copies the scoring fields and the pattern text (up to its zero byte, at
  // most 255 bytes). The record is borrowed for the call.
  explicit DictionaryItemImpl(__vmund_dictionary_item const* record);
  ~DictionaryItemImpl() override;

  // Counts this item's matches in the selected parts of `area`, reports
  // accepted matches to `logger` (plain-word items report none) and returns
  // count * weight. `budget` is the score the dictionary still has to reach;
  // 0 scores 0 without reading text. Never throws on content; allocates
  // nothing except through `logger`. `area` is walked from first().
  virtual unsigned long scan(DScanAreaImpl* area, unsigned long budget,
                             DictionaryMatchLogger& logger) = 0;

  uint16_t weight;
  uint16_t scan_area;
  uint16_t max_weight;
  bool max_limit;
  std::string pattern;
};

}  // namespace Vessamund

#endif  // VESSAMUND_DICTIONARY_ITEM_H_
