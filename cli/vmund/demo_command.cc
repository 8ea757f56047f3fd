// `vmund demo`: a ready-made configuration (database, dictionaries, a group,
// template files) built with the same code as `vmund db|dict|group`, then a
// scan of the sample messages with a summary table.
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "admin/config_db.h"
#include "admin/dict_csv.h"
#include "admin/item_check.h"
#include "host/config_database.h"
#include "host/template_folder.h"
#include "vessamund/factory.h"
#include "vmund/app.h"
#include "vmund/scan_session.h"
#include "admin/schema_sql.h"

namespace vmund {
namespace {

// The demo's dictionaries, as `vmund dict import` reads them. Detector rows
// need no pattern; caps keep one noisy item from deciding alone.
struct DemoDict {
  char const* name;
  char const* csv;
};
DemoDict const kDicts[] = {
    {"PII",
     "pattern,pattern_type,pattern_weight,pattern_scan_area,pattern_max_weight,pattern_max_limit\n"
     ",creditcard,10,11,30,1\n"
     ",ussn,10,11,30,1\n"
     ",iban,10,11,20,1\n"
     ",uknhs,10,11,10,1\n"
     "social security,word,5,15,5,1\n"},
    {"Finance",
     "pattern,pattern_type,pattern_weight,pattern_scan_area,pattern_max_weight,pattern_max_limit\n"
     ",isin,10,11,20,1\n"
     ",aba,10,11,10,1\n"
     "routing number,word,5,11,5,1\n"
     "settle*,wildcard,3,15,6,1\n"
     "account[ :]+[0-9]{4}-[0-9]{4}-[0-9]{2},regex,10,11,10,1\n"},
    {"Confidential",
     "pattern,pattern_type,pattern_weight,pattern_scan_area,pattern_max_weight,pattern_max_limit\n"
     "confidential,word,10,5,20,1\n"
     "internal use only,word,10,11,10,1\n"
     "salary,word,5,15,5,1\n"},
};

// Template files of our own: a score file (number 512) and a term file (532).
char const kScoreFile[] =
    "3|account number|5|0|10|1|\n"
    "3|routing number|5|0|10|1|\n"
    "3|payroll|4|0|8|1|\n"
    "3|tax forms|4|0|4|1|\n"
    "1|card [a-z ]*on file|6|0|12|1|\n";
char const kTermFile[] =
    "5=social security\n"
    "3:tax\n"
    "2/3=payroll\n";

std::vector<ScannerRequest> const kScanners = {
    {ScannerRequest::kDictionary, "PII", 0},          {ScannerRequest::kDictionary, "Finance", 0},
    {ScannerRequest::kDictionary, "Confidential", 0}, {ScannerRequest::kGroup, "Compliance", 0},
    {ScannerRequest::kTemplate, "GLB", 512},          {ScannerRequest::kTemplate, "SSN-Terms", 532},
};  // the configuration buildConfiguration() writes

void writeFile(std::string const& path, char const* text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) throw admin::AdminError(path + ": cannot write: " + std::strerror(errno));
}

std::string samplesFolder(std::string const& given) {
  if (!given.empty()) return given;
  for (char const* dir : {VMUND_SAMPLES_DIR, VMUND_INSTALLED_SAMPLES_DIR}) {
    struct stat st;
    if (stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) return dir;
  }
  throw admin::AdminError(std::string("no sample messages in ") + VMUND_SAMPLES_DIR + " or " +
                          VMUND_INSTALLED_SAMPLES_DIR + " (give --samples DIR)");
}

// The configuration: the database through the admin code, then the templates.
void buildConfiguration(std::string const& dir) {
  admin::ConfigDb::create(dir, kSchemaSql);
  admin::ConfigDb db(dir);
  for (DemoDict const& d : kDicts) {
    std::istringstream csv(d.csv);
    std::vector<admin::CsvProblem> problems;
    std::vector<admin::ItemRow> rows = admin::readItemsCsv(csv, problems, itemCheck);
    if (!problems.empty())
      throw admin::AdminError(std::string("demo dictionary ") + d.name + ", line " +
                              std::to_string(problems[0].line) + ": " + problems[0].message);
    db.storeItems(d.name, rows, false);
  }
  db.addGroupMembers("Compliance", {"PII", "Finance"});
  mkdir((dir + "/templates").c_str(), 0755);
  writeFile(dir + "/templates/GLBScores.txt", kScoreFile);
  writeFile(dir + "/templates/SSN-Term", kTermFile);
}

void removeConfiguration(std::string const& dir) {
  unlink((dir + "/templates/GLBScores.txt").c_str());
  unlink((dir + "/templates/SSN-Term").c_str());
  rmdir((dir + "/templates").c_str());
  unlink(admin::ConfigDb::pathIn(dir).c_str());
  rmdir(dir.c_str());
}

std::string baseName(std::string const& id) { return id.substr(id.rfind('/') + 1); }

// What a summary line shows of one result: the match record when it is
// short; detectors log their built-in expressions, whose records run long,
// so for those the score record and the record's size.
std::string matchSummary(ScanResult const& r) {
  if (r.matchRecord.empty()) return r.scoreRecord;
  if (r.matchRecord.size() <= 80) return r.matchRecord;
  return r.scoreRecord + "  (and a match record of " + std::to_string(r.matchRecord.size()) +
         " bytes)";
}

void printSummary(std::vector<FileReport> const& files, ScanSettings const& s, Context& ctx) {
  size_t first = 8;
  for (FileReport const& f : files)
    for (MessageReport const& m : f.messages) first = std::max(first, baseName(m.id).size());
  ctx.out << std::left << std::setw(static_cast<int>(first)) << "message";
  for (ScannerRequest const& wanted : s.scanners) ctx.out << "  " << wanted.name;
  ctx.out << "\n";
  for (FileReport const& f : files) {
    if (!f.error.empty()) ctx.out << baseName(f.path) << ": " << f.error << "\n";
    for (MessageReport const& m : f.messages) {
      ctx.out << std::left << std::setw(static_cast<int>(first)) << baseName(m.id);
      for (size_t i = 0; i < m.results.size(); ++i) {
        std::string cell = std::to_string(m.results[i].score) + (m.results[i].reached ? "*" : " ");
        ctx.out << "  " << std::right << std::setw(static_cast<int>(s.scanners[i].name.size()))
                << cell;
      }
      ctx.out << "\n";
    }
  }
  ctx.out << "(* = reached the threshold of " << s.threshold
          << ")\n\nWhat matched (`vmund scan` prints the match records whole):\n";
  for (FileReport const& f : files)
    for (MessageReport const& m : f.messages)
      for (size_t i = 0; i < m.results.size(); ++i)
        if (!m.results[i].matchRecord.empty() || !m.results[i].scoreRecord.empty())
          ctx.out << "  " << std::left << std::setw(static_cast<int>(first)) << baseName(m.id)
                  << "  " << describe(s.scanners[i]) << " " << s.scanners[i].name << ": "
                  << matchSummary(m.results[i]) << "\n";
}

struct DemoArgs {
  std::string dir;
  std::string samples;
  bool keep = false;
  unsigned long threshold = 20;
};

void runDemo(DemoArgs const& a, Context& ctx) {
  std::string samples = samplesFolder(a.samples);
  std::string dir = a.dir;
  if (dir.empty()) {
    char tmpl[] = "/tmp/vmund-demo-XXXXXX";
    if (!mkdtemp(tmpl)) throw admin::AdminError(std::string("/tmp: ") + std::strerror(errno));
    dir = tmpl;
  }
  buildConfiguration(dir);
  ctx.out << "Configuration in " << dir << ": dictionaries PII, Finance and Confidential, group\n"
          << "Compliance (PII + Finance), template files GLBScores.txt (512) and SSN-Term (532).\n"
          << "Scanning the messages in " << samples << " with threshold " << a.threshold << ".\n\n";

  useConfigDbDir(dir);
  useTemplateFolder(dir + "/templates");
  ScanSettings settings;
  settings.scanners = kScanners;
  settings.threshold = a.threshold;
  ScanSession session(settings, ctx.err);
  std::vector<FileReport> files;
  if (session.ok()) session.run({samples}, [&](FileReport const& f) { files.push_back(f); });
  // The factory keeps the scanners (not the files) alive; drop them with the folder.
  Vessamund::DictionaryFactory::instance()->clean();
  if (!session.ok()) {
    ctx.status = kError;
  } else {
    printSummary(files, settings, ctx);
    for (FileReport const& f : files)
      if (!f.error.empty()) ctx.status = kError;
  }
  if (a.keep) {
    ctx.out << "\nKept " << dir << ": try  vmund dict show --db-dir " << dir << " PII\n";
  } else {
    removeConfiguration(dir);
  }
}

}  // namespace

void addDemoCommand(CLI::App& app, Context& ctx) {
  auto args = std::make_shared<DemoArgs>();
  CLI::App* demo = app.add_subcommand(
      "demo", "Build a small configuration in a fresh folder and scan the sample messages with it");
  demo->add_option("--dir", args->dir,
                   "Folder for the configuration (default: a new one under /tmp)");
  demo->add_option("--samples", args->samples,
                   "Folder of messages to scan (default: the shipped samples)");
  demo->add_option("--threshold", args->threshold, "Threshold score (default 20)");
  demo->add_flag("--keep", args->keep, "Keep the configuration folder afterwards");
  demo->callback([args, &ctx] { runDemo(*args, ctx); });
}

}  // namespace vmund
