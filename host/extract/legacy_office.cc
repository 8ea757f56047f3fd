#include "host/extract/legacy_office.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "host/utf8_text.h"

extern char** environ;

namespace vmund {
namespace {

using Clock = std::chrono::steady_clock;

// A stream name as the compound file's directory stores it: UTF-16LE.
bool hasStream(std::string const& bytes, char const* name) {
  std::string wide;
  for (char const* p = name; *p; ++p) wide += *p, wide += '\0';
  return bytes.find(wide) != std::string::npos;
}

bool writeAll(int fd, std::string const& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

// Runs `argv` with stdout to a pipe; its output, cut at `maxBytes`.
std::string run(std::vector<std::string> args, uint64_t maxBytes, Clock::time_point deadline,
                std::string& error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error = "cannot start a reader";
    return "";
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    error = args[0] + " is not installed (Debian package catdoc)";
    return "";
  }
  std::string out;
  char buf[65536];
  bool killed = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      killed = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    int n = poll(&p, 1, static_cast<int>(std::min<long long>(left.count() + 1, 60000)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) continue;
    ssize_t r = read(fds[0], buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    out.append(buf, static_cast<size_t>(r));
    if (out.size() >= maxBytes) {
      out.resize(maxBytes);
      killed = true;
      error = "text past the size limit";
      break;
    }
  }
  if (killed) kill(pid, SIGKILL);
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (killed && error.empty()) error = "time budget spent";
  if (!killed && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
    error = args[0] + " could not read the file";
  return out;
}

}  // namespace

LegacyText legacyOfficeText(std::string const& bytes, uint64_t maxBytes,
                            Clock::time_point deadline) {
  LegacyText out;
  std::vector<std::string> args;
  // A password-protected .docx, .xlsx or .pptx is a compound file that
  // holds the encrypted package.
  if (hasStream(bytes, "EncryptedPackage")) {
    out.error = "encrypted Office document";
    return out;
  }
  if (hasStream(bytes, "WordDocument")) {
    args = {"catdoc", "-w", "-d", "utf-8"};
  } else if (hasStream(bytes, "Workbook") || hasStream(bytes, "Book")) {
    args = {"xls2csv", "-q", "0", "-c", "\t", "-d", "utf-8"};
  } else if (hasStream(bytes, "PowerPoint Document")) {
    args = {"catppt", "-d", "utf-8"};
  } else {
    out.error = "compound file of no known Office kind";
    return out;
  }
  // The readers take a file name.
  char const* tmp = getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vmund-legacy-XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) {
    out.error = "cannot write a temporary file";
    return out;
  }
  bool written = writeAll(fd, bytes);
  close(fd);
  if (written) {
    args.push_back(path);
    out.text = run(args, maxBytes, deadline, out.error);
  } else {
    out.error = "cannot write a temporary file";
  }
  unlink(path.c_str());
  // xls2csv ends each sheet with a form feed.
  out.text = lfLines(validUtf8(std::move(out.text)));
  for (char& c : out.text)
    if (c == '\f') c = '\n';
  return out;
}

}  // namespace vmund
