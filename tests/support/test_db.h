// SQLite configuration databases for tests: a temporary directory that
// VMUND_DB_DIR names while the object lives, and databases written into it
// (from data/schema.sql unless asked otherwise). Only for builds with the
// SQLite client (VMUND_DB_CLIENT_SQLITE).
#ifndef VESSAMUND_TESTS_SUPPORT_TEST_DB_H_
#define VESSAMUND_TESTS_SUPPORT_TEST_DB_H_

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/schema_sql.h"
#include "support/scoped_env.h"

namespace vmund_test {

class TestDbDir : public TempDir {
 public:
  TestDbDir() : env_("VMUND_DB_DIR", nullptr) { env_.set(dir().c_str()); }

  std::string file(std::string const& name) const { return dir() + "/" + name + ".db"; }

  // Runs `sql` on <dir>/<name>.db, creating the file (and, when it is new
  // and withSchema is set, the schema) first.
  void exec(std::string const& name, std::string const& sql, bool withSchema = true) {
    bool const fresh = !std::filesystem::exists(file(name));
    sqlite3* db = nullptr;
    if (sqlite3_open(file(name).c_str(), &db) != SQLITE_OK) {
      sqlite3_close(db);
      throw std::runtime_error("cannot open " + file(name));
    }
    // Test databases need no durability; without syncs they are quick to
    // write.
    std::string all = "PRAGMA synchronous = OFF;" +
                      (fresh && withSchema ? readSchema() : std::string()) + sql;
    char* error = nullptr;
    int rc = sqlite3_exec(db, all.c_str(), nullptr, nullptr, &error);
    std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("sql failed: " + message);
  }

 protected:
  ScopedEnv env_;
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_TEST_DB_H_
