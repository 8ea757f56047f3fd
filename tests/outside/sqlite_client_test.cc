// The SQLite configuration-database client (sqlite_client.cc) on real
// database files.
#ifdef VMUND_DB_CLIENT_SQLITE

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_db.h"
#include "vessamund/db_client.h"

namespace {

using vmund_test::TestDbDir;
using Rows = std::vector<std::vector<std::string>>;

// Runs `sql` and reads every row of `columns` columns; the status of
// db_query is returned through `status`.
Rows query(void* connection, char const* sql, int columns, int* status = nullptr) {
  void* result = nullptr;
  int rc = db_query(connection, sql, &result);
  if (status != nullptr) *status = rc;
  Rows rows;
  if (rc != 0 || result == nullptr) return rows;
  int n = db_result_row_num(connection, result);
  for (int i = 0; i < n; ++i) {
    void* row = db_result_fetch_row(result, static_cast<uint32_t>(i));
    rows.emplace_back();
    for (int c = 0; c < columns; ++c)
      rows.back().push_back(db_result_get_value(connection, result, row, c));
  }
  db_free_result(result);
  return rows;
}

class SqliteClient : public ::testing::Test {
 protected:
  void SetUp() override {
    dbs.exec("t",
             "create table t (id integer, a text, b integer, c real);"
             "insert into t values (2, 'two  words ', 20, 2.5);"
             "insert into t values (1, NULL, NULL, NULL);"
             "insert into t values (3, '\xc3\xa9t\xc3\xa9', -7, 0.1);",
             false);
    connection = db_connect_unix("t");
    ASSERT_NE(connection, nullptr);
  }
  void TearDown() override {
    if (connection != nullptr) db_disconnect(connection);
  }
  TestDbDir dbs;
  void* connection = nullptr;
};

TEST_F(SqliteClient, ReadsEveryRowAsTextInSelectListOrder) {
  EXPECT_EQ(query(connection, "select b, a, id, c from t order by id", 4),
            (Rows{{"", "", "1", ""},
                  {"20", "two  words ", "2", "2.5"},
                  {"-7", "\xc3\xa9t\xc3\xa9", "3", "0.1"}}));
}

TEST_F(SqliteClient, EmptyResultIsAResultWithoutRows) {
  void* result = nullptr;
  ASSERT_EQ(db_query(connection, "select a from t where id = 99", &result), 0);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(db_result_row_num(connection, result), 0);
  // The loaders never check fetches or values; out-of-range ones read "".
  void* row = db_result_fetch_row(result, 0);
  EXPECT_EQ(row, nullptr);
  EXPECT_STREQ(db_result_get_value(connection, result, row, 0), "");
  db_free_result(result);
}

TEST_F(SqliteClient, ResultsStayReadableWhileOthersAreOpen) {
  void* outer = nullptr;
  ASSERT_EQ(db_query(connection, "select id from t order by id", &outer), 0);
  ASSERT_EQ(db_result_row_num(connection, outer), 3);
  std::vector<std::string> seen;
  for (uint32_t i = 0; i < 3; ++i) {
    void* row = db_result_fetch_row(outer, i);
    std::string id = db_result_get_value(connection, outer, row, 0);
    // A nested query per outer row, as a group load does.
    void* inner = nullptr;
    ASSERT_EQ(db_query(connection, ("select b from t where id = " + id).c_str(), &inner), 0);
    ASSERT_EQ(db_result_row_num(connection, inner), 1);
    seen.push_back(id + ":" +
                   db_result_get_value(connection, inner, db_result_fetch_row(inner, 0), 0));
    db_free_result(inner);
    EXPECT_EQ(db_result_get_value(connection, outer, row, 0), id);
  }
  db_free_result(outer);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:", "2:20", "3:-7"}));
}

TEST_F(SqliteClient, FailingStatementsReturnNonZeroAndNoResult) {
  struct Case {
    char const* sql;
    char const* note;
  } const cases[] = {
      {"selec a from t", "syntax error"},
      {"select a from missing", "no such table"},
      {"select nothere from t", "no such column"},
      {"insert into t values (4, 'x', 1, 1)", "the connection is read-only"},
      {"select a from t; select b from t", "a second statement is refused"},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.note);
    void* result = reinterpret_cast<void*>(1);
    EXPECT_NE(db_query(connection, c.sql, &result), 0);
    EXPECT_EQ(result, nullptr);
  }
  EXPECT_EQ(query(connection, "select count(*) from t;  -- trailing comment\n", 1),
            (Rows{{"3"}}));
}

TEST(SqliteConnect, MissingDatabaseIsNoConnectionAndCreatesNothing) {
  TestDbDir dbs;
  EXPECT_EQ(db_connect_unix("absent"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dbs.file("absent")));

  setenv("VMUND_DB_DIR", (dbs.dir() + "/no-such-dir").c_str(), 1);
  dbs.exec("present", "create table x (a);", false);
  EXPECT_EQ(db_connect_unix("present"), nullptr);

  // The directory is read at each connect.
  setenv("VMUND_DB_DIR", dbs.dir().c_str(), 1);
  void* connection = db_connect_unix("present");
  EXPECT_NE(connection, nullptr);
  db_disconnect(connection);
}

}  // namespace

#endif  // VMUND_DB_CLIENT_SQLITE
