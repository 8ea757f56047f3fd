// CSV import and export of dictionaries for `vmund dict import|export`.
#include "admin/dict_csv.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>
#include <type_traits>

#include "admin/item_check.h"
#include "admin/pattern_types.h"

namespace vmund {
namespace admin {
namespace {

char const* const kColumns[] = {"item_no",           "pattern",           "pattern_type",
                                "pattern_weight",    "pattern_scan_area", "pattern_max_weight",
                                "pattern_max_limit", "pattern_status"};

// Reads one record into `fields`. `line` is the current line number and is
// advanced past the record; the record starts on the line it had on entry.
// Returns false at the end of input. An unterminated quote is reported in
// `error` and ends the input. `blank` tells an empty line from one holding
// an empty quoted field.
bool readRecord(std::istream& in, int& line, std::vector<std::string>& fields, std::string& error,
                bool& blank) {
  fields.assign(1, std::string());
  int c = in.get();
  if (c == EOF) return false;
  blank = c == '\n' || (c == '\r' && in.peek() == '\n');
  bool quoted = false;
  int quoteLine = line;
  for (; c != EOF; c = in.get()) {
    if (quoted) {
      if (c == '"') {
        if (in.peek() == '"') {
          fields.back() += '"';
          in.get();
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        fields.back() += static_cast<char>(c);
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      quoteLine = line;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      ++line;
      break;
    } else if (c == '\r' && in.peek() == '\n') {
      // CRLF: the LF ends the record.
    } else {
      fields.back() += static_cast<char>(c);
    }
  }
  if (quoted) error = "quote opened on line " + std::to_string(quoteLine) + " is never closed";
  return true;
}

bool readNumber(std::string const& text, long long max, long long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  value = std::strtoll(text.c_str(), nullptr, 10);
  return errno == 0 && value <= max;
}

std::string quoted(std::string const& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos && !field.empty() &&
      field.front() != ' ' && field.back() != ' ')
    return field;
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string checkRow(ItemRow const& row) {
  std::vector<std::string> problems;
  bool detector = row.type >= 256 && row.type <= 273;
  // The loader makes any other code a wildcard: a typo would match as one.
  if (patternTypeName(row.type) == std::to_string(row.type))
    problems.push_back("unknown pattern type code " + std::to_string(row.type));
  if (row.pattern.empty() && !detector) problems.push_back("empty pattern");
  if (row.pattern.size() > 255)
    problems.push_back("pattern is " + std::to_string(row.pattern.size()) +
                       " bytes long, at most 255 fit");
  if ((row.scan_area & 15) == 0)
    problems.push_back("area " + std::to_string(row.scan_area) +
                       " selects no part (body 1, attachment 2, header 4, html 8): it never matches");
  std::string joined;
  for (std::string const& p : problems) joined += (joined.empty() ? "" : "; ") + p;
  return joined;
}

std::vector<ItemRow> readItemsCsv(std::istream& in, std::vector<CsvProblem>& problems,
                                  RowCheck const& check) {
  std::vector<ItemRow> rows;
  int line = 1;
  std::vector<std::string> fields;
  std::string error;
  bool blank = false;
  // Header: column name -> field index.
  std::map<std::string, size_t> column;
  if (!readRecord(in, line, fields, error, blank)) {
    problems.push_back({1, "empty file: expected a header line naming the columns"});
    return rows;
  }
  // A byte-order mark (spreadsheets write one) is no part of the first name.
  if (!fields.empty() && fields[0].compare(0, 3, "\xEF\xBB\xBF") == 0) fields[0].erase(0, 3);
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string name = fields[i];
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    if (std::find(std::begin(kColumns), std::end(kColumns), name) == std::end(kColumns))
      problems.push_back({1, "unknown column \"" + name + "\""});
    else if (!column.emplace(name, i).second)
      problems.push_back({1, "column \"" + name + "\" named twice"});
  }
  if (!column.count("pattern")) problems.push_back({1, "no \"pattern\" column"});
  if (!problems.empty()) return rows;

  bool numbered = column.count("item_no") != 0;
  std::map<int64_t, int> seen;  // item_no -> line that used it
  for (;;) {
    int start = line;
    if (!readRecord(in, line, fields, error, blank)) break;
    if (!error.empty()) {
      problems.push_back({start, error});
      break;
    }
    if (blank) continue;
    if (fields.size() != column.size()) {
      problems.push_back({start, std::to_string(fields.size()) + " fields, the header names " +
                                     std::to_string(column.size())});
      continue;
    }
    ItemRow row;
    row.item_no = static_cast<int64_t>(rows.size()) + 1;
    // Every problem of the row, so that one pass over the file fixes it.
    std::vector<std::string> bad;
    // An empty cell keeps the column's default, as an option left out of
    // `vmund dict add` does.
    auto cell = [&](char const* name) -> std::string const* {
      auto it = column.find(name);
      return it == column.end() || fields[it->second].empty() ? nullptr : &fields[it->second];
    };
    auto number = [&](char const* name, long long max, auto& out) {
      std::string const* text = cell(name);
      long long v;
      if (!text) return;
      if (readNumber(*text, max, v))
        out = static_cast<std::remove_reference_t<decltype(out)>>(v);
      else
        bad.push_back(std::string(name) + " \"" + *text + "\" is not a number from 0 to " +
                      std::to_string(max));
    };
    number("item_no", 0x7fffffffLL, row.item_no);
    row.pattern = fields[column["pattern"]];
    if (std::string const* type = cell("pattern_type"))
      if (!parsePatternType(*type, row.type)) bad.push_back("unknown pattern_type \"" + *type + "\"");
    number("pattern_weight", 65535, row.weight);
    if (std::string const* area = cell("pattern_scan_area")) {
      std::string problem = parseArea(*area, row.scan_area);
      if (!problem.empty()) bad.push_back(problem);
    }
    number("pattern_max_weight", 65535, row.max_weight);
    // A cap given without pattern_max_limit is meant to apply, as with
    // `vmund dict add --max-weight`.
    row.max_limit = row.max_weight > 0;
    number("pattern_max_limit", 255, row.max_limit);
    number("pattern_status", 255, row.status);
    std::string problem = checkRow(row);
    if (problem.empty() && bad.empty() && check) problem = check(row);
    if (!problem.empty()) bad.push_back(problem);
    if (numbered) {
      auto used = seen.emplace(row.item_no, start);
      if (!used.second)
        bad.push_back("item_no " + std::to_string(row.item_no) + " already used on line " +
                      std::to_string(used.first->second));
    }
    if (!bad.empty()) {
      std::string joined;
      for (std::string const& b : bad) joined += (joined.empty() ? "" : "; ") + b;
      problems.push_back({start, joined});
      continue;
    }
    rows.push_back(row);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](ItemRow const& a, ItemRow const& b) { return a.item_no < b.item_no; });
  return rows;
}

void writeItemsCsv(std::ostream& out, std::vector<ItemRow> const& rows) {
  for (size_t i = 0; i < std::size(kColumns); ++i) out << (i ? "," : "") << kColumns[i];
  out << "\n";
  for (ItemRow const& r : rows) {
    out << r.item_no << ',' << quoted(r.pattern) << ',' << patternTypeName(r.type) << ','
        << r.weight << ',' << unsigned(r.scan_area) << ',' << r.max_weight << ','
        << unsigned(r.max_limit) << ',' << unsigned(r.status) << "\n";
  }
}

}  // namespace admin
}  // namespace vmund
