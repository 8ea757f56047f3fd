// `vmund scan`: scan mail files with dictionaries, groups and templates.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>

#include "vessamund/factory.h"
#include "vmund/app.h"
#include "vmund/db_choice.h"
#include "vmund/report.h"
#include "vmund/scan_session.h"

namespace vmund {
namespace {

struct ScanArgs {
  std::string dbDir;
  std::string db;  // --db, "" when not given
  std::string templates;
  std::vector<ScannerRequest> scanners;
  std::string badTemplate;  // first -t value that did not parse
  unsigned long threshold = 100;
  bool json = false;
  bool verbose = false;
  unsigned jobs = 1;
  double timeout = 10;
  double maxSizeMb = 64;
  ExtractLimits extract;
  double maxExtractedMb = 400, maxEntryMb = 100;
  std::vector<std::string> paths;
};

// Points every template entry at the same file name under `dir`.
void useTemplateFolder(std::string const& dir) {
  for (std::string& path : Vessamund::predefined_dictionary_file_paths) {
    if (path.empty()) continue;
    path = dir + "/" + path.substr(path.rfind('/') + 1);
  }
}

void runScan(ScanArgs const& a, Context& ctx) {
  if (!a.badTemplate.empty()) {
    ctx.err << "vmund scan: -t " << a.badTemplate << "\n";
    ctx.status = kError;
    return;
  }
  if (!a.dbDir.empty()) setenv("VMUND_DB_DIR", a.dbDir.c_str(), 1);
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
  bool error = false, reached = false;
  session.run(a.paths, [&](FileReport const& f) {
    if (a.json)
      printJson(f, session.settings(), ctx.out, ctx.err);
    else
      printText(f, session.settings(), a.verbose, ctx.out, ctx.err);
    ctx.out.flush();
    error |= !f.error.empty();
    for (MessageReport const& m : f.messages)
      for (ScanResult const& r : m.results) reached |= r.reached;
  });
  ctx.status = error ? kError : reached ? kReached : kClean;
}

}  // namespace

void addScanCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<ScanArgs>();
  CLI::App* scan = app.add_subcommand(
      "scan",
      "Scan mail files (single messages or mbox files) and print each scanner's score.\n"
      "Exit status: 0 nothing reached its threshold, 1 a message did, 2 an error occurred.");
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
  scan->add_option_function<std::string>(
          "-d,--dict",
          [args](std::string const& v) {
            args->scanners.push_back({ScannerRequest::kDictionary, v, 0});
          },
          "Dictionary from the configuration database")
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  scan->add_option_function<std::string>(
          "-g,--group",
          [args](std::string const& v) {
            args->scanners.push_back({ScannerRequest::kGroup, v, 0});
          },
          "Dictionary group from the configuration database")
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  scan->add_option_function<std::string>(
          "-t,--template",
          [args](std::string const& v) {
            ScannerRequest wanted{ScannerRequest::kTemplate, "", 0};
            std::string problem = parseTemplateRequest(v, wanted);
            if (!problem.empty() && args->badTemplate.empty()) args->badTemplate = problem;
            if (problem.empty()) args->scanners.push_back(wanted);
          },
          "Template dictionary NUMBER:NAME (512-540), e.g. 512:GLB")
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  scan->add_option("--threshold", args->threshold,
                   "Score a message must reach to count as found (default 100)");
  scan->add_flag("--json", args->json, "One JSON object per message instead of text");
  scan->add_flag("-v,--verbose", args->verbose,
                 "Also list each message's parts (attachment texts labelled with their "
                 "container path) and the parts not read, with why");
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
