// Which configuration database `vmund scan` loads dictionaries and groups
// from. The library reads it through the one client it was built with: SQLite
// files in a folder ($VMUND_DB_DIR) or a MariaDB server's Unix socket
// ($VMUND_DB_SOCKET); this sets those variables and checks the database can
// be reached before any scanner is asked for.
#ifndef VMUND_CLI_VMUND_DB_CHOICE_H_
#define VMUND_CLI_VMUND_DB_CHOICE_H_

#include <string>

namespace vmund {

// The client built into the library: "sqlite", "mariadb" or "none".
char const* builtInDbClient();

// Applies a --db value: "sqlite:DIR" (the folder of fe_content.db) or
// "mariadb:SOCKET" (the server's socket), which must name the built-in
// client. Returns "" when applied, else what is wrong, for the person at the
// command line; nothing is changed then.
std::string chooseDatabase(std::string const& choice);

// "" when the database fe_content can be opened now (SQLite: the file is
// readable; MariaDB: a connection is made and closed). Else the problem and
// the option that fixes it.
std::string databaseProblem();

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_DB_CHOICE_H_
