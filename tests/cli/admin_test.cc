// Dictionaries in CSV and in the configuration database.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <sstream>
#include <tuple>

#include "outside/admin/config_db.h"
#include "outside/admin/dict_csv.h"
#include "outside/admin/pattern_types.h"
#include "vmund/schema_sql.h"

namespace {

using namespace vmund::admin;

TEST(PatternTypes, NamesAndCodesReadBack) {
  struct Row {
    char const* text;
    bool ok;
    uint16_t code;
  };
  Row const rows[] = {{"REGEX", true, 1},    {"ussn", true, 257},  {"65535", true, 65535},
                      {"65536", false, 0},   {"-1", false, 0},     {"", false, 0},
                      {"3x", false, 0},      {"card", false, 0}};
  for (Row const& r : rows) {
    SCOPED_TRACE(r.text);
    uint16_t code = 9999;
    ASSERT_EQ(parsePatternType(r.text, code), r.ok);
    if (r.ok) {
      EXPECT_EQ(code, r.code);
    }
  }
  for (unsigned code = 0; code < 300; ++code) {
    uint16_t back = 9999;
    ASSERT_TRUE(parsePatternType(patternTypeName(static_cast<uint16_t>(code)), back)) << code;
    EXPECT_EQ(back, code);
  }
}

std::vector<CsvProblem> readProblems(std::string const& csv, RowCheck const& check = {}) {
  std::istringstream in(csv);
  std::vector<CsvProblem> problems;
  readItemsCsv(in, problems, check);
  return problems;
}

TEST(DictCsv, ReadsWhatItWrites) {
  // Every field away from its default; an empty pattern.
  ItemRow const a{7, "say \"hi\", then\nleave", 1, 65535, 255, 40, 1, 0};
  ItemRow const b{9, "", 269, 1, 11, 0, 0, 1};
  std::ostringstream out;
  writeItemsCsv(out, {a, b});
  std::istringstream in(out.str());
  std::vector<CsvProblem> problems;
  std::vector<ItemRow> back = readItemsCsv(in, problems);
  ASSERT_TRUE(problems.empty()) << problems[0].message;
  ASSERT_EQ(back.size(), 2u);
  auto fields = [](ItemRow const& r) {
    return std::make_tuple(r.item_no, r.pattern, r.type, r.weight, r.scan_area, r.max_weight,
                           r.max_limit, r.status);
  };
  EXPECT_EQ(fields(back[0]), fields(a));
  EXPECT_EQ(fields(back[1]), fields(b));
}

TEST(DictCsv, ColumnsInAnyOrderDefaultsAndItemOrder) {
  std::istringstream in("pattern_weight,pattern,item_no\r\n5,b,2\r\n\r\n3,a,1\r\n");
  std::vector<CsvProblem> problems;
  std::vector<ItemRow> rows = readItemsCsv(in, problems);
  ASSERT_TRUE(problems.empty());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].pattern, "a");  // sorted by item_no
  EXPECT_EQ(rows[1].weight, 5);
  EXPECT_EQ(rows[1].type, 3);  // schema defaults
  EXPECT_EQ(rows[1].scan_area, 11);
  EXPECT_EQ(rows[1].status, 1);

  std::istringstream unnumbered("pattern\nx\ny\n");
  rows = readItemsCsv(unnumbered, problems);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].item_no, 2);
}

TEST(DictCsv, ProblemsNameTheirLine) {
  struct Row {
    char const* csv;
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
  };
  for (Row const& r : rows) {
    SCOPED_TRACE(r.csv);
    std::vector<CsvProblem> p = readProblems(r.csv);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].line, r.line);
    EXPECT_EQ(p[0].message, r.message);
  }
  std::vector<CsvProblem> p = readProblems("pattern\nfine\nbad(\n", [](ItemRow const& r) {
    return r.pattern == "bad(" ? std::string("does not compile") : std::string();
  });
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].line, 3);
  std::string longPattern(256, 'x');
  EXPECT_EQ(readProblems("pattern\n" + longPattern + "\n").at(0).message,
            "pattern is 256 bytes long, at most 255 fit");
}

class ConfigDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vmund-admin-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    ConfigDb::create(dir_, vmund::kSchemaSql);
  }
  void TearDown() override {
    unlink(ConfigDb::pathIn(dir_).c_str());
    rmdir(dir_.c_str());
  }
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
  std::string dir_;
};

TEST_F(ConfigDbTest, CreateRefusesAnExistingDatabase) {
  EXPECT_THROW(ConfigDb::create(dir_, vmund::kSchemaSql), AdminError);
  EXPECT_THROW(ConfigDb(dir_ + "/none"), AdminError);
  EXPECT_THROW(ConfigDb::create(dir_ + "/bad", "CREATE TABLE ("), AdminError);
  EXPECT_NE(access((dir_ + "/bad/fe_content.db").c_str(), F_OK), 0);  // removed again
  rmdir((dir_ + "/bad").c_str());
}

TEST_F(ConfigDbTest, ItemsKeepTheirOrderThroughReplaceAndAppend) {
  ConfigDb db(dir_);
  db.storeItems("PII", {row(3, "c"), row(1, "a"), row(2, "b")}, false);
  EXPECT_EQ(patterns(db.items("PII")), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(db.appendItem("PII", row(0, "d")), 4);
  db.storeItems("PII", {row(1, "e"), row(1, "f")}, true);
  EXPECT_EQ(patterns(db.items("PII")), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
  db.storeItems("PII", {row(5, "z")}, false);
  EXPECT_EQ(patterns(db.items("PII")), (std::vector<std::string>{"z"}));
  EXPECT_TRUE(db.removeItem("PII", 5));
  EXPECT_FALSE(db.removeItem("PII", 5));
}

TEST_F(ConfigDbTest, AFailedStoreWritesNothing) {
  ConfigDb db(dir_);
  db.storeItems("D", {row(1, "keep")}, false);
  // The duplicate item_no fails the insert after the old rows were deleted
  // and one new row was written; all of it must roll back.
  EXPECT_THROW(db.storeItems("D", {row(1, "x"), row(1, "y")}, false), AdminError);
  EXPECT_EQ(patterns(db.items("D")), (std::vector<std::string>{"keep"}));
}

TEST_F(ConfigDbTest, GroupsAndRemoval) {
  ConfigDb db(dir_);
  db.storeItems("A", {row(1, "a")}, false);
  db.storeItems("B", {row(1, "b"), row(2, "bb")}, false);
  db.addGroupMembers("G", {"B", "A"});
  db.addGroupMembers("G", {"B"});
  db.addGroupMembers("H", {"A"});
  std::vector<GroupSummary> g = db.groups();
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].members, (std::vector<std::string>{"B", "A", "B"}));
  EXPECT_EQ(db.removeGroupMembers("G", {"B"}), 2);
  EXPECT_EQ(db.removeDictionary("A"), 1);  // also leaves G and H
  EXPECT_TRUE(db.groups().empty());
  std::vector<DictSummary> d = db.dictionaries();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].name, "B");
  EXPECT_EQ(d[0].items, 2);
}

}  // namespace
