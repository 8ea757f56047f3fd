// MariaDB configuration databases for tests, on the private server that
// scripts/mariadb-test-server runs (it exports VMUND_DB_SOCKET, VMUND_DB_USER,
// VMUND_DB_PASSWORD and VMUND_TEST_MARIADB_DIR). Each object starts from a
// server without databases of its own, as the SQLite fixture starts from an
// empty directory, so one server serves one test process at a time. Only for
// builds with the MariaDB client (VMUND_DB_CLIENT_MARIADB).
#ifndef VESSAMUND_TESTS_SUPPORT_MARIADB_TEST_DB_H_
#define VESSAMUND_TESTS_SUPPORT_MARIADB_TEST_DB_H_

#include <mysql.h>
#include <stdlib.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/schema_sql.h"
#include "support/scoped_env.h"

namespace vmund_test {

// dir(): a temporary directory of the object's own, for files beside the
// databases.
class TestMariaDb : public TempDir {
 public:
  // Drops every database but the server's own.
  TestMariaDb() {
    if (getenv("VMUND_DB_SOCKET") == nullptr || getenv("VMUND_TEST_MARIADB_DIR") == nullptr)
      throw std::runtime_error(
          "no test server: run under scripts/mariadb-test-server run (make mariadb-check)");
    std::string drops;
    for (auto const& name : run("SHOW DATABASES")) {
      if (kServerOwn.count(name) == 0) drops += "DROP DATABASE `" + name + "`;";
    }
    if (!drops.empty()) run(drops);
  }
  ~TestMariaDb() {
    try {
      if (suspended_) resume();
    } catch (std::exception const&) {
      // The next test reports the missing server.
    }
  }

  // Runs `sql` (any number of statements) in database `name`, creating it
  // first, with the schema unless withSchema is false, when it does not
  // exist. The session reads SQL as SQLite does where the two differ: `||`
  // joins strings, a backslash is an ordinary character, and a value that
  // does not fit its column is converted (letters in an INTEGER become 0) or
  // cut instead of refused.
  void exec(std::string const& name, std::string const& sql, bool withSchema = true) {
    std::string all = "SET SESSION sql_mode = 'PIPES_AS_CONCAT,NO_BACKSLASH_ESCAPES';";
    if (made_.insert(name).second) {
      all += "CREATE DATABASE `" + name + "` CHARACTER SET utf8mb4; USE `" + name + "`;\n";
      if (withSchema) all += readSchema();
    } else {
      all += "USE `" + name + "`;\n";
    }
    run(all + sql);
  }

  // Stops the server: connections fail, and so does every statement on
  // connections already open. resume() starts it again with its data.
  void suspend() {
    server("stop");
    suspended_ = true;
  }
  void resume() {
    server("start");
    suspended_ = false;
  }

 private:
  static inline std::set<std::string> const kServerOwn = {"information_schema", "mysql",
                                                           "performance_schema", "sys"};

  static void server(char const* action) {
    std::string const command = std::string(VMUND_SOURCE_DIR) + "/scripts/mariadb-test-server " +
                                action + " '" + getenv("VMUND_TEST_MARIADB_DIR") + "'";
    if (system(command.c_str()) != 0) throw std::runtime_error(command + " failed");
  }

  // A connection of the test user, able to run several statements at once.
  static MYSQL* connect() {
    MYSQL* mysql = mysql_init(nullptr);
    if (mysql == nullptr) throw std::runtime_error("mysql_init failed");
    // Test SQL is UTF-8 source text.
    mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    char const* password = getenv("VMUND_DB_PASSWORD");
    if (mysql_real_connect(mysql, "localhost", getenv("VMUND_DB_USER"), password ? password : "",
                           nullptr, 0, getenv("VMUND_DB_SOCKET"), CLIENT_MULTI_STATEMENTS) ==
        nullptr)
      fail(mysql);
    return mysql;
  }

  [[noreturn]] static void fail(MYSQL* mysql) {
    std::string const error = std::string("test server: ") + mysql_error(mysql);
    mysql_close(mysql);
    throw std::runtime_error(error);
  }

  // Runs every statement of `sql`, throwing the server's message on the
  // first failure; gives the first column of every row they return.
  static std::vector<std::string> run(std::string const& sql) {
    MYSQL* mysql = connect();
    if (mysql_real_query(mysql, sql.data(), sql.size()) != 0) fail(mysql);
    std::vector<std::string> values;
    // mysql_next_result: 0 another result follows, -1 the last was read,
    // above 0 a later statement failed.
    int next = 0;
    do {
      MYSQL_RES* result = mysql_store_result(mysql);  // null for statements without rows
      if (mysql_errno(mysql) != 0) fail(mysql);
      while (MYSQL_ROW row = result != nullptr ? mysql_fetch_row(result) : nullptr)
        values.emplace_back(row[0] ? row[0] : "");
      mysql_free_result(result);
    } while ((next = mysql_next_result(mysql)) == 0);
    if (next > 0) fail(mysql);
    mysql_close(mysql);
    return values;
  }

  std::set<std::string> made_;
  bool suspended_ = false;
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_MARIADB_TEST_DB_H_
