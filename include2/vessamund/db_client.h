// The configuration-database client: seven C functions the loaders call. The
// library builds in an SQLite client by default (a build option selects the
// MariaDB client, or none, in which case the host supplies these functions).
//
// SQLite client: db_connect_unix(name) opens "<dir>/<name>.db" read-only,
// where <dir> is $VMUND_DB_DIR when set (read at each connect) and
// /var/lib/vessamund otherwise; a missing file is no connection.
//
// MariaDB client: db_connect_unix(name) connects over a Unix socket, never
// TCP, to the MariaDB or MySQL server's database <name>. The socket is
// $VMUND_DB_SOCKET when set, else the option files' or the client library's
// default (/run/mysqld/mysqld.sock on Debian); the user and password are
// $VMUND_DB_USER and $VMUND_DB_PASSWORD when set, else those of the option
// files' groups [client], [client-mariadb] and [vessamund]. All three are read
// at each connect. Text travels as UTF-8 (utf8mb4), and each session adds
// NO_BACKSLASH_ESCAPES to its sql_mode so that a backslash in a name is an
// ordinary character, as in SQLite. A server that refuses
// the connection, the login or the database is no connection; a server lost
// later makes db_query fail, and no connection reconnects by itself. The
// loaders' group statement quotes the group name with double quotes, which
// the server reads as a string in its default mode; a server running with
// ANSI_QUOTES in sql_mode reads it as a column name, so every group loads
// without members.
//
// All handles are opaque. Text returned by db_result_get_value belongs to the
// client and stays valid until the result is freed; SQL NULL reads as "".
// Several results may be open at once on one connection. A connection is used
// by one thread at a time.
#ifndef VESSAMUND_DB_CLIENT_H_
#define VESSAMUND_DB_CLIENT_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A connection to `database`, or null when none can be made.
void* db_connect_unix(char const* database);
// Runs `statement`. Returns 0 on success with *result set to the result (or
// null when the statement returns none); any other value is failure.
int db_query(void* connection, char const* statement, void** result);
// Number of rows in `result` (0 or less: none).
int db_result_row_num(void* connection, void* result);
// Row `index` (0 .. rows-1) of `result`.
void* db_result_fetch_row(void* result, uint32_t index);
// Column `column` (0 first, in select-list order) of `row`, as text.
char const* db_result_get_value(void* connection, void* result, void* row, int column);
// Releases a result; once per non-null result.
void db_free_result(void* result);
// Closes a connection; once, after its results are freed.
void db_disconnect(void* connection);

#ifdef __cplusplus
}
#endif

#endif  // VESSAMUND_DB_CLIENT_H_
