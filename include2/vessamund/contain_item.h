// Plain word or phrase (pattern type 3).
#ifndef VESSAMUND_CONTAIN_ITEM_H_
#define VESSAMUND_CONTAIN_ITEM_H_

#include "vessamund/dictionary_item.h"

namespace Vessamund {

// Counts case-insensitive (ASCII), non-overlapping occurrences of its pattern
// anywhere in a part, word boundaries ignored, reading each part's text up to
// its first zero byte. Reports nothing to the logger. An empty pattern matches
// at once and fills the count in the first selected part.
class DictionaryContain : public DictionaryItemImpl {
 public:
  explicit DictionaryContain(__vmund_dictionary_item const* record);
  unsigned long scan(DScanAreaImpl* area, unsigned long budget,
                     DictionaryMatchLogger& logger) override;
};

}  // namespace Vessamund

#endif  // VESSAMUND_CONTAIN_ITEM_H_
