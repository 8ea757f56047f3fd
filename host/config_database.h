// The configuration database "fe_content" as the tools see it: where it is,
// which client reads it, and whether it can serve a scanner. The library
// reads it through the one client it was built with (SQLite files in a
// folder, $VMUND_DB_DIR; or a MariaDB server's Unix socket,
// $VMUND_DB_SOCKET) and answers a database it cannot read with empty
// scanners; the tools check first, so that a broken policy is an error
// rather than a scanner that finds nothing.
#ifndef VMUND_HOST_CONFIG_DATABASE_H_
#define VMUND_HOST_CONFIG_DATABASE_H_

#include <string>

#include "host/scanner_request.h"

namespace vmund {

// The client built into the library: "sqlite", "mariadb" or "none".
char const* builtInDbClient();

// The folder of fe_content.db: $VMUND_DB_DIR when set, else
// /var/lib/vessamund.
std::string configDbDir();

// DIR/fe_content.db.
std::string configDbFileIn(std::string const& dir);

// Makes the library read fe_content.db in `dir` (sets $VMUND_DB_DIR).
void useConfigDbDir(std::string const& dir);

// Applies a --db value: "sqlite:DIR" (the folder of fe_content.db) or
// "mariadb:SOCKET" (the server's socket), which must name the built-in
// client. Returns "" when applied, else what is wrong, for the person at the
// command line; nothing is changed then.
std::string chooseDatabase(std::string const& choice);

// "" when fe_content can be opened now and holds the configuration tables.
// Else the problem, naming the database, and what fixes it: a missing or
// unreadable file, no connection, or something that is not a configuration
// database (garbage, a truncated file, another schema).
std::string databaseProblem();

// "" when the database holds the dictionary or group `request` names (a
// template is not in the database: always ""). Else "no dictionary named
// ..." naming the database. REQUIRES: databaseProblem() is "".
std::string sourceProblem(ScannerRequest const& request);

}  // namespace vmund

#endif  // VMUND_HOST_CONFIG_DATABASE_H_
