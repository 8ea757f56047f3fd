// Administrator-written regular expression (pattern type 1).
#ifndef VESSAMUND_REGEX_ITEM_H_
#define VESSAMUND_REGEX_ITEM_H_

#include "vessamund/dictionary_item.h"
#include "vessamund/regex.h"

namespace Vessamund {

// Compiled once at construction, caseless. A leading area tag "[MHeAdEr]"
// (headers only) or "[EHeAdEr]" (body only) is honoured when scan_area is 1;
// numeric character references (&#233; &#x263A;) become code-point escapes
// and switch on UTF-8 mode. Every match is counted and logged under the
// converted text. A pattern that does not compile gives an item that never
// matches (expression.compiled() is false).
class DictionaryRegex : public DictionaryItemImpl {
 public:
  explicit DictionaryRegex(__vmund_dictionary_item const* record);
  ~DictionaryRegex() override;
  unsigned long scan(DScanAreaImpl* area, unsigned long budget,
                     DictionaryMatchLogger& logger) override;

  Regex::ExpressionImpl expression;
};

}  // namespace Vessamund

#endif  // VESSAMUND_REGEX_ITEM_H_
