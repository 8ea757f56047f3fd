// The plain-word item: non-overlapping, case-insensitive substring counts.
#include "vessamund/contain_item.h"

#include <cstring>

#include "scan/item_scan.h"

namespace Vessamund {

DictionaryContain::DictionaryContain(__vmund_dictionary_item const* record)
    : DictionaryItemImpl(record) {}

unsigned long DictionaryContain::scan(DScanAreaImpl* area, unsigned long budget,
                                      DictionaryMatchLogger& /*logger: plain words log nothing*/) {
  char const* const needle = pattern.c_str();
  size_t const needleLength = pattern.size();
  return internal::scanItemParts(
      *this, area, budget, /*skipAfterHit=*/false,
      [&](DScanAreaPart const& part, unsigned long wanted) -> unsigned long {
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

}  // namespace Vessamund
