// Locating, choosing and checking the configuration database.
#include "host/config_database.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "vessamund/db_client.h"

namespace vmund {
namespace {

char const kDatabase[] = "fe_content";

// The database as a person would look for it.
std::string databaseName() {
  if (std::string(builtInDbClient()) == "sqlite") return configDbFileIn(configDbDir());
  char const* socket = std::getenv("VMUND_DB_SOCKET");
  return std::string("database fe_content on ") +
         (socket && *socket ? socket : "the server's default socket");
}

// Quotes `text` as an SQL string literal for both clients (SQLite, and
// MariaDB with NO_BACKSLASH_ESCAPES, which its client sets).
std::string literal(std::string const& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

// Runs a COUNT statement. Returns false when the statement fails.
bool count(void* connection, std::string const& statement, long& out) {
  void* result = nullptr;
  if (db_query(connection, statement.c_str(), &result) != 0) return false;
  bool ok = result != nullptr && db_result_row_num(connection, result) == 1;
  if (ok) {
    void* row = db_result_fetch_row(result, 0);
    char const* value = row ? db_result_get_value(connection, result, row, 0) : nullptr;
    ok = value != nullptr;
    if (ok) out = std::strtol(value, nullptr, 10);
  }
  if (result) db_free_result(result);
  return ok;
}

}  // namespace

char const* builtInDbClient() { return VMUND_DB_CLIENT_NAME; }

std::string configDbDir() {
  char const* dir = std::getenv("VMUND_DB_DIR");
  return dir && *dir ? dir : "/var/lib/vessamund";
}

std::string configDbFileIn(std::string const& dir) { return dir + "/" + kDatabase + ".db"; }

void useConfigDbDir(std::string const& dir) { setenv("VMUND_DB_DIR", dir.c_str(), 1); }

std::string chooseDatabase(std::string const& choice) {
  size_t const colon = choice.find(':');
  std::string const kind = choice.substr(0, colon);
  std::string const place = colon == std::string::npos ? "" : choice.substr(colon + 1);
  char const* variable = kind == "sqlite"    ? "VMUND_DB_DIR"
                         : kind == "mariadb" ? "VMUND_DB_SOCKET"
                                             : nullptr;
  if (variable == nullptr || place.empty())
    return "--db " + choice + ": give sqlite:DIR or mariadb:SOCKET";
  if (kind != builtInDbClient())
    return "--db " + choice + ": this build reads the configuration database with the " +
           builtInDbClient() + " client (the build option VMUND_DB_CLIENT chooses it)";
  setenv(variable, place.c_str(), 1);
  return std::string();
}

std::string databaseProblem() {
  std::string const client = builtInDbClient();
  if (client == "none") return std::string();  // the host's own client: nothing to check here
  std::string const name = databaseName();
  if (client == "sqlite" && access(name.c_str(), R_OK) != 0)
    return name + ": " + std::strerror(errno) +
           " (--db-dir names the folder; `vmund db init` creates it)";
  void* connection = db_connect_unix(kDatabase);
  if (connection == nullptr) {
    if (client == "sqlite") return name + ": cannot be opened";
    return "no connection to the " + name +
           " (--db mariadb:SOCKET names the socket; the login comes from VMUND_DB_USER and "
           "VMUND_DB_PASSWORD or the option files)";
  }
  long rows = 0;
  std::string problem;
  for (char const* table : {"fe_dict_item", "fe_dict_group_dictionaries"})
    if (problem.empty() && !count(connection, std::string("SELECT COUNT(*) FROM ") + table, rows))
      problem = name + ": not a configuration database (table " + table +
                " cannot be read; `vmund db init` creates one)";
  db_disconnect(connection);
  return problem;
}

std::string sourceProblem(ScannerRequest const& request) {
  if (request.source == ScannerRequest::kTemplate) return std::string();
  bool const group = request.source == ScannerRequest::kGroup;
  void* connection = db_connect_unix(kDatabase);
  if (connection == nullptr) return databaseName() + ": cannot be opened";
  long rows = 0;
  bool ok = count(connection,
                  group ? "SELECT COUNT(*) FROM fe_dict_group_dictionaries WHERE group_name = " +
                              literal(request.name)
                        : "SELECT COUNT(*) FROM fe_dict_item WHERE dict_name = " +
                              literal(request.name),
                  rows);
  db_disconnect(connection);
  if (!ok) return databaseName() + ": cannot be read";
  if (rows == 0)
    return databaseName() + ": no " + (group ? "group" : "dictionary") + " named \"" +
           request.name + "\"";
  return std::string();
}

}  // namespace vmund
