// The eighteen identifier detectors. What sets each kind apart (code, name,
// built-in expressions, validator) is its row of the pattern-kind table
// (pattern_kinds.cc); they share one scan loop (identifier_scan.cc).
#include "vessamund/predefined_items.h"

#include "items/hinted_scan.h"
#include "items/kinds/pattern_kind.h"

namespace Vessamund {

// The classes differ only in their row of the pattern-kind table.
#define VMUND_DEFINE_PREDEFINED_ITEM(Class, code)                                       \
  Class::Class(__vmund_dictionary_item const* record) : DictionaryItemImpl(record) {    \
    pattern = internal::patternKindFor(code).label;                                     \
  }                                                                                     \
  unsigned long Class::scan(DScanAreaImpl* area, unsigned long budget,                  \
                            DictionaryMatchLogger& logger) {                            \
    return internal::scanIdentifierItem(*this, code, area, budget, logger, nullptr);    \
  }                                                                                     \
  unsigned int Class::type() const { return code; }

VMUND_DEFINE_PREDEFINED_ITEM(DictionaryCanSIN, 256)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUSSSN, 257)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryCC, 258)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryABA, 259)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryCUSIP, 260)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryISIN, 261)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUKNI, 262)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUKNHS, 263)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUSEIN, 264)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUSDEA, 265)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryFRCNI, 266)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryINSEE, 267)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryDEPSPT, 268)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryIBAN, 269)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryITIN, 270)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUSPSPT, 271)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryFRPSPT, 272)
VMUND_DEFINE_PREDEFINED_ITEM(DictionaryUKPSPT, 273)

#undef VMUND_DEFINE_PREDEFINED_ITEM

namespace internal {

unsigned long scanIdentifierItem(DictionaryItemImpl const& item, uint16_t code,
                                 DScanAreaImpl* area, unsigned long budget,
                                 DictionaryMatchLogger& logger, IdentifierHints const* hints) {
  PatternKind const& kind = patternKindFor(code);
  return kind.scan(item, kind, area, budget, logger, hints);
}

Regex::Expression const* identifierExpressions(uint16_t code, unsigned int* count) {
  PatternKind const& kind = patternKindFor(code);
  *count = kind.expressionCount;
  return kind.expressions;
}

}  // namespace internal

}  // namespace Vessamund
