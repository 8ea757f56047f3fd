// Reading back what the factory built: the items of a profile scanner as
// comparable rows, and the host's reload-flag word.
#ifndef VESSAMUND_TESTS_SUPPORT_SCANNER_VIEW_H_
#define VESSAMUND_TESTS_SUPPORT_SCANNER_VIEW_H_

#include <cstring>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

#include "vessamund/contain_item.h"
#include "vessamund/host_block.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex_item.h"
#include "vessamund/scanner.h"
#include "vessamund/wildcard_item.h"

namespace vmund_test {

// One item as the loaders made it.
struct ItemView {
  std::string kind;  // "contain", "regex", "wildcard", "CC", "other"
  std::string pattern;
  unsigned weight, scanArea, maxWeight;
  bool maxLimit;
  bool operator==(ItemView const& o) const {
    return kind == o.kind && pattern == o.pattern && weight == o.weight &&
           scanArea == o.scanArea && maxWeight == o.maxWeight && maxLimit == o.maxLimit;
  }
};

inline std::ostream& operator<<(std::ostream& out, ItemView const& v) {
  return out << "{" << v.kind << " '" << v.pattern << "' w" << v.weight << " a" << v.scanArea
             << " max" << v.maxWeight << (v.maxLimit ? " capped" : "") << "}";
}

inline std::string kindOf(Vessamund::DictionaryItemImpl const& item) {
  std::type_info const& t = typeid(item);
  if (t == typeid(Vessamund::DictionaryContain)) return "contain";
  if (t == typeid(Vessamund::DictionaryRegex)) return "regex";
  if (t == typeid(Vessamund::DictionaryWildcard)) return "wildcard";
  if (t == typeid(Vessamund::DictionaryCC)) return "CC";
  return "other";
}

// The items of a profile scanner, in order. Empty for an empty handle or a
// scanner that is not a profile scanner.
inline std::vector<ItemView> itemsOf(Vessamund::Ref<Vessamund::DictionaryScannerImpl> const& h) {
  std::vector<ItemView> out;
  auto* profile = dynamic_cast<Vessamund::ProfileDictionaryScanner*>(h.get());
  if (profile == nullptr) return out;
  for (auto const& item : profile->itemList()) {
    auto const& i = *item.get();
    out.push_back(ItemView{kindOf(i), i.pattern, i.weight, i.scan_area, i.max_weight,
                           i.max_limit});
  }
  return out;
}

// The members of a group scanner, in order.
inline std::vector<Vessamund::DictionaryScannerImpl*> membersOf(
    Vessamund::Ref<Vessamund::DictionaryScannerImpl> const& h) {
  std::vector<Vessamund::DictionaryScannerImpl*> out;
  auto* group = dynamic_cast<Vessamund::GroupDictionaryScanner*>(h.get());
  if (group == nullptr) return out;
  for (auto const& m : group->memberList()) out.push_back(m.get());
  return out;
}

inline uint32_t reloadWord() {
  uint32_t word;
  std::memcpy(&word, static_cast<char*>(nCfg_debug_zone) + VMUND_RELOAD_WORD_OFFSET, 4);
  return word;
}

inline void setReloadWord(uint32_t word) {
  std::memcpy(static_cast<char*>(nCfg_debug_zone) + VMUND_RELOAD_WORD_OFFSET, &word, 4);
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_SCANNER_VIEW_H_
