// The configuration-database client on SQLite: the seven db_* functions over
// read-only database files. Results are read in full at query time into the
// shared model of db_result.h; SQLite's result codes end here.
#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "outside/db_result.h"
#include "vessamund/db_client.h"

namespace {

using Vessamund::outside::DbResult;
using Vessamund::outside::DbRow;
using Vessamund::outside::kDbFailed;

// Where databases live unless VMUND_DB_DIR names another directory.
constexpr char const* kDefaultDbDir = "/var/lib/vessamund";

// How long a query waits for a writer (the vmund command) to finish a
// transaction before it fails, in milliseconds.
constexpr int kBusyTimeoutMs = 2000;

std::string databasePath(char const* name) {
  char const* dir = std::getenv("VMUND_DB_DIR");
  if (dir == nullptr || *dir == '\0') dir = kDefaultDbDir;
  std::string path(dir);
  path += '/';
  path += name;
  path += ".db";
  return path;
}

// True when `tail` holds nothing but blanks, semicolons and comments. A
// statement text carrying a second statement is refused as a whole, as a
// server client without multi-statement support would.
bool onlyOneStatement(sqlite3* db, char const* tail) {
  while (tail != nullptr && *tail != '\0') {
    sqlite3_stmt* extra = nullptr;
    char const* next = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &extra, &next) != SQLITE_OK) return false;
    if (extra != nullptr) {
      sqlite3_finalize(extra);
      return false;
    }
    if (next == tail) break;
    tail = next;
  }
  return true;
}

DbRow readRow(sqlite3_stmt* stmt, int columns) {
  DbRow row;
  row.values.reserve(columns);
  for (int c = 0; c < columns; ++c) {
    if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
      row.values.emplace_back();
      continue;
    }
    // Text first, then its length: sqlite3_column_bytes measures the value
    // in the text form that sqlite3_column_text produced.
    auto const* text = reinterpret_cast<char const*>(sqlite3_column_text(stmt, c));
    int bytes = sqlite3_column_bytes(stmt, c);
    row.values.emplace_back(text != nullptr ? text : "", text != nullptr ? bytes : 0);
  }
  return row;
}

// Runs a prepared statement to its end. Returns 0 with *result set to the
// rows (null for a statement that returns no columns), or kDbFailed.
int runStatement(sqlite3_stmt* stmt, void** result) {
  int const columns = sqlite3_column_count(stmt);
  std::unique_ptr<DbResult> rows(columns > 0 ? new DbResult : nullptr);
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (rows) rows->rows.push_back(readRow(stmt, columns));
  }
  if (rc != SQLITE_DONE) return kDbFailed;
  *result = rows.release();
  return 0;
}

}  // namespace

extern "C" {

void* db_connect_unix(char const* database) {
  if (database == nullptr) return nullptr;
  sqlite3* db = nullptr;
  try {
    std::string const path = databasePath(database);
    // Read-only also means a missing file is not created: it is no
    // connection.
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      return nullptr;
    }
  } catch (std::bad_alloc const&) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  return db;
}

int db_query(void* connection, char const* statement, void** result) {
  if (result == nullptr) return kDbFailed;
  *result = nullptr;
  if (connection == nullptr || statement == nullptr) return kDbFailed;
  sqlite3* db = static_cast<sqlite3*>(connection);
  sqlite3_stmt* stmt = nullptr;
  char const* tail = nullptr;
  if (sqlite3_prepare_v2(db, statement, -1, &stmt, &tail) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return kDbFailed;
  }
  if (stmt == nullptr) return 0;  // blanks or comments only: no result
  int rc = kDbFailed;
  try {
    if (onlyOneStatement(db, tail)) rc = runStatement(stmt, result);
  } catch (std::bad_alloc const&) {
    rc = kDbFailed;
  }
  sqlite3_finalize(stmt);
  return rc;
}

int db_result_row_num(void* /*connection*/, void* result) {
  return Vessamund::outside::dbRowCount(result);
}

void* db_result_fetch_row(void* result, uint32_t index) {
  return Vessamund::outside::dbFetchRow(result, index);
}

char const* db_result_get_value(void* /*connection*/, void* /*result*/, void* row, int column) {
  return Vessamund::outside::dbValue(row, column);
}

void db_free_result(void* result) { Vessamund::outside::dbFreeResult(result); }

void db_disconnect(void* connection) {
  // sqlite3_close_v2 would defer the close while statements live; there are
  // none (every statement is finalised inside db_query).
  if (connection != nullptr) sqlite3_close(static_cast<sqlite3*>(connection));
}

}  // extern "C"
