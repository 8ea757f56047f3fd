// vmund-milter: scores every message in the MTA's SMTP path with Vessamund
// dictionaries and accepts, quarantines, rejects or tempfails it by policy.
#include <CLI/CLI.hpp>
#include <libmilter/mfapi.h>
#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "host/config_database.h"
#include "host/template_folder.h"
#include "host/isolated_extractor.h"
#include "milter/config.h"
#include "milter/message_log.h"
#include "milter/milter_callbacks.h"
#include "milter/scanner_source.h"
#include "milter/socket_guard.h"

namespace {

using namespace vmund::milter;

enum Exit { kOk = 0, kFailed = 1, kBadConfig = 2 };

ScannerSource* gSource = nullptr;
// Posted by a stop signal's handler or by the end of smfi_main; the main
// thread waits on it. sem_post is safe in a signal handler.
sem_t gWake;

extern "C" void onSignal(int number) {
  if (number == SIGHUP) {
    if (gSource) gSource->requestReload();
    return;
  }
  int const saved = errno;  // the interrupted code may be about to read it
  sem_post(&gWake);
  errno = saved;
}

bool readConfig(std::string const& path, Config& config) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "vmund-milter: " << path << ": cannot read the configuration file\n";
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<ConfigProblem> problems;
  parseConfig(text.str(), config, problems);
  for (ConfigProblem const& p : problems) {
    std::cerr << "vmund-milter: " << path;
    if (p.line > 0) std::cerr << ":" << p.line;
    std::cerr << ": " << p.message << "\n";
  }
  return problems.empty();
}

// The stop and reload signals are handled here, not by libmilter's signal
// thread, which waits for SIGHUP, SIGTERM and SIGINT and stops the milter on
// any of them. libmilter and the threads it starts run with the three
// blocked; this thread alone leaves them open, and Linux hands a signal sent
// to the process to its main thread when that thread does not block it.
// SIGHUP then reloads, and SIGTERM or SIGINT stops the milter from here.
//
// Stopping from the main thread also orders the stop before exit: libmilter
// takes a global mutex to stop and destroys it at exit, and its own signal
// thread is detached, so nothing would keep exit from destroying that mutex
// while the signal thread still holds it.
int runMilter() {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGHUP);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  sem_init(&gWake, 0, 0);
  struct sigaction handler {};
  handler.sa_handler = onSignal;
  handler.sa_mask = stopSignals;
  handler.sa_flags = SA_RESTART;
  for (int caught : {SIGHUP, SIGTERM, SIGINT}) sigaction(caught, &handler, nullptr);
  signal(SIGPIPE, SIG_IGN);

  int result = MI_FAILURE;
  std::atomic<bool> ended{false};
  std::thread milter([&] {
    result = smfi_main();
    ended = true;
    sem_post(&gWake);
  });
  pthread_sigmask(SIG_UNBLOCK, &stopSignals, nullptr);
  while (sem_wait(&gWake) != 0 && errno == EINTR) {
  }
  // Unless smfi_main ended by itself (its socket failed), a stop signal woke us.
  if (!ended) smfi_stop();
  milter.join();
  return result == MI_SUCCESS ? kOk : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "vmund-milter: scan every message in the mail path with Vessamund dictionaries.\n"
      "Adds X-Vessamund-Score and X-Vessamund-Status to each message and accepts,\n"
      "quarantines, rejects or tempfails it as the rules of the configuration file say.\n"
      "The log line of each message names what matched and where, never a value\n"
      "(findings-header yes adds the same as X-Vessamund-Findings).\n"
      "SIGHUP reloads the dictionaries from the database at the next message.",
      "vmund-milter");
  std::string configPath = "/etc/vessamund/vmund-milter.conf";
  std::string socket, dbDir, templates, log;
  bool check = false;
  app.add_option("-c,--config", configPath, "Configuration file (default /etc/vessamund/vmund-milter.conf)");
  app.add_option("-p,--socket", socket,
                 "Where to listen, overriding `socket`: inet:PORT@127.0.0.1, inet6:PORT@[::1] or "
                 "unix:/run/vessamund/milter.sock");
  app.add_option("--db-dir", dbDir,
                 "Folder of fe_content.db, overriding `db-dir` (default: $VMUND_DB_DIR or "
                 "/var/lib/vessamund)");
  app.add_option("--templates", templates,
                 "Folder of the template files, overriding `templates` (default: /var/spool/etc/template)");
  app.add_option("--log", log, "Where the log goes, overriding `log`: syslog or stderr (default stderr)")
      ->check(CLI::IsMember({"syslog", "stderr"}));
  app.add_flag("--check", check, "Read the configuration and load every scanner, then exit");
  try {
    app.parse(argc, argv);
  } catch (CLI::ParseError const& e) {
    // --help and --version exit 0; any other command-line mistake is a bad
    // configuration as much as one in the file.
    return app.exit(e) == 0 ? kOk : kBadConfig;
  }

  Config config;
  if (!readConfig(configPath, config)) return kBadConfig;
  if (!socket.empty()) config.socket = socket;
  if (!dbDir.empty()) config.dbDir = dbDir;
  if (!templates.empty()) config.templates = templates;
  if (!log.empty()) config.syslog = log == "syslog";
  std::string const badSocket = socketFormProblem(config.socket);
  if (!badSocket.empty()) {
    std::cerr << "vmund-milter: " << configPath << ": " << badSocket << "\n";
    return kBadConfig;
  }
  if (!config.dbDir.empty()) vmund::useConfigDbDir(config.dbDir);
  if (!config.templates.empty()) vmund::useTemplateFolder(config.templates);

  Log logger(config.syslog && !check);
  if (config.headers.mode == HeaderScope::kInternal && config.headers.localDomains.empty())
    logger.info("headers internal without local-domains: no message gets X-Vessamund headers");
  ScannerSource source(config.rules);
  std::vector<std::string> problems, warnings;
  source.load(problems, warnings);
  for (std::string const& w : warnings) logger.warning(w);
  for (std::string const& p : problems) logger.error(p);
  if (!problems.empty()) return kBadConfig;
  std::string const helper = config.extractor.empty() ? vmund::defaultHelperPath() : config.extractor;
  if (access(helper.c_str(), X_OK) != 0)
    logger.warning("cannot run the attachment extractor " + helper +
                   ": archives and documents will be unscannable");
  std::string const place = socketPlaceProblem(config.socket);
  if (!place.empty()) {
    logger.error(place);
    return kFailed;
  }
  std::string const inUse = socketInUse(config.socket);
  if (check) {
    // Another milter on the socket is no fault of the file (this check runs
    // beside the live milter on a reload), but the start would stop there.
    if (!inUse.empty()) logger.warning(inUse);
    std::cout << "vmund-milter: " << configPath << ": " << config.rules.size() << " rules loaded\n";
    return kOk;
  }
  if (!inUse.empty()) {
    logger.error(inUse);
    return kFailed;
  }

  gSource = &source;
  std::string bad = registerCallbacks(config, source, logger);
  if (!bad.empty()) {
    logger.error(bad);
    return kFailed;
  }
  logger.info("listening on " + config.socket + " with " + std::to_string(config.rules.size()) +
              " rules");
  int status = runMilter();
  // A message being scanned may take its whole time budget.
  auto const grace = config.timeBudget + std::chrono::seconds(10);
  if (!waitForCallbacks(grace)) {
    logger.error("stopped with a message still being scanned");
    std::_Exit(status);
  }
  logger.info("stopped");
  return status;
}
