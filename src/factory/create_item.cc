// Item creation: the item a record's pattern-type code names, from the
// pattern-kind table.
#include "factory/dictionary_factory_impl.h"
#include "items/kinds/pattern_kind.h"

namespace Vessamund {

Ref<DictionaryItemImpl> DictionaryFactoryImpl::createScanner(
    __vmund_dictionary_item const* record) {
  // A weight of 0 is not refused: the scoring frame gives such an item no
  // matches, so it scores 0 without dividing by its weight.
  return internal::makeItem(internal::patternKindFor(record->pattern_type), record);
}

}  // namespace Vessamund
