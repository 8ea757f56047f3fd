// Loading a policy's scanners and scanning with them; see loaded_policy.h.
#include "python/native/loaded_policy.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "admin/config_db.h"
#include "admin/schema_sql.h"
#include "host/config_database.h"
#include "host/deadline.h"
#include "host/identifier_masking.h"
#include "host/isolated_extractor.h"
#include "host/message_findings.h"
#include "host/message_area.h"
#include "host/mime_reader.h"
#include "host/scanner_load.h"
#include "host/template_folder.h"
#include "vessamund/factory.h"

namespace vmund {
namespace python {
namespace {

// The factory's caches, $VMUND_DB_DIR and the template paths belong to the
// process; one policy loads at a time.
std::mutex loadMutex;

// Points the library at a database folder and the template files at a
// folder for the life of the object, then puts back what was there.
class ScopedLocations {
 public:
  ScopedLocations(std::string const& dbDir, std::string const& templateDir)
      : hadDb_(std::getenv("VMUND_DB_DIR") != nullptr),
        oldDb_(hadDb_ ? std::getenv("VMUND_DB_DIR") : ""),
        oldTemplates_(Vessamund::predefined_dictionary_file_paths) {
    if (!dbDir.empty()) useConfigDbDir(dbDir);
    if (!templateDir.empty()) useTemplateFolder(templateDir);
  }
  ~ScopedLocations() {
    if (hadDb_)
      setenv("VMUND_DB_DIR", oldDb_.c_str(), 1);
    else
      unsetenv("VMUND_DB_DIR");
    Vessamund::predefined_dictionary_file_paths = oldTemplates_;
  }

 private:
  bool hadDb_;
  std::string oldDb_;
  std::vector<std::string> oldTemplates_;
};

// A private folder holding a database written from the definition's rows,
// removed with the object.
class RowsDatabase {
 public:
  explicit RowsDatabase(PolicyDefinition const& d) {
    char tmpl[] = "/tmp/vessamund-policy-XXXXXX";
    if (mkdtemp(tmpl) == nullptr)
      throw PolicyError(std::string("cannot make a folder for the policy's rows: ") +
                        std::strerror(errno));
    dir_ = tmpl;
    try {
      admin::ConfigDb::create(dir_, kSchemaSql);
      admin::ConfigDb db(dir_);
      for (auto const& dict : d.dictionaries) {
        for (admin::ItemRow const& row : dict.second) {
          std::string const problem = admin::checkRow(row);
          if (!problem.empty())
            throw PolicyError("dictionary " + dict.first + ": " + problem);
        }
        db.storeItems(dict.first, dict.second, true);
      }
      for (auto const& g : d.groups) db.addGroupMembers(g.first, g.second);
    } catch (admin::AdminError const& e) {
      remove();
      throw PolicyError(e.what());
    } catch (...) {
      remove();
      throw;
    }
  }
  ~RowsDatabase() { remove(); }
  std::string const& dir() const { return dir_; }

 private:
  void remove() {
    if (dir_.empty()) return;
    ::unlink(admin::ConfigDb::pathIn(dir_).c_str());
    // SQLite may leave a journal beside the file.
    ::unlink((admin::ConfigDb::pathIn(dir_) + "-journal").c_str());
    ::rmdir(dir_.c_str());
    dir_.clear();
  }
  std::string dir_;
};

}  // namespace

LoadedPolicy::LoadedPolicy(PolicyDefinition definition, std::vector<std::string>& warnings)
    : definition_(std::move(definition)),
      extractor_(std::make_shared<IsolatedExtractor>(ExtractLimits{})) {
  if (definition_.scanners.empty())
    throw PolicyError("no scanner: give at least one dictionary, group or template");
  if (definition_.timeoutSeconds < 0) throw PolicyError("the timeout must not be negative");
  std::unique_ptr<RowsDatabase> rows;
  if (definition_.fromRows) rows.reset(new RowsDatabase(definition_));
  std::string const dbDir = rows ? rows->dir() : definition_.dbDir;

  std::lock_guard<std::mutex> lock(loadMutex);
  ScopedLocations locations(dbDir, definition_.templateDir);
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  // Names are cached process-wide; another policy may use the same names
  // from another database.
  factory->clean();
  std::vector<ScannerRequest> earlier;
  for (ScannerRequest const& request : definition_.scanners) {
    std::string problem = requestClash(earlier, request);
    earlier.push_back(request);
    ScannerRef ref;
    if (problem.empty()) problem = loadScanner(request, ref, warnings);
    if (!problem.empty()) {
      factory->clean();
      throw PolicyError(problem);
    }
    scanners_.push_back(ref);
  }
  // Leave no cache entry behind that names rows in a removed database.
  factory->clean();
}

std::chrono::milliseconds LoadedPolicy::budget() const {
  return std::chrono::milliseconds(static_cast<long long>(definition_.timeoutSeconds * 1000));
}

MessageOutcome LoadedPolicy::scanArea(MessageArea& area, DeadlineProgress& deadline) const {
  MessageOutcome out;
  for (size_t i = 0; i < area.partCount(); ++i) {
    out.parts.push_back({area.kind(i), area.label(i), area.text(i).size()});
    if (area.kind(i) == kHeader && out.headers.empty()) out.headers = area.text(i);
  }
  for (auto const& s : area.skipped())
    out.skipped.push_back({s.label, s.mimeType, s.reason, s.unscannable});
  std::vector<MessageFinding> found;
  for (ScannerRef const& scanner : scanners_) {
    ScannerOutcome r;
    found.clear();
    r.score = scanMessage(*scanner.get(), area, definition_.threshold, &deadline, r.matchRecord,
                          r.scoreRecord, &found, &r.findingsDropped);
    r.reached = r.score >= definition_.threshold;
    for (MessageFinding& f : found) {
      std::string shown = shownValue(f);
      r.findings.push_back({std::move(f), std::move(shown)});
    }
    out.results.push_back(std::move(r));
  }
  out.timedOut = deadline.timedOut();
  return out;
}

std::vector<MessageOutcome> LoadedPolicy::scanMail(std::string const& bytes,
                                                    std::string const& name) const {
  DeadlineProgress deadline(budget());
  deadline.arm();
  ReadResult read = readMailOrText(bytes, name, ReadOptions{extractor_.get(), deadline.deadline()});
  if (read.messages.empty()) throw MessageError(read.error);
  std::vector<MessageOutcome> out;
  for (Message& m : read.messages) {
    if (&m != &read.messages.front()) deadline.arm();
    MessageOutcome o = scanArea(m.area, deadline);
    o.id = m.id;
    o.offset = m.offset;
    o.messageId = std::move(m.messageId);
    // Shown to people: identifiers masked, as `vmund scan` shows them.
    o.from = maskIdentifiers(m.from);
    o.subject = maskIdentifiers(m.subject);
    o.notMail = m.notMail;
    out.push_back(std::move(o));
  }
  return out;
}

MessageOutcome LoadedPolicy::scanText(std::string text, uint16_t kind) const {
  MessageArea area;
  area.addPart(kind, std::move(text), "text");
  DeadlineProgress deadline(budget());
  deadline.arm();
  return scanArea(area, deadline);
}

}  // namespace python
}  // namespace vmund
