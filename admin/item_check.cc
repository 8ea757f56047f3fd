// Item checks for `vmund dict add|import`; see item_check.h.
#include "admin/item_check.h"

#include <cstring>

#include "vessamund/exception.h"
#include "vessamund/factory.h"
#include "vessamund/regex_item.h"

namespace vmund {

std::string itemCheck(admin::ItemRow const& row) {
  __vmund_dictionary_item record;
  std::memset(&record, 0, sizeof record);
  std::strncpy(record.pattern, row.pattern.c_str(), sizeof record.pattern - 1);
  record.pattern_type = row.type;
  record.pattern_weight = row.weight;
  record.pattern_scan_area = row.scan_area;
  record.pattern_max_weight = row.max_weight;
  record.pattern_max_limit = row.max_limit;
  record.pattern_status = row.status;
  Vessamund::Ref<Vessamund::DictionaryItemImpl> item;
  try {
    item = Vessamund::DictionaryFactory::instance()->createScanner(&record);
  } catch (Vessamund::Exception const& e) {
    return "rejected by the library: " + e.message();
  }
  if (row.type != 1) return std::string();
  // The library keeps an expression that does not compile as an item that
  // never matches; stored, it would pass every scan in silence. A row the
  // factory made into another class (weight 0) is compiled here on its own.
  auto* regex = dynamic_cast<Vessamund::DictionaryRegex*>(item.get());
  Vessamund::Ref<Vessamund::DictionaryItemImpl> own;
  if (regex == nullptr) {
    regex = new Vessamund::DictionaryRegex(&record);
    own = Vessamund::Ref<Vessamund::DictionaryItemImpl>(regex);
  }
  if (!regex->expression.compiled()) {
    std::string why = "regular expression does not compile: " + regex->expression.error();
    // The offset counts in the text the engine saw, after references and
    // area tags were converted.
    if (regex->expression.pattern() != row.pattern)
      why += " of \"" + regex->expression.pattern() + "\"";
    return why;
  }
  return std::string();
}

std::string parseArea(std::string const& text, uint8_t& mask) {
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
    if (text.size() > 3 || std::stoul(text) > 255) return "area \"" + text + "\" is above 255";
    mask = static_cast<uint8_t>(std::stoul(text));
    return std::string();
  }
  static struct {
    char const* name;
    uint8_t bit;
  } const kAreas[] = {{"body", 1}, {"attachment", 2}, {"header", 4}, {"html", 8}};
  mask = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string name =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    bool known = false;
    for (auto const& a : kAreas)
      if (name == a.name) {
        mask |= a.bit;
        known = true;
      }
    if (!known)
      return "unknown area \"" + name + "\" (use body, attachment, header, html or a number)";
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return std::string();
}

}  // namespace vmund
