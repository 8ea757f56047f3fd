// Formatting and writing the milter's log lines.
#include "milter/message_log.h"

#include <syslog.h>

#include <cstdio>

namespace vmund {
namespace milter {
namespace {

// Message ids and queue ids come from outside: keep them on one line and
// free of the quotes the line uses.
std::string safe(std::string const& text) {
  if (text.empty()) return "-";
  std::string out = text.substr(0, 200);
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f || c == '"') c = '?';
  }
  return out;
}

}  // namespace

std::string messageLine(std::string const& queueId, std::string const& messageId, uint64_t size,
                        Verdict const& verdict, double millis) {
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.1f", millis);
  std::string line = "id=" + safe(queueId) + " message-id=" + safe(messageId) +
                     " size=" + std::to_string(size) + " status=\"" + verdict.status + "\"";
  if (!verdict.score.empty()) line += " score=\"" + verdict.score + "\"";
  line += std::string(" action=") + actionName(verdict.action) + " ms=" + ms;
  return line;
}

Log::Log(bool useSyslog) : syslog_(useSyslog) {
  if (syslog_) openlog("vmund-milter", LOG_PID, LOG_MAIL);
}

Log::~Log() {
  if (syslog_) closelog();
}

void Log::write(int priority, char const* prefix, std::string const& line) {
  if (syslog_) {
    ::syslog(priority, "%s%s", prefix, line.c_str());
  } else {
    std::string out = std::string("vmund-milter: ") + prefix + line + "\n";
    std::fwrite(out.data(), 1, out.size(), stderr);  // one call: lines of threads stay whole
    std::fflush(stderr);
  }
}

void Log::info(std::string const& line) { write(LOG_INFO, "", line); }
void Log::warning(std::string const& line) { write(LOG_WARNING, "warning: ", line); }
void Log::error(std::string const& line) { write(LOG_ERR, "error: ", line); }

}  // namespace milter
}  // namespace vmund
