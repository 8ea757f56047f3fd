// The wildcard item: lower-cases its pattern once, then counts and reports
// the matches of src/items/wildcard_match.h part by part.
#include "vessamund/wildcard_item.h"

#include <cstdint>

#include "items/finding_hook.h"
#include "items/hinted_scan.h"
#include "items/wildcard_match.h"
#include "items/item_scan.h"

namespace Vessamund {

DictionaryWildcard::DictionaryWildcard(__vmund_dictionary_item const* record)
    : DictionaryItemImpl(record) {
  // The matcher folds text bytes A-Z only and compares them with the pattern
  // as it stands, so the pattern must hold no upper-case letters.
  for (char& c : pattern) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
}

unsigned long DictionaryWildcard::scan(DScanAreaImpl* area, unsigned long budget,
                                       DictionaryMatchLogger& logger) {
  return internal::scanWildcard(*this, area, budget, logger, nullptr);
}

namespace internal {

unsigned long scanWildcard(DictionaryItemImpl const& item, DScanAreaImpl* area,
                           unsigned long budget, DictionaryMatchLogger& logger,
                           CandidateTable::Cursor* hints) {
  char const* const identifier = item.pattern.c_str();
  FindingHook* const findings = FindingHook::current();
  return scanItemPartsAt(
      item, area, budget, /*skipAfterHit=*/false,
      [&](DScanAreaPart const& part, unsigned long wanted, uint32_t ordinal) -> unsigned long {
        // The matcher's first search starts at the part's first word, and
        // where it resumes depends on where earlier attempts stopped, so a
        // part is either skipped whole or matched from its start.
        if (hints != nullptr && hints->at(ordinal).state == PartCandidates::kNone) return 0;
        char const* const end = part.text + part.length;
        WildcardMatcher matcher(identifier, part.text, end);
        unsigned long count = 0;
        char const* cursor = part.text;
        while (count < wanted) {
          char const* start = nullptr;
          char const* after = matcher.find(cursor, &start);
          if (after == nullptr) break;
          ++count;
          logger.log(identifier, start, static_cast<uint32_t>(after - start));
          if (findings != nullptr) findings->counted(start, static_cast<uint32_t>(after - start), 1);
          cursor = after;
        }
        return count;
      });
}

}  // namespace internal
}  // namespace Vessamund
