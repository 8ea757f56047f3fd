// The columns of one fe_dict_item row turned into an item record: the
// conversions the database loader applies to every row.
#ifndef VESSAMUND_SRC_FACTORY_ITEM_COLUMNS_H_
#define VESSAMUND_SRC_FACTORY_ITEM_COLUMNS_H_

#include "vessamund/dictionary_item.h"

namespace Vessamund {
namespace internal {

// pattern, pattern_type, pattern_weight, pattern_scan_area,
// pattern_max_weight, pattern_max_limit, pattern_status: the select-list
// order of the dictionary statement.
constexpr int kItemColumns = 7;

// Overwrites every field of `record` but the reserved one from the column
// texts (each zero-terminated, none null). The pattern is cut to 255 bytes
// and zero-padded, so the record always holds a terminated text; each number
// is read as strtol reads base 10 (blanks and a sign allowed, stops at the
// first non-digit, no digits gives 0, out of range gives LONG_MIN/LONG_MAX)
// and keeps the low bits that fit its field. Allocates nothing.
void recordFromColumns(char const* const (&columns)[kItemColumns],
                       __vmund_dictionary_item& record);

// Whether the row becomes an item: status and weight both non-zero, tested
// on the stored (truncated) values, so a weight of 65536 counts as 0.
inline bool rowMakesItem(__vmund_dictionary_item const& record) {
  return record.pattern_status != 0 && record.pattern_weight != 0;
}

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_FACTORY_ITEM_COLUMNS_H_
