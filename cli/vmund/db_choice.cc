// Choosing and checking the configuration database of `vmund scan`.
#include "vmund/db_choice.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "vessamund/db_client.h"

namespace vmund {

char const* builtInDbClient() { return VMUND_DB_CLIENT_NAME; }

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
    return "--db " + choice + ": this vmund reads the configuration database with the " +
           builtInDbClient() + " client (the build option VMUND_DB_CLIENT chooses it)";
  setenv(variable, place.c_str(), 1);
  return std::string();
}

std::string databaseProblem() {
  std::string const client = builtInDbClient();
  if (client == "sqlite") {
    char const* dir = std::getenv("VMUND_DB_DIR");
    std::string const db =
        std::string(dir && *dir ? dir : "/var/lib/vessamund") + "/fe_content.db";
    if (access(db.c_str(), R_OK) == 0) return std::string();
    return db + ": " + std::strerror(errno) +
           " (--db-dir names the folder; `vmund db init` creates it)";
  }
  if (client == "mariadb") {
    void* connection = db_connect_unix("fe_content");
    if (connection != nullptr) {
      db_disconnect(connection);
      return std::string();
    }
    char const* socket = std::getenv("VMUND_DB_SOCKET");
    return std::string("no connection to the database fe_content on ") +
           (socket && *socket ? socket : "the server's default socket") +
           " (--db mariadb:SOCKET names the socket; the login comes from VMUND_DB_USER and "
           "VMUND_DB_PASSWORD or the option files)";
  }
  return std::string();  // the host's own client: nothing to check here
}

}  // namespace vmund
