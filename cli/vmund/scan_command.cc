// `vmund scan`: scan mail files with dictionaries, groups and templates.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "host/config_database.h"
#include "host/template_folder.h"
#include "vmund/app.h"
#include "host/config_database.h"
#include "vmund/report.h"
#include "vmund/scan_summary.h"
#include "vmund/tee_stream.h"
#include "vmund/scan_session.h"

namespace vmund {
namespace {

struct ScanArgs {
  std::string dbDir;
  std::string db;  // --db, "" when not given
  std::string templates;
  std::vector<ScannerRequest> scanners;
  std::string badScanner;  // first -d, -g or -t value that did not parse
  unsigned long threshold = 100;
  bool json = false;
  bool verbose = false;
  bool quiet = false;
  std::string log;  // --log FILE, "" when not given
  bool findings = false;    // --findings
  bool noFindings = false;  // --no-findings
  bool showValues = false;
  unsigned jobs = 1;
  double timeout = 10;
  double maxSizeMb = 64;
  ExtractLimits extract;
  double maxExtractedMb = 400, maxEntryMb = 100;
  std::vector<std::string> paths;
};

// --quiet: the input with only its messages that reached a threshold (its
// error stays).
FileReport onlyReached(FileReport const& file) {
  FileReport kept{file.path, file.error, {}};
  for (MessageReport const& m : file.messages)
    if (std::any_of(m.results.begin(), m.results.end(), [](ScanResult const& r) { return r.reached; }))
      kept.messages.push_back(m);
  return kept;
}

void runScan(ScanArgs const& a, Context& ctx) {
  if (!a.badScanner.empty()) {
    ctx.err << "vmund scan: " << a.badScanner << "\n";
    ctx.status = kError;
    return;
  }
  if (!a.dbDir.empty()) useConfigDbDir(a.dbDir);
  if (!a.db.empty()) {
    std::string const problem = chooseDatabase(a.db);
    if (!problem.empty()) {
      ctx.err << "vmund scan: " << problem << "\n";
      ctx.status = kError;
      return;
    }
  }
  if (!a.templates.empty()) useTemplateFolder(a.templates);

  ScanSettings settings;
  settings.scanners = a.scanners;
  settings.threshold = a.threshold;
  settings.jobs = a.jobs;
  settings.timeout = std::chrono::milliseconds(static_cast<long long>(a.timeout * 1000));
  settings.maxBytes = static_cast<uint64_t>(a.maxSizeMb * (1 << 20));
  settings.progress = isatty(STDERR_FILENO) && &ctx.err == &std::cerr;
  settings.extract = a.extract;
  settings.extract.maxTotalBytes = static_cast<uint64_t>(a.maxExtractedMb * (1 << 20));
  settings.extract.maxEntryBytes = static_cast<uint64_t>(a.maxEntryMb * (1 << 20));
  ScanSession session(settings, ctx.err);
  if (!session.ok()) {
    ctx.status = kError;
    return;
  }
  std::ofstream logFile;
  if (!a.log.empty()) {
    logFile.open(a.log, std::ios::app);
    if (!logFile) {
      ctx.err << "vmund scan: --log " << a.log << ": cannot write: " << std::strerror(errno) << "\n";
      ctx.status = kError;
      return;
    }
  }
  // The log file gets the report and the errors, as the terminal does.
  TeeStream out(ctx.out, a.log.empty() ? nullptr : &logFile);
  TeeStream err(ctx.err, a.log.empty() ? nullptr : &logFile);
  ScanSummary summary;
  FindingsView view;
  // Listed by default where the user asked for detail; the plain summary
  // names the kinds only.
  view.list = a.findings || (!a.noFindings && (a.json || a.verbose));
  view.showValues = a.showValues;
  if (a.showValues)
    err << "vmund scan: warning: --show-values prints matched values whole: this output "
           "now holds sensitive data\n";
  session.run(a.paths, [&](FileReport const& f) {
    summary.add(f);
    FileReport const& shown = a.quiet ? onlyReached(f) : f;
    if (a.json)
      printJson(shown, session.settings(), view, out, err);
    else
      printText(shown, session.settings(), a.verbose, view, out, err);
    out.flush();
  });
  if (!a.quiet && a.json) summary.printJson(out);
  if (!a.quiet && !a.json) summary.printText(err);
  out.flush();
  err.flush();
  ctx.status = summary.exitStatus();
}

}  // namespace

void addScanCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<ScanArgs>();
  CLI::App* scan = app.add_subcommand(
      "scan",
      "Scan mail files (single messages or mbox files) and print each scanner's score.\n"
      "Exit status: 0 nothing reached its threshold, 1 a message did, 2 an error occurred,\n"
      "3 a message was not scanned in full (its time budget ran out) and none reached.\n"
      "A summary ends the run (standard error; the last line with --json).");
  CLI::Option* dbDir = scan->add_option("--db-dir", args->dbDir,
                                        "Folder of the configuration database fe_content.db "
                                        "(default: $VMUND_DB_DIR or /var/lib/vessamund)");
  scan->add_option("--db", args->db,
                   "Configuration database: sqlite:DIR (as --db-dir) or mariadb:SOCKET, a "
                   "MariaDB server's Unix socket (login from $VMUND_DB_USER and "
                   "$VMUND_DB_PASSWORD or the option files); the kind must be the client "
                   "vmund was built with (" +
                       std::string(builtInDbClient()) + ")")
      ->excludes(dbDir);
  scan->add_option("--templates", args->templates,
                   "Folder of the template files for -t (default: /var/spool/etc/template)");
  // Scanners are reported in the order given, whatever their kind, so each
  // option appends as soon as it is parsed.
  struct Source {
    char const* flags;
    char const* source;
    char const* help;
  } const sources[] = {
      {"-d,--dict", "dictionary", "Dictionary from the configuration database"},
      {"-g,--group", "group", "Dictionary group from the configuration database"},
      {"-t,--template", "template", "Template dictionary NUMBER:NAME (512-540), e.g. 512:GLB"},
  };
  for (Source const& s : sources) {
    std::string const source = s.source;
    scan->add_option_function<std::string>(
            s.flags,
            [args, source](std::string const& v) {
              ScannerRequest wanted;
              std::string problem = parseScannerRequest(source, v, wanted);
              if (!problem.empty() && args->badScanner.empty()) args->badScanner = problem;
              if (problem.empty()) args->scanners.push_back(wanted);
            },
            s.help)
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  }
  scan->add_option("--threshold", args->threshold,
                   "Score a message must reach to count as found, 1 or more (default 100)")
      ->check(CLI::Range(1ul, 999999999ul));
  scan->add_flag("--json", args->json, "One JSON object per message instead of text");
  scan->add_flag("-v,--verbose", args->verbose,
                 "Also list each message's parts (attachment texts labelled with their "
                 "container path), the parts not read, with why, and the findings");
  CLI::Option* findings = scan->add_flag(
      "--findings", args->findings,
      "List every match that counted (what, which part, line and column, the value masked); "
      "the default with -v and --json, where --no-findings leaves the list out");
  scan->add_flag("--no-findings", args->noFindings, "Do not list findings")->excludes(findings);
  scan->add_flag("--show-values", args->showValues,
                 "Show matched values whole instead of masked (the output then holds "
                 "sensitive data; a warning says so on standard error)");
  scan->add_flag("-q,--quiet", args->quiet,
                 "Print only messages that reached a threshold, and errors; no summary");
  scan->add_option("--log", args->log, "Also append the report and the errors to FILE")
      ->option_text("FILE");
  scan->add_option("-j,--jobs", args->jobs, "Scan files on N threads (default 1)")
      ->check(CLI::Range(1u, 256u));
  scan->add_option("--timeout", args->timeout,
                   "Time budget per message in seconds, 0 for none (default 10)")
      ->check(CLI::Range(0.0, 86400.0));
  scan->add_option("--max-size", args->maxSizeMb,
                   "Refuse inputs larger than this many MB (default 64)")
      ->check(CLI::Range(0.001, 4000.0));
  // Reading archives and documents in attachments (the vmund-extract helper).
  scan->add_option("--max-depth", args->extract.maxDepth,
                   "Attachments: read containers nested this deep (default 10)")
      ->check(CLI::Range(1u, 100u));
  scan->add_option("--max-entries", args->extract.maxEntries,
                   "Attachments: read at most this many archive members per message (default 1000)")
      ->check(CLI::Range(1ull, 1000000ull));
  scan->add_option("--max-extracted", args->maxExtractedMb,
                   "Attachments: decompress at most this many MB per message (default 400)")
      ->check(CLI::Range(0.001, 100000.0));
  scan->add_option("--max-entry-size", args->maxEntryMb,
                   "Attachments: decompress at most this many MB per member (default 100)")
      ->check(CLI::Range(0.001, 100000.0));
  scan->add_option("--max-ratio", args->extract.maxRatio,
                   "Attachments: stop a member past 1 MB that is more than N times the size of "
                   "the archive holding it (default 100)")
      ->check(CLI::Range(1u, 1000000u));
  scan->add_option("PATH", args->paths,
                   "Mail file, folder (scanned recursively) or - for standard input")
      ->required();
  scan->callback([args, &ctx] { runScan(*args, ctx); });
}

}  // namespace vmund
