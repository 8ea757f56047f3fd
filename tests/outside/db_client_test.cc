// The configuration-database client built in (SQLite files, or the private
// MariaDB server of scripts/mariadb-test-server) on real databases: rows as
// text, nested results, failures, and connections that cannot be made.
#include "support/backend_test_db.h"
#ifdef VMUND_TEST_DB

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "vessamund/db_client.h"

namespace {

using vmund_test::ScopedEnv;
using vmund_test::TestDb;
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

class DbClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dbs.exec("vmund_client_t",
             "create table t (id integer, a text, b integer, c decimal(4,1));"
             "insert into t values (2, 'two  words ', 20, 2.5);"
             "insert into t values (1, NULL, NULL, NULL);"
             "insert into t values (3, '\xc3\xa9t\xc3\xa9', -7, 0.1);",
             false);
    connection = db_connect_unix("vmund_client_t");
    ASSERT_NE(connection, nullptr);
  }
  void TearDown() override {
    if (connection != nullptr) db_disconnect(connection);
  }
  TestDb dbs;
  void* connection = nullptr;
};

TEST_F(DbClientTest, ReadsEveryRowAsTextInSelectListOrder) {
  // NULL in a text and in numeric columns alike reads as empty text; UTF-8
  // comes back byte for byte.
  EXPECT_EQ(query(connection, "select b, a, id, c from t order by id", 4),
            (Rows{{"", "", "1", ""},
                  {"20", "two  words ", "2", "2.5"},
                  {"-7", "\xc3\xa9t\xc3\xa9", "3", "0.1"}}));
  // The loaders never check fetches or values; out-of-range ones read "".
  void* result = nullptr;
  ASSERT_EQ(db_query(connection, "select a from t where id = 99", &result), 0);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(db_result_row_num(connection, result), 0);
  void* row = db_result_fetch_row(result, 0);
  EXPECT_EQ(row, nullptr);
  EXPECT_STREQ(db_result_get_value(connection, result, row, 0), "");
  db_free_result(result);
}

TEST_F(DbClientTest, ResultsStayReadableWhileOthersAreOpen) {
  void* outer = nullptr;
  ASSERT_EQ(db_query(connection, "select id from t order by id", &outer), 0);
  ASSERT_EQ(db_result_row_num(connection, outer), 3);
  std::vector<std::string> seen;
  for (uint32_t i = 0; i < 3; ++i) {
    void* row = db_result_fetch_row(outer, i);
    std::string id = db_result_get_value(connection, outer, row, 0);
    // A nested query per outer row, as a group load does.
    seen.push_back(id + ":" +
                   query(connection, ("select b from t where id = " + id).c_str(), 1).at(0).at(0));
    EXPECT_EQ(db_result_get_value(connection, outer, row, 0), id);
  }
  db_free_result(outer);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:", "2:20", "3:-7"}));
}

TEST(DbConnect, MissingDatabaseOrStoppedServerIsNoConnection) {
  TestDb dbs;
  dbs.exec("vmund_client_t", "create table t (a integer); insert into t values (7);", false);
  EXPECT_EQ(db_connect_unix("vmund_client_absent"), nullptr);
  void* open = db_connect_unix("vmund_client_t");
  ASSERT_NE(open, nullptr);
  dbs.suspend();
  EXPECT_EQ(db_connect_unix("vmund_client_t"), nullptr);
#if defined(VMUND_DB_CLIENT_MARIADB)
  // A statement on a connection made before fails, without a signal for the
  // broken socket.
  int status = 0;
  EXPECT_EQ(query(open, "select a from t", 1, &status), Rows{});
  EXPECT_NE(status, 0);
#endif
  dbs.resume();
  void* fresh = db_connect_unix("vmund_client_t");
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(query(fresh, "select a from t", 1), (Rows{{"7"}}));
  db_disconnect(fresh);
  db_disconnect(open);
}

#if defined(VMUND_DB_CLIENT_MARIADB)
TEST_F(DbClientTest, DoubleQuotedTextIsAStringUnlessAnsiQuotes) {
  // The group statement quotes the group's name with double quotes: it
  // reads members only while the server takes them for a string.
  char const* const statement = "select id from t where a = \"two  words \"";
  EXPECT_EQ(query(connection, statement, 1), (Rows{{"2"}}));
  int status = -1;
  query(connection, "set session sql_mode = concat(@@sql_mode, ',ANSI_QUOTES')", 0, &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(query(connection, statement, 1, &status), Rows{});
  EXPECT_NE(status, 0) << "in ANSI_QUOTES mode the quotes name a column";
}

TEST(DbConnect, LoginFromTheEnvironmentOrElseTheOptionFiles) {
  TestDb dbs;
  dbs.exec("vmund_client_present", "create table x (a int);", false);
  std::string const user = getenv("VMUND_DB_USER");
  std::string const password = getenv("VMUND_DB_PASSWORD");
  struct Case {
    char const* variable;
    std::string value;
    char const* note;
  } const cases[] = {
      {"VMUND_DB_SOCKET", std::string(getenv("VMUND_TEST_MARIADB_DIR")) + "/absent.sock",
       "no server on the socket"},
      {"VMUND_DB_PASSWORD", "wrong", "wrong password"},
      {"VMUND_DB_USER", "nobody_here", "unknown user"},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.note);
    ScopedEnv env(c.variable, c.value.c_str());  // read at each connect
    EXPECT_EQ(db_connect_unix("vmund_client_present"), nullptr);
  }
  std::string home = std::string(getenv("VMUND_TEST_MARIADB_DIR")) + "/home-XXXXXX";
  ASSERT_NE(mkdtemp(&home[0]), nullptr);
  ScopedEnv homeEnv("HOME", home.c_str());
  ScopedEnv noUser("VMUND_DB_USER", nullptr);
  ScopedEnv noPassword("VMUND_DB_PASSWORD", nullptr);
  for (std::string const& filePassword : {password, std::string("wrong")}) {
    SCOPED_TRACE("option file password " + filePassword);
    std::ofstream(home + "/.my.cnf")
        << "[vessamund]\nuser=" << user << "\npassword=" << filePassword << "\n";
    void* connection = db_connect_unix("vmund_client_present");
    EXPECT_EQ(connection != nullptr, filePassword == password);
    if (connection != nullptr) db_disconnect(connection);
  }
  std::filesystem::remove_all(home);
}
#endif

}  // namespace

#endif  // VMUND_TEST_DB
