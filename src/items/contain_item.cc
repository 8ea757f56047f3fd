// The plain-word item: non-overlapping, case-insensitive substring counts.
#include "vessamund/contain_item.h"

#include <cstring>

#include "items/finding_hook.h"
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

unsigned long scanContain(DictionaryItemImpl const& item, DScanAreaImpl* area,
                          unsigned long budget, CandidateTable::Cursor* hints) {
  char const* const needle = item.pattern.c_str();
  size_t const needleLength = item.pattern.size();
  FindingHook* const findings = FindingHook::current();
  return scanItemPartsAt(
      item, area, budget, /*skipAfterHit=*/false,
      [&](DScanAreaPart const& part, unsigned long wanted, uint32_t ordinal) -> unsigned long {
        if (hints != nullptr) {
          PartCandidates const found = hints->at(ordinal);
          // Not in the part: the loop below would find nothing.
          if (found.state == PartCandidates::kNone) return 0;
          // Findings need each occurrence's place, which only the loop knows.
          if (found.state == PartCandidates::kFound && found.countExact && findings == nullptr) {
            return found.count < wanted ? found.count : wanted;
          }
        }
        // strcasestr finds an empty pattern at the cursor without moving on,
        // so every wanted match is there at once.
        if (needleLength == 0) {
          if (findings != nullptr) findings->counted(part.text, 0, wanted);
          return wanted;
        }
        // The part is read as a C string: text after a zero byte is never
        // searched, whatever `length` says.
        char const* cursor = part.text;
        unsigned long count = 0;
        while (count < wanted) {
          char const* hit = strcasestr(cursor, needle);
          if (hit == nullptr) break;
          ++count;
          if (findings != nullptr) findings->counted(hit, static_cast<uint32_t>(needleLength), 1);
          cursor = hit + needleLength;
        }
        return count;
      });
}

}  // namespace internal
}  // namespace Vessamund
