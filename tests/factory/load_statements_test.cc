// The loaders' statements: byte for byte for ordinary names, quotes doubled
// for hostile ones, and the cut at 1022 characters.
#include <gtest/gtest.h>

#include <string>

#include "factory/load_statements.h"

namespace {

using namespace Vessamund::internal;

std::string const kDictHead =
    "select pattern, pattern_type, pattern_weight, pattern_scan_area, pattern_max_weight, "
    "pattern_max_limit, pattern_status  from fe_dict_item where dict_name ='";
std::string const kGroupHead =
    "select dict_name from fe_dict_group_dictionaries where group_name = \"";

// What `format` (the dictionary's or the group's) writes for `name`.
std::string statement(void (*format)(char (&)[kStatementSize], std::string const&),
                      std::string const& name) {
  char s[kStatementSize];
  format(s, name);
  return s;
}

TEST(LoadStatementsTest, OrdinaryAndHostileNames) {
  struct Row {
    char const* note;
    std::string name;
    std::string dictionaryStatement, groupStatement;
  } const rows[] = {
      {"ordinary", "PII", kDictHead + "PII' order by item_no", kGroupHead + "PII\""},
      {"blanks and other punctuation pass as they are", "HR data; \\ %s",
       kDictHead + "HR data; \\ %s' order by item_no", kGroupHead + "HR data; \\ %s\""},
      {"each statement doubles only its own quote", "x' or '1'='1",
       kDictHead + "x'' or ''1''=''1' order by item_no", kGroupHead + "x' or '1'='1\""},
      {"", "x\" or \"1\"=\"1", kDictHead + "x\" or \"1\"=\"1' order by item_no",
       kGroupHead + "x\"\" or \"\"1\"\"=\"\"1\""},
      {"a zero byte ends the name", std::string("ab\0' or 1=1", 11),
       kDictHead + "ab' order by item_no", kGroupHead + "ab\""},
  };
  for (auto const& r : rows) {
    SCOPED_TRACE(r.note + std::string(": ") + r.name);
    EXPECT_EQ(statement(formatDictionaryStatement, r.name), r.dictionaryStatement);
    EXPECT_EQ(statement(formatGroupStatement, r.name), r.groupStatement);
  }
}

TEST(LoadStatementsTest, LongNamesAreCutAt1022Characters) {
  for (size_t length : {851u, 852u, 853u, 5000u}) {
    SCOPED_TRACE(length);
    std::string const name(length, 'n');
    EXPECT_EQ(statement(formatDictionaryStatement, name),
              (kDictHead + name + "' order by item_no").substr(0, 1022));
    EXPECT_EQ(statement(formatGroupStatement, name), (kGroupHead + name + "\"").substr(0, 1022));
  }
  // Doubled quotes never write past the buffer. (A cut that ends the text
  // inside a pair closes the literal with nothing after it: harmless.)
  std::string const quotes(3000, '\'');
  EXPECT_EQ(statement(formatDictionaryStatement, quotes),
            (kDictHead + std::string(6000, '\'')).substr(0, 1022));
}

}  // namespace
