// The milter's log: one line per message, plus notes on start, reload and
// trouble, to syslog (mail facility) or standard error.
#ifndef VMUND_MILTER_MESSAGE_LOG_H_
#define VMUND_MILTER_MESSAGE_LOG_H_

#include <cstdint>
#include <string>

#include "milter/verdict.h"

namespace vmund {
namespace milter {

// The line for one message:
//   id=QUEUEID message-id=<...> size=BYTES status="..." score="..." action=ACTION ms=MILLIS
// `queueId` and `messageId` may be empty (shown as "-"); text from the
// message is made safe for a log (control characters and quotes become "?",
// cut at 200 bytes). score= is left out when the message was not scanned.
std::string messageLine(std::string const& queueId, std::string const& messageId, uint64_t size,
                        Verdict const& verdict, double millis);

// Where lines go. Thread-safe: each line is written with one call.
class Log {
 public:
  // Opens syslog as "vmund-milter" (with the pid, facility mail) when
  // `useSyslog`, else writes to standard error.
  explicit Log(bool useSyslog);
  ~Log();
  Log(Log const&) = delete;
  Log& operator=(Log const&) = delete;

  void info(std::string const& line);
  void warning(std::string const& line);
  void error(std::string const& line);

 private:
  void write(int priority, char const* prefix, std::string const& line);
  bool syslog_;
};

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_MESSAGE_LOG_H_
