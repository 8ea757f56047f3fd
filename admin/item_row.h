// One row of table fe_dict_item as the administration tools handle it.
#ifndef VMUND_OUTSIDE_ADMIN_ITEM_ROW_H_
#define VMUND_OUTSIDE_ADMIN_ITEM_ROW_H_

#include <cstdint>
#include <functional>
#include <string>

namespace vmund {
namespace admin {

// Defaults are the schema's column defaults: a plain word of weight 1 in the
// areas body, attachment and HTML twin (11), uncapped, enabled.
struct ItemRow {
  int64_t item_no = 0;  // position in the dictionary; 0 = "next free" when adding
  std::string pattern;
  uint16_t type = 3;
  uint16_t weight = 1;
  uint8_t scan_area = 11;
  uint16_t max_weight = 0;
  uint8_t max_limit = 0;
  uint8_t status = 1;
};

// Checks what the database would accept but the loader could not use: a
// type code with no name (the loader would make it a wildcard), an empty
// pattern (detectors excepted: they ignore it), one longer than the 255
// bytes an item record holds, an area mask that selects no part. Returns ""
// or every problem, joined by "; ".
std::string checkRow(ItemRow const& row);

// A further check a caller may add, such as building the item to see that a
// regular expression compiles. Returns "" or what is wrong.
using RowCheck = std::function<std::string(ItemRow const&)>;

}  // namespace admin
}  // namespace vmund

#endif  // VMUND_OUTSIDE_ADMIN_ITEM_ROW_H_
