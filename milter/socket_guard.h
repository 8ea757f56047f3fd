// The milter's listening address: its form, and one milter per socket.
#ifndef VMUND_MILTER_SOCKET_GUARD_H_
#define VMUND_MILTER_SOCKET_GUARD_H_

#include <string>

namespace vmund {
namespace milter {

// "" or what is wrong with a libmilter address: unix:/PATH (or local:/PATH),
// inet:PORT[@HOST] or inet6:PORT[@HOST] with PORT 1..65535. libmilter itself
// takes a bare path as a Unix socket and cuts a port to 16 bits; both hide
// mistakes, so both are refused.
std::string socketFormProblem(std::string const& socket);

// "" when a Unix socket can be made at its path (the folder exists and this
// process may write there); always "" for TCP. REQUIRES: the form is good.
std::string socketPlaceProblem(std::string const& socket);

// Before listening on a Unix socket: "" when the path is free, or holds a
// stale socket that nothing answers on (libmilter then replaces it); else
// why the milter must not start there - a live process serves the socket, or
// the path is not a socket. Always "" for TCP, where the kernel refuses a
// second listener. REQUIRES: socketFormProblem(socket) is "".
std::string socketInUse(std::string const& socket);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_SOCKET_GUARD_H_
