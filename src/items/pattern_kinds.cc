// The table of pattern kinds (kinds/pattern_kind.h): one row per
// pattern-type code with its maker, names, prefilter and, for the eighteen
// identifier detectors, their expressions and validator.
#include "items/kinds/pattern_kind.h"

#include <iterator>
#include <memory>

#include "items/identifier_scan.h"
#include "items/predefined_patterns.h"
#include "vessamund/contain_item.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex_item.h"
#include "vessamund/validators.h"
#include "vessamund/wildcard_item.h"

namespace Vessamund {
namespace internal {

namespace {

template <class Item>
DictionaryItemImpl* make(__vmund_dictionary_item const* record) {
  return new Item(record);
}

// Builds the kind's validator on the stack, bound to `logger`, and runs the
// detectors' shared loop with it.
template <class Validator>
unsigned long scanWith(DictionaryItemImpl const& item, PatternKind const& kind,
                       DScanAreaImpl* area, unsigned long budget, DictionaryMatchLogger& logger,
                       IdentifierHints const* hints) {
  Validator validator(logger);
  return scanIdentifiers(item, area, budget, kind.expressions, kind.expressionCount, validator,
                         nullptr, hints);
}

template <Regex::Luhn::ltype type>
unsigned long scanWithLuhn(DictionaryItemImpl const& item, PatternKind const& kind,
                           DScanAreaImpl* area, unsigned long budget,
                           DictionaryMatchLogger& logger, IdentifierHints const* hints) {
  Regex::Luhn validator(logger, type);
  return scanIdentifiers(item, area, budget, kind.expressions, kind.expressionCount, validator,
                         &validator, hints);
}

constexpr Prefilter kId = Prefilter::kIdentifier;

// Holds only addresses, so it is complete before any static initialiser
// runs, expressions included.
constexpr PatternKind kKinds[] = {
    {1, "regex", nullptr, "regexp", &make<DictionaryRegex>, Prefilter::kExpression,
     nullptr, 0, nullptr},
    {2, "wildcard", nullptr, nullptr, &make<DictionaryWildcard>, Prefilter::kWildcard,
     nullptr, 0, nullptr},
    {3, "word", nullptr, "contain", &make<DictionaryContain>, Prefilter::kLiteral,
     nullptr, 0, nullptr},
    {256, "cansin", "CANSIN", nullptr, &make<DictionaryCanSIN>, kId,
     &cansin_expr, 1, &scanWithLuhn<Regex::Luhn::CanSIN>},
    {257, "ussn", "USSSN", nullptr, &make<DictionaryUSSSN>, kId,
     &usssn_expr, 1, &scanWithLuhn<Regex::Luhn::USSSN>},
    {258, "creditcard", "CreditCard", "CC", &make<DictionaryCC>, kId,
     cc_expr, std::size(cc_expr), &scanWithLuhn<Regex::Luhn::CreditCard>},
    {259, "aba", "ABARouting", nullptr, &make<DictionaryABA>, kId,
     &aba_expr, 1, &scanWith<Regex::aba>},
    {260, "cusip", "CUSIP", nullptr, &make<DictionaryCUSIP>, kId,
     &cusip_expr, 1, &scanWith<Regex::cusip>},
    {261, "isin", "ISIN", nullptr, &make<DictionaryISIN>, kId,
     &isin_expr, 1, &scanWith<Regex::isin>},
    {262, "ukni", "UKNI", nullptr, &make<DictionaryUKNI>, kId,
     &ukni_expr, 1, &scanWith<Regex::passport>},
    {263, "uknhs", "UKNHS", nullptr, &make<DictionaryUKNHS>, kId,
     &uknhs_expr, 1, &scanWith<Regex::uknhs>},
    {264, "usein", "USEIN", nullptr, &make<DictionaryUSEIN>, kId,
     &usein_expr, 1, &scanWith<Regex::usein>},
    {265, "usdea", "USDEA", nullptr, &make<DictionaryUSDEA>, kId,
     &usdea_expr, 1, &scanWith<Regex::usdea>},
    {266, "frcni", "FRCNI", nullptr, &make<DictionaryFRCNI>, kId,
     &frcni_expr, 1, &scanWith<Regex::frcni>},
    {267, "insee", "INSEE", nullptr, &make<DictionaryINSEE>, kId,
     &insee_expr, 1, &scanWith<Regex::insee>},
    {268, "depassport", "DEPSPT", nullptr, &make<DictionaryDEPSPT>, kId,
     &depspt_expr, 1, &scanWith<Regex::passport>},
    {269, "iban", "IBAN", nullptr, &make<DictionaryIBAN>, kId,
     &iban_expr, 1, &scanWith<Regex::iban>},
    {270, "itin", "ITIN", nullptr, &make<DictionaryITIN>, kId,
     &itin_expr, 1, &scanWith<Regex::itin>},
    {271, "uspassport", "USPSPT", nullptr, &make<DictionaryUSPSPT>, kId,
     &uspspt_expr, 1, &scanWith<Regex::passport>},
    {272, "frpassport", "FRPSPT", nullptr, &make<DictionaryFRPSPT>, kId,
     &frpspt_expr, 1, &scanWith<Regex::passport>},
    {273, "ukpassport", "UKPSPT", nullptr, &make<DictionaryUKPSPT>, kId,
     &ukpspt_expr, 1, &scanWith<Regex::passport>},
};

constexpr std::size_t kWildcardRow = 1;
constexpr std::size_t kFirstDetectorRow = 3;
constexpr uint16_t kFirstDetector = 256;
constexpr std::size_t kDetectors = std::size(kKinds) - kFirstDetectorRow;

constexpr bool rowsFollowCodes() {
  for (std::size_t i = 0; i < std::size(kKinds); ++i) {
    uint16_t const code = i < kFirstDetectorRow ? static_cast<uint16_t>(i + 1)
                                                : static_cast<uint16_t>(kFirstDetector + i -
                                                                        kFirstDetectorRow);
    if (kKinds[i].code != code) return false;
  }
  return true;
}
static_assert(kDetectors == 18 && rowsFollowCodes(), "codes 1, 2, 3, 256..273 in order");

}  // namespace

PatternKind const* patternKinds(std::size_t* count) {
  *count = std::size(kKinds);
  return kKinds;
}

PatternKind const* findPatternKind(uint16_t code) {
  if (code >= 1 && code < kFirstDetectorRow + 1) return &kKinds[code - 1];
  if (code >= kFirstDetector && code < kFirstDetector + kDetectors) {
    return &kKinds[kFirstDetectorRow + (code - kFirstDetector)];
  }
  return nullptr;
}

PatternKind const& patternKindFor(uint16_t code) {
  PatternKind const* kind = findPatternKind(code);
  return kind != nullptr ? *kind : kKinds[kWildcardRow];
}

Ref<DictionaryItemImpl> makeItem(PatternKind const& kind, __vmund_dictionary_item const* record) {
  std::unique_ptr<DictionaryItemImpl> item(kind.make(record));
  // The handle adopts the creation reference; the unique_ptr only covers a
  // failure to allocate the handle's control object.
  Ref<DictionaryItemImpl> handle(item.get());
  item.release();
  return handle;
}

}  // namespace internal
}  // namespace Vessamund
