// Dictionaries as CSV files: one row per item, the columns of fe_dict_item.
#ifndef VMUND_OUTSIDE_ADMIN_DICT_CSV_H_
#define VMUND_OUTSIDE_ADMIN_DICT_CSV_H_

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "admin/item_row.h"

namespace vmund {
namespace admin {

// A row that could not be read, by its line number in the file (1 = the
// header line).
struct CsvProblem {
  int line;
  std::string message;
};

// Reads items from CSV (RFC 4180: comma-separated, fields with commas,
// quotes or line breaks in double quotes, "" for a quote; CRLF or LF). The
// first line names the columns, in any order: pattern is required;
// item_no, pattern_type (a name such as "regex" or "creditcard", or a code),
// pattern_weight, pattern_scan_area (a mask or names, as parseArea() reads),
// pattern_max_weight, pattern_max_limit and pattern_status are optional and
// default as in ItemRow, as does an empty cell (without item_no, rows are
// numbered 1, 2, ... in file order). pattern_max_limit defaults to 1 when the
// row has a pattern_max_weight above 0, so a cap always applies. A leading
// byte-order mark is dropped. Returns the rows in ascending item_no order;
// every problem found (unknown column, bad number, duplicate item_no, a row
// checkRow() or `check` rejects) is appended to `problems`, all of one row on
// one line, and the rows are only to be used when none was added. Empty
// lines are skipped.
std::vector<ItemRow> readItemsCsv(std::istream& in, std::vector<CsvProblem>& problems,
                                  RowCheck const& check = RowCheck());

// Writes the header line and one line per row, in the given order, with
// type names where there is one. readItemsCsv reads it back unchanged.
void writeItemsCsv(std::ostream& out, std::vector<ItemRow> const& rows);

}  // namespace admin
}  // namespace vmund

#endif  // VMUND_OUTSIDE_ADMIN_DICT_CSV_H_
