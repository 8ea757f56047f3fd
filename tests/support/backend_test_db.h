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
//       files (template files, say);
//   addItem(dict, itemNo, pattern, weight, type, area), addMember(group,
//       memberNo, dict)  one row of fe_content (plain word of weight 1 over
//       part kind 1 unless told otherwise), names quoted as SQL literals.
//
// SQL must suit both: every column needs a type, and no SQLite functions or
// pragmas. MariaDB sessions are set up to read strings and `||` as SQLite
// does and to convert values that do not fit a column rather than refuse
// them (mariadb_test_db.h).
#ifndef VESSAMUND_TESTS_SUPPORT_BACKEND_TEST_DB_H_
#define VESSAMUND_TESTS_SUPPORT_BACKEND_TEST_DB_H_

#if defined(VMUND_DB_CLIENT_SQLITE)

#include "support/test_db.h"

namespace vmund_test {

class TestDbOfClient : public TestDbDir {
 public:
  // The directory of a stopped server: it does not exist.
  void suspend() { env_.set((dir() + "/suspended").c_str()); }
  void resume() { env_.set(dir().c_str()); }
};

}  // namespace vmund_test

#define VMUND_TEST_DB 1

#elif defined(VMUND_DB_CLIENT_MARIADB)

#include "support/mariadb_test_db.h"

namespace vmund_test {
using TestDbOfClient = TestMariaDb;
}  // namespace vmund_test

#define VMUND_TEST_DB 1

#endif

#ifdef VMUND_TEST_DB

#include <string>

namespace vmund_test {

class TestDb : public TestDbOfClient {
 public:
  void addItem(std::string const& dict, int itemNo, std::string const& pattern, int weight = 1,
               int type = 3, int area = 1) {
    exec("fe_content", "insert into fe_dict_item (dict_name, item_no, pattern, pattern_type, "
                       "pattern_weight, pattern_scan_area) values (" +
                           literal(dict) + ", " + std::to_string(itemNo) + ", " +
                           literal(pattern) + ", " + std::to_string(type) + ", " +
                           std::to_string(weight) + ", " + std::to_string(area) + ");");
  }
  void addMember(std::string const& group, int memberNo, std::string const& dict) {
    exec("fe_content", "insert into fe_dict_group_dictionaries values (" + literal(group) + ", " +
                           std::to_string(memberNo) + ", " + literal(dict) + ");");
  }
  static std::string literal(std::string const& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
  }
};

}  // namespace vmund_test

#endif

#endif  // VESSAMUND_TESTS_SUPPORT_BACKEND_TEST_DB_H_
