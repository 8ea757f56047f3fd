// The configuration-database client on a MariaDB (or MySQL) server reached
// over its Unix socket: the seven db_* functions on the MariaDB client
// library. Each result is buffered by the client library and copied into the
// shared model of db_result.h, so any number stay open on one connection; the
// library's error codes end here.
#include <mysql.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "outside/db_result.h"
#include "vessamund/db_client.h"

namespace {

using Vessamund::outside::DbResult;
using Vessamund::outside::DbRow;
using Vessamund::outside::kDbFailed;

// The option-file group read besides [client] and [client-mariadb], for
// settings meant for this library alone (user, password, socket).
constexpr char const* kOptionGroup = "vessamund";

// The loaders double the quote characters of a name and take every other
// byte as it is, as SQLite does; a server that also reads a backslash as an
// escape would let a name's "\'" end the string early. Run at each connect; a
// server refusing it gives no connection.
constexpr char const* kSessionSetup =
    "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
    "'NO_BACKSLASH_ESCAPES')";

// Loads run under the factory's exclusive lock, so a server that accepts a
// connection and then hangs must not stall every scanner request for long.
// Seconds.
constexpr unsigned int kConnectTimeoutS = 5;
constexpr unsigned int kReadWriteTimeoutS = 30;

// The client library's global state is not made safely by two threads at
// once; the first connect makes it, under the guard of a static.
bool libraryReady() {
  static bool const ready = mysql_library_init(0, nullptr, nullptr) == 0;
  return ready;
}

// A variable's value, or null when it is unset (or, unless `emptyCounts`,
// empty): null lets the option files or the library's default decide.
char const* fromEnvironment(char const* name, bool emptyCounts) {
  char const* value = std::getenv(name);
  if (value == nullptr || (*value == '\0' && !emptyCounts)) return nullptr;
  return value;
}

// Reads the rest of a buffered result. Text values keep their bytes; SQL
// NULL becomes "". Throws std::bad_alloc.
std::unique_ptr<DbResult> copyRows(MYSQL_RES* stored) {
  auto rows = std::make_unique<DbResult>();
  unsigned int const columns = mysql_num_fields(stored);
  rows->rows.reserve(static_cast<size_t>(mysql_num_rows(stored)));
  while (MYSQL_ROW values = mysql_fetch_row(stored)) {
    unsigned long const* lengths = mysql_fetch_lengths(stored);
    DbRow row;
    row.values.reserve(columns);
    for (unsigned int c = 0; c < columns; ++c) {
      if (values[c] == nullptr)
        row.values.emplace_back();
      else
        row.values.emplace_back(values[c], lengths[c]);
    }
    rows->rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

extern "C" {

void* db_connect_unix(char const* database) {
  if (database == nullptr || !libraryReady()) return nullptr;
  MYSQL* mysql = mysql_init(nullptr);
  if (mysql == nullptr) return nullptr;

  unsigned int const protocol = MYSQL_PROTOCOL_SOCKET;
  mysql_optionsv(mysql, MYSQL_OPT_PROTOCOL, &protocol);
  mysql_optionsv(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectTimeoutS);
  mysql_optionsv(mysql, MYSQL_OPT_READ_TIMEOUT, &kReadWriteTimeoutS);
  mysql_optionsv(mysql, MYSQL_OPT_WRITE_TIMEOUT, &kReadWriteTimeoutS);
  mysql_optionsv(mysql, MYSQL_READ_DEFAULT_GROUP, kOptionGroup);
  // Patterns are compared byte for byte with message text, which the host
  // hands over in UTF-8; the server converts stored text to that.
  mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  mysql_optionsv(mysql, MYSQL_INIT_COMMAND, kSessionSetup);

  // Read at each connect, like the SQLite client's directory. A null socket
  // means the option files' socket or the library's built-in one; null user
  // or password, the option files' (or the login name and none).
  char const* socket = fromEnvironment("VMUND_DB_SOCKET", false);
  char const* user = fromEnvironment("VMUND_DB_USER", false);
  char const* password = fromEnvironment("VMUND_DB_PASSWORD", true);
  // "localhost" is what makes the library use the socket rather than TCP.
  if (mysql_real_connect(mysql, "localhost", user, password, database, 0, socket, 0) == nullptr) {
    mysql_close(mysql);
    return nullptr;
  }
  return mysql;
}

int db_query(void* connection, char const* statement, void** result) {
  if (result == nullptr) return kDbFailed;
  *result = nullptr;
  if (connection == nullptr || statement == nullptr) return kDbFailed;
  MYSQL* mysql = static_cast<MYSQL*>(connection);
  // Without CLIENT_MULTI_STATEMENTS the server refuses a text holding two
  // statements, as the SQLite client does.
  if (mysql_real_query(mysql, statement, std::strlen(statement)) != 0) return kDbFailed;
  MYSQL_RES* stored = mysql_store_result(mysql);
  if (stored == nullptr) {
    // No result set is success only for a statement that has none; for a
    // select it means reading the rows failed (a lost server, no memory).
    return mysql_field_count(mysql) == 0 ? 0 : kDbFailed;
  }
  int rc = kDbFailed;
  try {
    *result = copyRows(stored).release();
    rc = 0;
  } catch (std::bad_alloc const&) {
    rc = kDbFailed;
  }
  mysql_free_result(stored);
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
  if (connection != nullptr) mysql_close(static_cast<MYSQL*>(connection));
}

}  // extern "C"
