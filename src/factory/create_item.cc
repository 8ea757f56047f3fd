// Item creation: the class a record's pattern-type code names.
#include <memory>

#include "factory/dictionary_factory_impl.h"
#include "vessamund/contain_item.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex_item.h"
#include "vessamund/wildcard_item.h"

namespace Vessamund {

namespace {

constexpr uint16_t kRegexType = 1;
constexpr uint16_t kContainType = 3;
constexpr uint16_t kFirstPredefinedType = 256;

template <class Item>
DictionaryItemImpl* make(__vmund_dictionary_item const* record) {
  return new Item(record);
}

using Maker = DictionaryItemImpl* (*)(__vmund_dictionary_item const*);

// Indexed by pattern type minus 256.
constexpr Maker kPredefined[] = {
    &make<DictionaryCanSIN>, &make<DictionaryUSSSN>,  &make<DictionaryCC>,
    &make<DictionaryABA>,    &make<DictionaryCUSIP>,  &make<DictionaryISIN>,
    &make<DictionaryUKNI>,   &make<DictionaryUKNHS>,  &make<DictionaryUSEIN>,
    &make<DictionaryUSDEA>,  &make<DictionaryFRCNI>,  &make<DictionaryINSEE>,
    &make<DictionaryDEPSPT>, &make<DictionaryIBAN>,   &make<DictionaryITIN>,
    &make<DictionaryUSPSPT>, &make<DictionaryFRPSPT>, &make<DictionaryUKPSPT>,
};
static_assert(sizeof kPredefined / sizeof kPredefined[0] == 18, "types 256..273");

constexpr size_t kPredefinedCount = sizeof kPredefined / sizeof kPredefined[0];

}  // namespace

Ref<DictionaryItemImpl> DictionaryFactoryImpl::createScanner(
    __vmund_dictionary_item const* record) {
  uint16_t const type = record->pattern_type;
  // A weight of 0 is not refused: the scoring frame gives such an item no
  // matches, so it scores 0 without dividing by its weight.
  std::unique_ptr<DictionaryItemImpl> item;
  if (type == kRegexType)
    item.reset(new DictionaryRegex(record));
  else if (type >= kFirstPredefinedType && type < kFirstPredefinedType + kPredefinedCount)
    item.reset(kPredefined[type - kFirstPredefinedType](record));
  else if (type == kContainType)
    item.reset(new DictionaryContain(record));
  else
    item.reset(new DictionaryWildcard(record));
  // The handle adopts the creation reference; the unique_ptr only covers a
  // failure to allocate the handle's control object.
  Ref<DictionaryItemImpl> handle(item.get());
  item.release();
  return handle;
}

}  // namespace Vessamund
