// The configuration databases of a test, on whichever client the library is
// built with: `ConfigDb` makes databases from SQL and can make them
// unreachable, so one test body runs against SQLite files and against a
// MariaDB server alike. VMUND_TEST_CONFIG_DB is defined when a backend is
// there (not in builds without a client).
//
//   exec(name, sql, withSchema = true)  runs statements in database `name`,
//       made fresh (from data/schema.sql unless withSchema is false) on its
//       first use by this object;
//   remove(name)        the database is gone: connecting to it fails;
//   suspend(), resume() every database becomes unreachable, as with a
//       stopped server (new connections fail), and comes back unchanged.
//
// Write SQL both accept: plain inserts and selects, '...' strings, no `||`
// (a logical or in MariaDB), values that fit their column (MariaDB refuses
// 300 characters for a VARCHAR(255) or letters for an INTEGER).
#ifndef VESSAMUND_TESTS_SUPPORT_CONFIG_DB_H_
#define VESSAMUND_TESTS_SUPPORT_CONFIG_DB_H_

#if defined(VMUND_DB_CLIENT_SQLITE)

#include <stdlib.h>

#include "support/test_db.h"

namespace vmund_test {

class ConfigDb : public TestDbDir {
 public:
  // The directory of a stopped server: it does not exist.
  void suspend() { setenv("VMUND_DB_DIR", (dir() + "/suspended").c_str(), 1); }
  void resume() { setenv("VMUND_DB_DIR", dir().c_str(), 1); }
};

}  // namespace vmund_test

#define VMUND_TEST_CONFIG_DB 1

#elif defined(VMUND_DB_CLIENT_MARIADB)

#include "support/mariadb_test_db.h"

namespace vmund_test {

class ConfigDb : public TestMariaDb {};

}  // namespace vmund_test

#define VMUND_TEST_CONFIG_DB 1

#endif

#endif  // VESSAMUND_TESTS_SUPPORT_CONFIG_DB_H_
