// The plain-word item: non-overlapping, case-insensitive substring counts.
#include "vessamund/contain_item.h"

#include <cstring>

#include "items/finding_hook.h"
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

namespace {

// strcasestr's search-and-skip loop over a part read as a C string: text
// after a zero byte is never searched, whatever its length says. Reports
// each occurrence to `findings` when not null.
unsigned long countInPart(char const* text, char const* needle, size_t needleLength,
                          unsigned long wanted, FindingHook* findings) {
  // strcasestr finds an empty pattern at the cursor without moving on, so
  // every wanted match is there at once.
  if (needleLength == 0) {
    if (findings != nullptr) findings->counted(text, 0, wanted);
    return wanted;
  }
  char const* cursor = text;
  unsigned long count = 0;
  while (count < wanted) {
    char const* hit = strcasestr(cursor, needle);
    if (hit == nullptr) break;
    ++count;
    if (findings != nullptr) findings->counted(hit, static_cast<uint32_t>(needleLength), 1);
    cursor = hit + needleLength;
  }
  return count;
}

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// The leftmost occurrence of `needle` (`n` >= 1 bytes) inside [from, end),
// letters compared as strcasestr compares them in the C locale (ASCII only),
// or null. Finds candidate first bytes, in either case, with memchr, which
// is far quicker than strcasestr on long parts.
char const* findFolded(char const* from, char const* end, char const* needle, size_t n) {
  if (static_cast<size_t>(end - from) < n) return nullptr;
  char const lower = foldAscii(needle[0]);
  char const upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - ('a' - 'A')) : lower;
  char const* const stop = end - n + 1;  // candidates start before this
  // The next position of each at or after the search position; `stop` when
  // there is none; null before the first search.
  char const* lo = nullptr;
  char const* up = upper != lower ? nullptr : stop;
  auto next = [stop](char const* p, char c) {
    void const* found = std::memchr(p, c, static_cast<size_t>(stop - p));
    return found != nullptr ? static_cast<char const*>(found) : stop;
  };
  for (char const* p = from; p < stop;) {
    if (lo == nullptr || (lo < p && lo != stop)) lo = next(p, lower);
    if (up == nullptr || (up < p && up != stop)) up = next(p, upper);
    char const* c = lo < up ? lo : up;
    if (c == stop) return nullptr;
    size_t i = 1;
    while (i < n && foldAscii(c[i]) == foldAscii(needle[i])) ++i;
    if (i == n) return c;
    p = c + 1;
  }
  return nullptr;
}

// countInPart with every occurrence reported to `findings`, found with
// findFolded up to the part's first zero byte, as strcasestr would.
unsigned long locateInPart(DScanAreaPart const& part, char const* needle, size_t needleLength,
                           unsigned long wanted, FindingHook& findings) {
  if (needleLength == 0) return countInPart(part.text, needle, 0, wanted, &findings);
  char const* const end = part.text + strnlen(part.text, part.length);
  char const* cursor = part.text;
  unsigned long count = 0;
  while (count < wanted) {
    char const* hit = findFolded(cursor, end, needle, needleLength);
    if (hit == nullptr) break;
    ++count;
    findings.counted(hit, static_cast<uint32_t>(needleLength), 1);
    cursor = hit + needleLength;
  }
  return count;
}

}  // namespace

unsigned long scanContain(DictionaryItemImpl const& item, DScanAreaImpl* area,
                          unsigned long budget, CandidateTable::Cursor* hints) {
  char const* const needle = item.pattern.c_str();
  size_t const needleLength = item.pattern.size();
  FindingHook* const findings = FindingHook::current();
  if (hints == nullptr) {
    return scanItemParts(item, area, budget, /*skipAfterHit=*/false,
                         [&](DScanAreaPart const& part, unsigned long wanted) {
                           return countInPart(part.text, needle, needleLength, wanted, findings);
                         });
  }
  // A word logs nothing and reads no part twice, so its score is its count
  // over the parts it selects, in any order: the pass's sums, plus what the
  // parts they leave out hold.
  unsigned long const maxCount = maxMatchCount(item, budget);
  if (area == nullptr || maxCount == 0 || area->first() == nullptr) return 0;
  CountTotals const totals = hints->totals(item.scan_area);
  if (findings != nullptr) {
    // Findings need each counted occurrence's place, in walk order, which
    // the pass does not keep: find them part by part, as the loop above
    // would, and stop once the pass's total is reached.
    unsigned long const target =
        !totals.readParts && totals.count < maxCount ? static_cast<unsigned long>(totals.count)
                                                     : maxCount;
    unsigned long found = 0;
    PartSelector selector(item.scan_area, /*skipAfterHit=*/false);
    for (DScanAreaPart* part = area->first(); part != nullptr && found < target;
         part = area->next()) {
      if (!selector.select(*part) || part->text == nullptr) continue;
      found += locateInPart(*part, needle, needleLength, target - found, *findings);
    }
    return itemScore(found, item.weight);
  }
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
      count += countInPart(part->text, needle, needleLength, maxCount - count, nullptr);
    }
  }
  return itemScore(count, item.weight);
}

}  // namespace internal
}  // namespace Vessamund
