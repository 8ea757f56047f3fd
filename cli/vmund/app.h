// The vmund command line: subcommands scan, redact, db, dict, group and demo.
#ifndef VMUND_CLI_VMUND_APP_H_
#define VMUND_CLI_VMUND_APP_H_

#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vmund {

// Exit statuses, as mail-security scanners use them.
enum ExitStatus {
  kClean = 0,    // nothing reached its threshold
  kReached = 1,  // at least one message reached a threshold
  kError = 2,    // something went wrong (other inputs were still scanned)
  kIncomplete = 3,  // nothing reached or failed, but a message was not
                    // scanned in full (time budget): its scores are partial
};

// What every subcommand writes to and reports back through.
struct Context {
  std::ostream& out;
  std::ostream& err;
  int status = kClean;
};

// Runs vmund with `args` (args[0] is the program name) and returns the exit
// status. Everything is written to `out` and `err`, so tests can run it in
// process. Not reentrant: it sets VMUND_DB_DIR and the template paths of the
// process.
int runVmund(std::vector<std::string> const& args, std::ostream& out, std::ostream& err);

// Subcommand builders, one per file.
void addScanCommand(CLI::App& app, Context& ctx);
void addAdminCommands(CLI::App& app, Context& ctx);
void addDemoCommand(CLI::App& app, Context& ctx);
void addRedactCommand(CLI::App& app, Context& ctx);

}  // namespace vmund

#endif  // VMUND_CLI_VMUND_APP_H_
