// The eighteen identifier detectors: a table of what sets each kind apart
// (code, name, built-in expressions, validator); they share one scan loop
// (identifier_scan.cc).
#include "vessamund/predefined_items.h"

#include <cstddef>
#include <cstdint>
#include <iterator>

#include <typeinfo>

#include "items/identifier_scan.h"
#include "items/predefined_patterns.h"
#include "vessamund/validators.h"

namespace Vessamund {

namespace {

struct Kind;

// Builds the kind's validator on the stack, bound to `logger`, and runs the
// shared loop with it.
using KindScan = unsigned long (*)(DictionaryItemImpl const& item, Kind const& kind,
                                   DScanAreaImpl* area, unsigned long budget,
                                   DictionaryMatchLogger& logger,
                                   internal::IdentifierHints const* hints);

struct Kind {
  uint16_t code;
  char const* name;                      // the item's pattern text
  Regex::Expression const* expressions;  // run in order over each selected part
  unsigned int expressionCount;
  KindScan scan;
  std::type_info const& (*typeOf)();  // the detector class
};

template <class Validator>
unsigned long scanWith(DictionaryItemImpl const& item, Kind const& kind, DScanAreaImpl* area,
                       unsigned long budget, DictionaryMatchLogger& logger,
                       internal::IdentifierHints const* hints) {
  Validator validator(logger);
  return internal::scanIdentifiers(item, area, budget, kind.expressions, kind.expressionCount,
                                   validator, nullptr, hints);
}

template <Regex::Luhn::ltype type>
unsigned long scanWithLuhn(DictionaryItemImpl const& item, Kind const& kind, DScanAreaImpl* area,
                           unsigned long budget, DictionaryMatchLogger& logger,
                           internal::IdentifierHints const* hints) {
  Regex::Luhn validator(logger, type);
  return internal::scanIdentifiers(item, area, budget, kind.expressions, kind.expressionCount,
                                   validator, &validator, hints);
}

template <class T>
std::type_info const& typeOf() {
  return typeid(T);
}

constexpr uint16_t kFirstCode = 256;

// Indexed by code - kFirstCode. Holds only addresses, so it is complete
// before any static initialiser runs, expressions included.
constexpr Kind kKinds[] = {
    {256, "CANSIN", &cansin_expr, 1, &scanWithLuhn<Regex::Luhn::CanSIN>,
     &typeOf<DictionaryCanSIN>},
    {257, "USSSN", &usssn_expr, 1, &scanWithLuhn<Regex::Luhn::USSSN>,
     &typeOf<DictionaryUSSSN>},
    {258, "CreditCard", cc_expr, std::size(cc_expr), &scanWithLuhn<Regex::Luhn::CreditCard>,
     &typeOf<DictionaryCC>},
    {259, "ABARouting", &aba_expr, 1, &scanWith<Regex::aba>,
     &typeOf<DictionaryABA>},
    {260, "CUSIP", &cusip_expr, 1, &scanWith<Regex::cusip>,
     &typeOf<DictionaryCUSIP>},
    {261, "ISIN", &isin_expr, 1, &scanWith<Regex::isin>,
     &typeOf<DictionaryISIN>},
    {262, "UKNI", &ukni_expr, 1, &scanWith<Regex::passport>,
     &typeOf<DictionaryUKNI>},
    {263, "UKNHS", &uknhs_expr, 1, &scanWith<Regex::uknhs>,
     &typeOf<DictionaryUKNHS>},
    {264, "USEIN", &usein_expr, 1, &scanWith<Regex::usein>,
     &typeOf<DictionaryUSEIN>},
    {265, "USDEA", &usdea_expr, 1, &scanWith<Regex::usdea>,
     &typeOf<DictionaryUSDEA>},
    {266, "FRCNI", &frcni_expr, 1, &scanWith<Regex::frcni>,
     &typeOf<DictionaryFRCNI>},
    {267, "INSEE", &insee_expr, 1, &scanWith<Regex::insee>,
     &typeOf<DictionaryINSEE>},
    {268, "DEPSPT", &depspt_expr, 1, &scanWith<Regex::passport>,
     &typeOf<DictionaryDEPSPT>},
    {269, "IBAN", &iban_expr, 1, &scanWith<Regex::iban>,
     &typeOf<DictionaryIBAN>},
    {270, "ITIN", &itin_expr, 1, &scanWith<Regex::itin>,
     &typeOf<DictionaryITIN>},
    {271, "USPSPT", &uspspt_expr, 1, &scanWith<Regex::passport>,
     &typeOf<DictionaryUSPSPT>},
    {272, "FRPSPT", &frpspt_expr, 1, &scanWith<Regex::passport>,
     &typeOf<DictionaryFRPSPT>},
    {273, "UKPSPT", &ukpspt_expr, 1, &scanWith<Regex::passport>,
     &typeOf<DictionaryUKPSPT>},
};

constexpr bool rowsFollowCodes() {
  for (size_t i = 0; i < std::size(kKinds); ++i) {
    if (kKinds[i].code != kFirstCode + i) return false;
  }
  return true;
}
static_assert(std::size(kKinds) == 18 && rowsFollowCodes(), "one row per code, in code order");

constexpr Kind const& kindOf(uint16_t code) { return kKinds[code - kFirstCode]; }

}  // namespace

// The classes differ only in their row of kKinds.
#define VMUND_DEFINE_PREDEFINED_ITEM(Class, code)                                       \
  Class::Class(__vmund_dictionary_item const* record) : DictionaryItemImpl(record) {    \
    pattern = kindOf(code).name;                                                        \
  }                                                                                     \
  unsigned long Class::scan(DScanAreaImpl* area, unsigned long budget,                  \
                            DictionaryMatchLogger& logger) {                            \
    return kindOf(code).scan(*this, kindOf(code), area, budget, logger, nullptr);       \
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
  return kindOf(code).scan(item, kindOf(code), area, budget, logger, hints);
}

uint16_t identifierCode(DictionaryItemImpl const& item) {
  std::type_info const& type = typeid(item);
  for (Kind const& kind : kKinds) {
    if (kind.typeOf() == type) return kind.code;
  }
  return 0;
}

Regex::Expression const* identifierExpressions(uint16_t code, unsigned int* count) {
  *count = kindOf(code).expressionCount;
  return kindOf(code).expressions;
}

}  // namespace internal

}  // namespace Vessamund
