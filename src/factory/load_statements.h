// The two statements that read a dictionary and a group from the
// configuration database.
#ifndef VESSAMUND_SRC_FACTORY_LOAD_STATEMENTS_H_
#define VESSAMUND_SRC_FACTORY_LOAD_STATEMENTS_H_

#include <string>

namespace Vessamund {
namespace internal {

// Room for one statement: at most kStatementSize - 2 characters and the
// terminating zero byte (a longer statement is cut there).
constexpr size_t kStatementSize = 1024;

// The rows of dictionary `name`, in item order:
//   select pattern, pattern_type, pattern_weight, pattern_scan_area,
//   pattern_max_weight, pattern_max_limit, pattern_status  from fe_dict_item
//   where dict_name ='NAME' order by item_no
// on one line, with two blanks before "from". A "'" in the name is doubled,
// so the name cannot end the literal early. Allocates nothing.
void formatDictionaryStatement(char (&statement)[kStatementSize], std::string const& name);

// The member dictionaries of group `name`:
//   select dict_name from fe_dict_group_dictionaries where group_name = "NAME"
// A '"' in the name is doubled. Allocates nothing.
void formatGroupStatement(char (&statement)[kStatementSize], std::string const& name);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_FACTORY_LOAD_STATEMENTS_H_
