// The result model every configuration-database client shares: a result is
// read in full when its statement runs, so any number of results may stay
// open on one connection and none depends on the connection afterwards.
// Database-neutral; each client (src/outside/sqlite, src/outside/mariadb)
// fills it and defines the four result functions of db_client.h over it with
// the inline helpers below.
#ifndef VESSAMUND_SRC_OUTSIDE_DB_RESULT_H_
#define VESSAMUND_SRC_OUTSIDE_DB_RESULT_H_

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace Vessamund {
namespace outside {

// What db_query returns for a failure of any kind (connection, syntax,
// missing table, busy database). The clients' own codes stay inside them.
constexpr int kDbFailed = 1;

// One row: its values as text, in select-list order. A SQL NULL is stored
// as "" (the loaders need a text for every column).
struct DbRow {
  std::vector<std::string> values;
};

// The rows of one statement, owned by the result and freed with it.
struct DbResult {
  std::vector<DbRow> rows;
};

// db_result_row_num: the number of rows; 0 for a null result.
inline int dbRowCount(void const* result) {
  if (result == nullptr) return 0;
  auto const& rows = static_cast<DbResult const*>(result)->rows;
  return rows.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rows.size());
}

// db_result_fetch_row: row `index`, or null past the end or for a null
// result.
inline void* dbFetchRow(void* result, uint32_t index) {
  if (result == nullptr) return nullptr;
  auto& rows = static_cast<DbResult*>(result)->rows;
  return index < rows.size() ? &rows[index] : nullptr;
}

// db_result_get_value: the column's text, valid until the result is freed;
// "" for a null row or a column outside the row, so a caller that never
// checks (the loaders do not) still reads a text.
inline char const* dbValue(void const* row, int column) {
  if (row == nullptr || column < 0) return "";
  auto const& values = static_cast<DbRow const*>(row)->values;
  return static_cast<size_t>(column) < values.size() ? values[column].c_str() : "";
}

// db_free_result.
inline void dbFreeResult(void* result) { delete static_cast<DbResult*>(result); }

}  // namespace outside
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_OUTSIDE_DB_RESULT_H_
