// The configuration databases of a test, on whichever client the library is
// built with, so that one test body runs against SQLite files and against a
// MariaDB server alike. VMUND_TEST_DB is defined when there is a client (not
// in builds without one). A new `TestDb` starts with no databases:
//
//   exec(name, sql, withSchema = true)  runs statements in database `name`,
//       creating it first (from data/schema.sql unless withSchema is false)
//       when it does not exist;
//   suspend(), resume()  every database becomes unreachable, as with a
//       stopped server (new connections fail), and comes back unchanged;
//   dir()                a temporary directory of the test's own, for other
//       files (template files, say).
//
// SQL must suit both: every column needs a type, and no SQLite functions or
// pragmas. MariaDB sessions are set up to read strings and `||` as SQLite
// does and to convert values that do not fit a column rather than refuse
// them (mariadb_test_db.h).
#ifndef VESSAMUND_TESTS_SUPPORT_BACKEND_TEST_DB_H_
#define VESSAMUND_TESTS_SUPPORT_BACKEND_TEST_DB_H_

#if defined(VMUND_DB_CLIENT_SQLITE)

#include <stdlib.h>

#include "support/test_db.h"

namespace vmund_test {

class TestDb : public TestDbDir {
 public:
  // The directory of a stopped server: it does not exist.
  void suspend() { setenv("VMUND_DB_DIR", (dir() + "/suspended").c_str(), 1); }
  void resume() { setenv("VMUND_DB_DIR", dir().c_str(), 1); }
};

}  // namespace vmund_test

#define VMUND_TEST_DB 1

#elif defined(VMUND_DB_CLIENT_MARIADB)

#include "support/mariadb_test_db.h"

namespace vmund_test {

class TestDb : public TestMariaDb {};

}  // namespace vmund_test

#define VMUND_TEST_DB 1

#endif

#endif  // VESSAMUND_TESTS_SUPPORT_BACKEND_TEST_DB_H_
