// Formatting of the loaders' statements, with the name's quote characters
// doubled. Doubling is all the quoting the clients need: the SQLite client
// treats backslashes as plain characters, and a server client must run its
// sessions the same way (NO_BACKSLASH_ESCAPES on MariaDB).
#include "factory/load_statements.h"

#include <cstdio>

namespace Vessamund {
namespace internal {

namespace {

constexpr char const* kDictionaryStatement =
    "select pattern, pattern_type, pattern_weight, pattern_scan_area, pattern_max_weight, "
    "pattern_max_limit, pattern_status  from fe_dict_item where dict_name ='%s' order by item_no";

constexpr char const* kGroupStatement =
    "select dict_name from fe_dict_group_dictionaries where group_name = \"%s\"";

// The name with every `quote` doubled, stopping when `out` is full: nothing
// past kStatementSize characters of name can reach a statement anyway.
// Stops at a zero byte inside the name, as "%s" would.
void escapeName(char (&out)[kStatementSize], std::string const& name, char quote) {
  size_t n = 0;
  for (char c : name) {
    if (c == '\0') break;
    size_t const need = c == quote ? 2 : 1;
    if (n + need > kStatementSize - 1) break;
    out[n++] = c;
    if (c == quote) out[n++] = c;
  }
  out[n] = '\0';
}

void format(char (&statement)[kStatementSize], char const* pattern, std::string const& name,
            char quote) {
  char escaped[kStatementSize];
  escapeName(escaped, name, quote);
  // The size given is one short of the buffer, so a statement holds at most
  // kStatementSize - 2 characters.
  snprintf(statement, kStatementSize - 1, pattern, escaped);
}

}  // namespace

void formatDictionaryStatement(char (&statement)[kStatementSize], std::string const& name) {
  format(statement, kDictionaryStatement, name, '\'');
}

void formatGroupStatement(char (&statement)[kStatementSize], std::string const& name) {
  format(statement, kGroupStatement, name, '"');
}

}  // namespace internal
}  // namespace Vessamund
