// MariaDB configuration databases for tests, on the private server that
// scripts/mariadb-test-server runs (it exports VMUND_DB_SOCKET, VMUND_DB_USER,
// VMUND_DB_PASSWORD and VMUND_TEST_MARIADB_DIR). Databases are made fresh on
// first use and dropped with the object. One server serves one test process
// at a time: the loaders always read the database "fe_content". Only for
// builds with the MariaDB client (VMUND_DB_CLIENT_MARIADB).
#ifndef VESSAMUND_TESTS_SUPPORT_MARIADB_TEST_DB_H_
#define VESSAMUND_TESTS_SUPPORT_MARIADB_TEST_DB_H_

#include <mysql.h>
#include <stdlib.h>

#include <set>
#include <stdexcept>
#include <string>

#include "support/schema_sql.h"

namespace vmund_test {

class TestMariaDb {
 public:
  TestMariaDb() {
    if (getenv("VMUND_DB_SOCKET") == nullptr || getenv("VMUND_TEST_MARIADB_DIR") == nullptr)
      throw std::runtime_error(
          "no test server: run under scripts/mariadb-test-server run (make mariadb-check)");
  }
  ~TestMariaDb() {
    try {
      if (suspended_) resume();
      for (auto const& name : made_) run("DROP DATABASE IF EXISTS `" + name + "`");
    } catch (std::exception const&) {
      // A test that failed midway must not take the rest of the run down.
    }
  }
  TestMariaDb(TestMariaDb const&) = delete;
  TestMariaDb& operator=(TestMariaDb const&) = delete;

  // Runs `sql` (any number of statements) in database `name`, making it
  // first (with the schema unless withSchema is false) when this object has
  // not made it yet; a leftover of an earlier run is dropped.
  void exec(std::string const& name, std::string const& sql, bool withSchema = true) {
    std::string all;
    if (made_.insert(name).second) {
      all = "DROP DATABASE IF EXISTS `" + name + "`; CREATE DATABASE `" + name +
            "` CHARACTER SET utf8mb4; USE `" + name + "`;\n";
      if (withSchema) all += readSchema();
    } else {
      all = "USE `" + name + "`;\n";
    }
    run(all + sql);
  }

  // Connecting to `name` fails from now on.
  void remove(std::string const& name) {
    run("DROP DATABASE IF EXISTS `" + name + "`");
    made_.erase(name);
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
  static void server(char const* action) {
    std::string const command = std::string(VMUND_SOURCE_DIR) + "/scripts/mariadb-test-server " +
                                action + " '" + getenv("VMUND_TEST_MARIADB_DIR") + "'";
    if (system(command.c_str()) != 0) throw std::runtime_error(command + " failed");
  }

  // Runs every statement of `sql` on a connection of its own, throwing the
  // server's message on the first failure.
  static void run(std::string const& sql) {
    MYSQL* mysql = mysql_init(nullptr);
    if (mysql == nullptr) throw std::runtime_error("mysql_init failed");
    // Test SQL is UTF-8 source text.
    mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    char const* password = getenv("VMUND_DB_PASSWORD");
    std::string error;
    if (mysql_real_connect(mysql, "localhost", getenv("VMUND_DB_USER"), password ? password : "",
                           nullptr, 0, getenv("VMUND_DB_SOCKET"), CLIENT_MULTI_STATEMENTS) ==
        nullptr) {
      error = std::string("connect: ") + mysql_error(mysql);
    } else if (mysql_real_query(mysql, sql.data(), sql.size()) != 0) {
      error = mysql_error(mysql);
    } else {
      // mysql_next_result: 0 another result follows, -1 the last was read,
      // above 0 a later statement failed.
      do {
        mysql_free_result(mysql_store_result(mysql));
        if (mysql_errno(mysql) != 0) break;
      } while (mysql_next_result(mysql) == 0);
      if (mysql_errno(mysql) != 0) error = mysql_error(mysql);
    }
    mysql_close(mysql);
    if (!error.empty()) throw std::runtime_error("sql failed: " + error);
  }

  std::set<std::string> made_;
  bool suspended_ = false;
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_MARIADB_TEST_DB_H_
