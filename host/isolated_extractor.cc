// The child is started with posix_spawn, which is safe in a process with many
// threads (the milter) where fork() followed by anything but exec is not. One
// socket pair carries the attachment in and the results out: send() with
// MSG_NOSIGNAL, so a child that dies early cannot raise SIGPIPE here.
#include "host/isolated_extractor.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/extract_wire.h"

extern char** environ;

namespace vmund {
namespace {

using Clock = std::chrono::steady_clock;

bool executable(std::string const& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

// Counts what the child reported, then passes it on.
class CountingSink : public ExtractSink {
 public:
  explicit CountingSink(ExtractSink& to) : to_(to) {}
  void text(std::string const& label, std::string text) override {
    ++records;
    to_.text(label, std::move(text));
  }
  void skipped(std::string const& label, std::string const& reason, bool unscannable) override {
    ++records;
    to_.skipped(label, reason, unscannable);
  }
  size_t records = 0;

 private:
  ExtractSink& to_;
};

std::string describeStatus(int status, bool killedForTime) {
  if (killedForTime) return "time budget spent while extracting";
  if (WIFSIGNALED(status)) {
    int sig = WTERMSIG(status);
    if (sig == SIGXCPU || sig == SIGKILL) return "extractor ran out of CPU time";
    return std::string("extractor crashed (") + strsignal(sig) + ")";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) return "extractor ran out of memory";
  if (WIFEXITED(status)) return "extractor failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
  return "extractor failed";
}

}  // namespace

std::string defaultHelperPath() {
  if (char const* env = std::getenv("VMUND_EXTRACT"); env && *env) return env;
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string dir(self, static_cast<size_t>(n));
    dir.resize(dir.rfind('/') + 1);
    if (executable(dir + "vmund-extract")) return dir + "vmund-extract";
  }
#ifdef VMUND_EXTRACT_INSTALLED
  if (executable(VMUND_EXTRACT_INSTALLED)) return VMUND_EXTRACT_INSTALLED;
#endif
#ifdef VMUND_EXTRACT_BUILT
  if (executable(VMUND_EXTRACT_BUILT)) return VMUND_EXTRACT_BUILT;
#endif
  return "vmund-extract";
}

IsolatedExtractor::IsolatedExtractor(ExtractLimits limits, std::string helper, uint64_t memoryLimit)
    : limits_(limits), helper_(helper.empty() ? defaultHelperPath() : std::move(helper)),
      memoryLimit_(memoryLimit) {}

void IsolatedExtractor::extract(std::string const& bytes, std::string const& label,
                                ExtractBudget& budget, ExtractSink& sink) const {
  if (budget.expired()) {
    sink.skipped(label, "time budget spent before extraction", true);
    return;
  }
  // The child's CPU limit: what is left of the budget, rounded up, at least
  // 1 s; without a budget, still a bound on an extractor that spins.
  long long cpu = 600;
  if (budget.deadline != Clock::time_point::max()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(budget.deadline - Clock::now());
    cpu = std::max<long long>(1, (left.count() + 999) / 1000);
  }
  std::vector<std::string> args = {
      helper_,
      "--label", label,
      "--max-depth", std::to_string(limits_.maxDepth),
      "--max-entries", std::to_string(budget.entriesLeft),
      "--max-total", std::to_string(budget.bytesLeft),
      "--max-entry", std::to_string(limits_.maxEntryBytes),
      "--max-ratio", std::to_string(limits_.maxRatio),
      "--ratio-floor", std::to_string(limits_.ratioFloor),
      "--memory", std::to_string(memoryLimit_),
      "--cpu", std::to_string(cpu)};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int sv[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
    sink.skipped(label, std::string("cannot start the extractor: ") + std::strerror(errno), true);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sv[1], 0);
  posix_spawn_file_actions_adddup2(&actions, sv[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // The child starts with default signal dispositions and no blocked signals,
  // whatever the milter's threads have set.
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, helper_.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(sv[1]);
  if (rc != 0) {
    close(sv[0]);
    sink.skipped(label, "cannot start the extractor " + helper_ + ": " + std::strerror(rc), true);
    return;
  }
  int fd = sv[0];
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);

  // The results may not exceed what the limits allow to be decompressed,
  // plus room for labels and reasons.
  uint64_t const maxOutput = std::min<uint64_t>(budget.bytesLeft, limits_.maxTotalBytes) +
                             bytes.size() + (16u << 20);
  std::string out;
  size_t sent = 0;
  if (bytes.empty()) shutdown(fd, SHUT_WR);
  bool readDone = false, killedForTime = false, tooMuch = false;
  char buf[65536];
  while (!readDone) {
    int timeout = -1;
    if (budget.deadline != Clock::time_point::max()) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(budget.deadline - Clock::now());
      if (left.count() <= 0) {
        killedForTime = true;
        break;
      }
      timeout = static_cast<int>(std::min<long long>(left.count() + 1, 60000));
    }
    pollfd p{fd, static_cast<short>(POLLIN | (sent < bytes.size() ? POLLOUT : 0)), 0};
    int n = poll(&p, 1, timeout);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    if (n == 0) continue;  // the deadline check above decides
    if (sent < bytes.size() && (p.revents & POLLOUT)) {
      ssize_t w = send(fd, bytes.data() + sent, std::min<size_t>(bytes.size() - sent, 1 << 20),
                       MSG_NOSIGNAL);
      if (w > 0) sent += static_cast<size_t>(w);
      if (w < 0 && errno != EAGAIN && errno != EINTR) sent = bytes.size();  // the child stopped reading
      if (sent == bytes.size()) shutdown(fd, SHUT_WR);
    }
    if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
      ssize_t r = recv(fd, buf, sizeof buf, 0);
      if (r > 0) {
        out.append(buf, static_cast<size_t>(r));
        if (out.size() > maxOutput) {
          tooMuch = true;
          break;
        }
      } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
        readDone = true;
      }
    }
  }
  if (!readDone) kill(pid, SIGKILL);
  close(fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }

  CountingSink counted(sink);
  WireSummary summary = readWire(out, counted);
  budget.entriesLeft -= std::min(budget.entriesLeft, summary.entries);
  budget.bytesLeft -= std::min(budget.bytesLeft, summary.bytes);
  bool cleanExit = readDone && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (summary.ended && summary.error.empty() && cleanExit) return;
  std::string why = tooMuch ? "extractor output past the limits"
                    : !summary.error.empty() && cleanExit ? "extractor output unreadable: " + summary.error
                    : describeStatus(status, killedForTime);
  sink.skipped(label, counted.records ? why + " (parts before it were read)" : why, true);
}

}  // namespace vmund
