// Dictionaries in CSV and in the configuration database. A row check's
// problem and its line are tested through `vmund dict import`, with the check
// that command gives (vmund_command_test.cc).
#include <gtest/gtest.h>

#include <sstream>

#include "admin/config_db.h"
#include "admin/dict_csv.h"
#include "admin/pattern_types.h"
#include "admin/schema_sql.h"
#include "support/scoped_env.h"

namespace {

using namespace vmund::admin;

TEST(DictCsv, ProblemsNameTheirLine) {
  struct Row {
    std::string csv;
    int line;
    char const* message;
  };
  Row const rows[] = {
      {"", 1, "empty file: expected a header line naming the columns"},
      {"weight,pattern\n", 1, "unknown column \"weight\""},
      {"pattern,pattern_type\nok,word\nx,card\n", 3, "unknown pattern_type \"card\""},
      {"pattern,pattern_weight\nx,65536\n", 2,
       "pattern_weight \"65536\" is not a number from 0 to 65535"},
      {"pattern,item_no\na,1\nb,1\n", 3, "item_no 1 already used on line 2"},
      {"pattern,item_no\n\"two\nlines\",1\nb\n", 4, "1 fields, the header names 2"},
      {"pattern\n\"open\n", 2, "quote opened on line 2 is never closed"},
      {"pattern\n" + std::string(256, 'x') + "\n", 2, "pattern is 256 bytes long, at most 255 fit"},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.csv);
    std::istringstream in(r.csv);
    std::vector<CsvProblem> p;
    readItemsCsv(in, p);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].line, r.line);
    EXPECT_EQ(p[0].message, r.message);
  }
}

// Names come from the library's kind table: what export writes reads back
// as the same code, and the detectors' fixed names and the old spellings
// read too; codes without a name travel as numbers.
TEST(PatternTypes, NamesReadBackAsTheirCode) {
  for (std::string const& name : patternTypeNames()) {
    SCOPED_TRACE(name);
    uint16_t code = 0;
    ASSERT_TRUE(parsePatternType(name, code));
    EXPECT_EQ(patternTypeName(code), name);
  }
  EXPECT_EQ(patternTypeNames().size(), 21u);
  struct Row {
    char const* text;
    bool read;
    uint16_t code;
  } const rows[] = {
      {"word", true, 3},         {"CONTAIN", true, 3},   {"regexp", true, 1},
      {"wildcard", true, 2},     {"CreditCard", true, 258}, {"cc", true, 258},
      {"USSSN", true, 257},      {"ABARouting", true, 259}, {"UKPSPT", true, 273},
      {"ukpassport", true, 273}, {"7", true, 7},         {"65535", true, 65535},
      {"65536", false, 0},       {"card", false, 0},     {"", false, 0},
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.text);
    uint16_t code = 0;
    EXPECT_EQ(parsePatternType(r.text, code), r.read);
    if (r.read) {
      EXPECT_EQ(code, r.code);
    }
  }
  EXPECT_EQ(patternTypeName(7), "7");
  EXPECT_EQ(patternTypeName(258), "creditcard");
}

class ConfigDbTest : public ::testing::Test {
 protected:
  void SetUp() override { ConfigDb::create(dir_, vmund::kSchemaSql); }
  static ItemRow row(int64_t no, std::string pattern) {
    ItemRow r;
    r.item_no = no;
    r.pattern = std::move(pattern);
    return r;
  }
  static std::vector<std::string> patterns(std::vector<ItemRow> const& rows) {
    std::vector<std::string> out;
    for (ItemRow const& r : rows) out.push_back(r.pattern);
    return out;
  }
  vmund_test::TempDir tmp_;
  std::string const dir_ = tmp_.dir();
};

TEST_F(ConfigDbTest, ItemsKeepTheirOrderAndAFailedStoreWritesNothing) {
  ConfigDb db(dir_);
  db.storeItems("PII", {row(3, "c"), row(1, "a"), row(2, "b")}, false);
  EXPECT_EQ(patterns(db.items("PII")), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(db.appendItem("PII", row(0, "d")), 4);
  db.storeItems("PII", {row(1, "e"), row(1, "f")}, true);
  EXPECT_EQ(patterns(db.items("PII")), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
  db.storeItems("PII", {row(5, "z")}, false);
  // The duplicate item_no fails the insert after the old rows were deleted
  // and one new row was written; all of it must roll back.
  EXPECT_THROW(db.storeItems("PII", {row(1, "x"), row(1, "y")}, false), AdminError);
  EXPECT_EQ(patterns(db.items("PII")), (std::vector<std::string>{"z"}));
  EXPECT_TRUE(db.removeItem("PII", 5));
  EXPECT_FALSE(db.removeItem("PII", 5));
}

}  // namespace
