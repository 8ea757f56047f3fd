// The plain-word item: non-overlapping, case-insensitive substring counts.
#include "vessamund/contain_item.h"

#include <cstring>

#include "items/hinted_scan.h"
#include "scan/item_scan.h"

namespace Vessamund {

DictionaryContain::DictionaryContain(__vmund_dictionary_item const* record)
    : DictionaryItemImpl(record) {}

unsigned long DictionaryContain::scan(DScanAreaImpl* area, unsigned long budget,
                                      DictionaryMatchLogger& /*logger: plain words log nothing*/) {
  return internal::scanContain(*this, area, budget, nullptr);
}

namespace internal {

namespace {

// strcasestr's search-and-skip loop over a part read as a C string: text
// after a zero byte is never searched, whatever its length says.
unsigned long countInPart(char const* text, char const* needle, size_t needleLength,
                          unsigned long wanted) {
  // strcasestr finds an empty pattern at the cursor without moving on, so
  // every wanted match is there at once.
  if (needleLength == 0) return wanted;
  char const* cursor = text;
  unsigned long count = 0;
  while (count < wanted) {
    char const* hit = strcasestr(cursor, needle);
    if (hit == nullptr) break;
    ++count;
    cursor = hit + needleLength;
  }
  return count;
}

}  // namespace

unsigned long scanContain(DictionaryItemImpl const& item, DScanAreaImpl* area,
                          unsigned long budget, CandidateTable::Cursor* hints) {
  char const* const needle = item.pattern.c_str();
  size_t const needleLength = item.pattern.size();
  if (hints == nullptr) {
    return scanItemParts(item, area, budget, /*skipAfterHit=*/false,
                         [&](DScanAreaPart const& part, unsigned long wanted) {
                           return countInPart(part.text, needle, needleLength, wanted);
                         });
  }
  // A word logs nothing and reads no part twice, so its score is its count
  // over the parts it selects, in any order: the pass's sums, plus what the
  // parts they leave out hold.
  unsigned long const maxCount = maxMatchCount(item, budget);
  if (area == nullptr || maxCount == 0 || area->first() == nullptr) return 0;
  CountTotals const totals = hints->totals(item.scan_area);
  unsigned long count = totals.count < maxCount ? static_cast<unsigned long>(totals.count)
                                                : maxCount;
  if (totals.readParts && count < maxCount) {
    PartSelector selector(item.scan_area, /*skipAfterHit=*/false);
    uint32_t ordinal = 0;
    for (DScanAreaPart* part = area->first(); part != nullptr && count < maxCount;
         part = area->next(), ++ordinal) {
      if (!selector.select(*part) || part->text == nullptr || !hints->readsPart(ordinal)) {
        continue;
      }
      count += countInPart(part->text, needle, needleLength, maxCount - count);
    }
  }
  return itemScore(count, item.weight);
}

}  // namespace internal
}  // namespace Vessamund
