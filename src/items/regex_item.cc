// DictionaryRegex: an administrator's regular expression, compiled once and
// counted through the engine with the plain logging validator.
#include "vessamund/regex_item.h"

#include <string>

#include "items/convert_pattern.h"
#include "items/finding_hook.h"
#include "items/hinted_scan.h"
#include "items/item_scan.h"
#include "vessamund/validators.h"

namespace Vessamund {

namespace {

// Area tags, recognised only as the first nine bytes and only for an item
// whose scan_area is exactly 1: they narrow the item to one area.
constexpr char kHeaderTag[] = "[MHeAdEr]";  // headers only (area 4)
constexpr char kBodyTag[] = "[EHeAdEr]";    // body only (area 1)
constexpr size_t kTagLength = sizeof kHeaderTag - 1;
static_assert(sizeof kBodyTag - 1 == kTagLength, "both tags are skipped by one length");

// Backtracking bound handed to the engine per search: administrators' own
// expressions get more room than the fixed identifier patterns.
constexpr int kMatchLimit = 200000;

bool startsWith(std::string const& text, char const* tag) {
  return text.compare(0, kTagLength, tag) == 0;
}

}  // namespace

DictionaryRegex::DictionaryRegex(__vmund_dictionary_item const* record)
    : DictionaryItemImpl(record) {
  // A regex item whose area includes the body (1) also reads the headers (4),
  // unless its area is the body alone and a tag narrows it to one of the two.
  // With any other area a tag is plain text of the expression.
  size_t skip = 0;
  if (scan_area == 1) {
    if (startsWith(pattern, kHeaderTag)) {
      scan_area = 4;
      skip = kTagLength;
    } else if (startsWith(pattern, kBodyTag)) {
      skip = kTagLength;
    } else {
      scan_area = 5;
    }
  } else if (scan_area & 1) {
    scan_area |= 4;
  }

  unsigned int options = 0;
  Buffer converted = internal::convertPattern(pattern.c_str() + skip, &options);
  // The text carries convertPattern's terminating zero byte in its length;
  // the engine compiles up to it.
  std::string text;
  if (converted.length() != 0) {
    text.assign(reinterpret_cast<char const*>(converted.data()), converted.length());
  }
  expression.pattern(text, options, true);
}

DictionaryRegex::~DictionaryRegex() {}

unsigned long DictionaryRegex::scan(DScanAreaImpl* area, unsigned long budget,
                                    DictionaryMatchLogger& logger) {
  return internal::scanRegex(*this, area, budget, logger, nullptr);
}

namespace internal {

unsigned long scanRegex(DictionaryRegex const& item, DScanAreaImpl* area, unsigned long budget,
                        DictionaryMatchLogger& logger, CandidateTable::Cursor* hints) {
  Regex::Re_Logger logging(logger);
  CountedCandidates counted(logging, FindingHook::current(), /*group=*/0);
  Regex::Re_Validator* const validator = counted.active();
  return scanItemPartsAt(
      item, area, budget, /*skipAfterHit=*/true,
      [&](DScanAreaPart const& part, unsigned long wanted, uint32_t ordinal) -> unsigned long {
        // Without a match in the part the engine finds nothing, whatever
        // else happens in its search (a match limit met, say).
        if (hints != nullptr && hints->at(ordinal).state == PartCandidates::kNone) return 0;
        return item.expression.matches(part.text, part.length, wanted, 0, validator,
                                       kMatchLimit, nullptr);
      });
}

}  // namespace internal

}  // namespace Vessamund
