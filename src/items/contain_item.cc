// The plain-word item: non-overlapping, case-insensitive substring counts.
#include "vessamund/contain_item.h"

#include <cstring>

#include "items/hinted_scan.h"
#include "items/item_scan.h"

namespace Vessamund {

DictionaryContain::DictionaryContain(__vmund_dictionary_item const* record)
    : DictionaryItemImpl(record) {}

unsigned long DictionaryContain::scan(DScanAreaImpl* area, unsigned long budget,
                                      DictionaryMatchLogger& /*logger: plain words log nothing*/) {
  return internal::scanContain(*this, area, budget, nullptr);
}

namespace internal {

unsigned long scanContain(DictionaryItemImpl const& item, DScanAreaImpl* area,
                          unsigned long budget, CandidateTable::Cursor* hints) {
  char const* const needle = item.pattern.c_str();
  size_t const needleLength = item.pattern.size();
  return scanItemPartsAt(
      item, area, budget, /*skipAfterHit=*/false,
      [&](DScanAreaPart const& part, unsigned long wanted, uint32_t ordinal) -> unsigned long {
        if (hints != nullptr) {
          PartCandidates const found = hints->at(ordinal);
          // Not in the part: the loop below would find nothing.
          if (found.state == PartCandidates::kNone) return 0;
          if (found.state == PartCandidates::kFound && found.countExact) {
            return found.count < wanted ? found.count : wanted;
          }
        }
        // strcasestr finds an empty pattern at the cursor without moving on,
        // so every wanted match is there at once.
        if (needleLength == 0) return wanted;
        // The part is read as a C string: text after a zero byte is never
        // searched, whatever `length` says.
        char const* cursor = part.text;
        unsigned long count = 0;
        while (count < wanted) {
          char const* hit = strcasestr(cursor, needle);
          if (hit == nullptr) break;
          ++count;
          cursor = hit + needleLength;
        }
        return count;
      });
}

}  // namespace internal
}  // namespace Vessamund
