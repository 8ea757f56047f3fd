// Checking the listening address; see socket_guard.h.
#include "milter/socket_guard.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vmund {
namespace milter {
namespace {

std::string unixPath(std::string const& socket) {
  for (char const* prefix : {"unix:", "local:"})
    if (socket.compare(0, std::strlen(prefix), prefix) == 0) return socket.substr(std::strlen(prefix));
  return std::string();
}

}  // namespace

std::string socketFormProblem(std::string const& socket) {
  std::string const example = " (e.g. unix:/run/vessamund/milter.sock or inet:8894@127.0.0.1)";
  if (socket.empty()) return "no socket: set `socket` in the configuration or give --socket";
  std::string const path = unixPath(socket);
  if (!path.empty() || socket == "unix:" || socket == "local:") {
    if (path.empty() || path[0] != '/') return "socket \"" + socket + "\": the path must be absolute";
    if (path.size() >= sizeof(sockaddr_un::sun_path))
      return "socket \"" + socket + "\": the path is longer than " +
             std::to_string(sizeof(sockaddr_un::sun_path) - 1) + " bytes";
    return std::string();
  }
  size_t colon = socket.find(':');
  std::string const kind = socket.substr(0, colon);
  if (colon == std::string::npos || (kind != "inet" && kind != "inet6"))
    return "socket \"" + socket + "\": expected unix:PATH, inet:PORT@HOST or inet6:PORT@HOST" + example;
  std::string const rest = socket.substr(colon + 1);
  std::string const port = rest.substr(0, rest.find('@'));
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
      std::stoul(port) < 1 || std::stoul(port) > 65535)
    return "socket \"" + socket + "\": the port must be a number from 1 to 65535";
  return std::string();
}

std::string socketPlaceProblem(std::string const& socket) {
  std::string const path = unixPath(socket);
  if (path.empty()) return std::string();
  std::string const dir = path.substr(0, std::max<size_t>(path.rfind('/'), 1));
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return "socket \"" + socket + "\": the folder " + dir + " does not exist";
  if (access(dir.c_str(), W_OK | X_OK) != 0)
    return "socket \"" + socket + "\": cannot create it in " + dir + ": " + std::strerror(errno);
  return std::string();
}

std::string socketInUse(std::string const& socket) {
  std::string const path = unixPath(socket);
  if (path.empty()) return std::string();
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return std::string();
  if (!S_ISSOCK(st.st_mode)) return path + " exists and is not a socket; not replacing it";
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return path + ": cannot test the socket: " + std::strerror(errno);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  bool const live = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  if (live) return path + " is served by a running process (another vmund-milter?); not taking it over";
  return std::string();  // stale: nothing answers
}

}  // namespace milter
}  // namespace vmund
