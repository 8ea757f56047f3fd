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

namespace {

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// The first occurrence of `needle` (`n` >= 1 bytes) that starts in [from,
// lastStart], letters compared as strcasestr compares them in the C locale
// (ASCII only), or null. Finds candidate first bytes, in either case, with
// memchr.
char const* findFolded(char const* from, char const* lastStart, char const* needle, size_t n) {
  char const lower = foldAscii(needle[0]);
  char const upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - ('a' - 'A')) : lower;
  char const* const end = lastStart + 1;  // candidates start before this
  // The next position of each at or after the search position; `end` when
  // there is none; null before the first search.
  char const* lo = nullptr;
  char const* up = upper != lower ? nullptr : end;
  auto next = [end](char const* p, char c) {
    void const* found = std::memchr(p, c, static_cast<size_t>(end - p));
    return found != nullptr ? static_cast<char const*>(found) : end;
  };
  for (char const* p = from; p < end;) {
    if (lo == nullptr || (lo < p && lo != end)) lo = next(p, lower);
    if (up == nullptr || (up < p && up != end)) up = next(p, upper);
    char const* c = lo < up ? lo : up;
    if (c == end) return nullptr;
    size_t i = 1;
    while (i < n && foldAscii(c[i]) == foldAscii(needle[i])) ++i;
    if (i == n) return c;
    p = c + 1;
  }
  return nullptr;
}

}  // namespace

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
          if (found.state == PartCandidates::kFound && found.countExact) {
            unsigned long const count = found.count < wanted ? found.count : wanted;
            if (findings == nullptr) return count;
            // The count is exact: the part holds no zero byte and that many
            // occurrences, which findings need the places of.
            // The pass knows where the first and the last occurrence end;
            // those between are searched for between them.
            uint32_t const length = static_cast<uint32_t>(needleLength);
            if (count == 0 || length == 0) return count;
            char const* hit = part.text + found.firstEnd - length;
            findings->counted(hit, length, 1);
            char const* const last = part.text + found.lastEnd - length;
            for (unsigned long i = 1; i < count; ++i) {
              hit = i + 1 == found.count ? last
                                         : findFolded(hit + length, last, needle, needleLength);
              if (hit == nullptr) break;  // cannot happen while the count is exact
              findings->counted(hit, length, 1);
            }
            return count;
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
