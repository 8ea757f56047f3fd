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
    // Test databases need no durability; without syncs they are quick to
    // write.
    std::string all = "PRAGMA synchronous = OFF;" +
                      (fresh && withSchema ? readSchema() : std::string()) + sql;
    sqlite3* db = nullptr;
    char* error = nullptr;
    int rc = sqlite3_open(file(name).c_str(), &db);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, all.c_str(), nullptr, nullptr, &error);
    std::string const message = error != nullptr ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(file(name) + ": " + message);
  }

 protected:
  ScopedEnv env_;
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_TEST_DB_H_
