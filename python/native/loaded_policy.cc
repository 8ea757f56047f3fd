// Loading a policy's scanners and scanning with them; see loaded_policy.h.
#include "python/native/loaded_policy.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "admin/config_db.h"
#include "host/dead_expressions.h"
#include "host/deadline.h"
#include "host/isolated_extractor.h"
#include "host/message_area.h"
#include "host/mime_reader.h"
#include "vessamund/factory.h"
#include "vmund/schema_sql.h"

namespace vmund {
namespace python {
namespace {

using ScannerRef = Vessamund::Ref<Vessamund::DictionaryScannerImpl>;

// The factory's caches, $VMUND_DB_DIR and the template paths belong to the
// process; one policy loads at a time.
std::mutex loadMutex;

// Sets an environment variable for the life of the object, then puts back
// what was there.
class ScopedEnv {
 public:
  ScopedEnv(char const* name, std::string const& value) : name_(name) {
    char const* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (!value.empty()) setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  char const* name_;
  bool had_;
  std::string old_;
};

// Points the template paths at `dir` for the life of the object.
class ScopedTemplateDir {
 public:
  explicit ScopedTemplateDir(std::string const& dir)
      : saved_(Vessamund::predefined_dictionary_file_paths) {
    if (dir.empty()) return;
    for (std::string& path : Vessamund::predefined_dictionary_file_paths)
      if (!path.empty()) path = dir + "/" + path.substr(path.rfind('/') + 1);
  }
  ~ScopedTemplateDir() { Vessamund::predefined_dictionary_file_paths = saved_; }

 private:
  std::vector<std::string> saved_;
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

std::string databaseFile(std::string const& dbDir) {
  char const* env = std::getenv("VMUND_DB_DIR");
  std::string const dir = !dbDir.empty() ? dbDir : env && *env ? env : "/var/lib/vessamund";
  return admin::ConfigDb::pathIn(dir);
}

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
  ScopedEnv env("VMUND_DB_DIR", dbDir);
  ScopedTemplateDir templates(definition_.templateDir);
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  // Names are cached process-wide; another policy may use the same names
  // from another database.
  factory->clean();
  for (ScannerSpec const& spec : definition_.scanners) {
    ScannerRef ref;
    if (spec.source == ScannerSpec::kTemplate) {
      if (spec.number < 512 || spec.number > 540)
        throw PolicyError("template " + std::to_string(spec.number) +
                          ": the template number must be a number from 512 to 540");
      std::string const& path =
          Vessamund::predefined_dictionary_file_paths.at(spec.number - 512);
      if (path.empty())
        throw PolicyError("template " + std::to_string(spec.number) + " has no file");
      if (access(path.c_str(), R_OK) != 0)
        throw PolicyError("template " + std::to_string(spec.number) + ": " + path + ": " +
                          std::strerror(errno) + " (template_dir names the folder)");
      ref = factory->createDictScanner(spec.number, spec.name);
    } else {
      std::string const db = databaseFile(dbDir);
      if (access(db.c_str(), R_OK) != 0)
        throw PolicyError(db + ": " + std::strerror(errno) +
                          " (db_dir names the folder; `vmund db init` creates it)");
      ref = spec.source == ScannerSpec::kDictionary ? factory->createProfileScanner(spec.name)
                                                    : factory->createGroupScanner(spec.name);
    }
    if (ref.empty()) throw PolicyError(describe(spec) + " " + spec.name + ": cannot be loaded");
    if (auto* p = dynamic_cast<Vessamund::ProfileDictionaryScanner*>(ref.get())) {
      if (p->itemList().empty())
        warnings.push_back(describe(spec) + " " + spec.name + " has no enabled items");
    } else if (auto* g = dynamic_cast<Vessamund::GroupDictionaryScanner*>(ref.get())) {
      if (g->memberList().empty())
        warnings.push_back("group " + spec.name + " has no dictionaries");
    }
    for (std::string const& dead : deadExpressions(ref.get())) warnings.push_back(dead);
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
  for (ScannerRef const& scanner : scanners_) {
    ScannerOutcome r;
    r.score = scanner->scan(&area, definition_.threshold, &deadline, r.matchRecord,
                            r.scoreRecord);
    r.reached = r.score >= definition_.threshold;
    out.results.push_back(std::move(r));
  }
  out.timedOut = deadline.timedOut();
  return out;
}

std::vector<MessageOutcome> LoadedPolicy::scanMail(std::string const& bytes,
                                                    std::string const& name) const {
  DeadlineProgress deadline(budget());
  deadline.arm();
  ReadResult read = readMessages(bytes, name, ReadOptions{extractor_.get(), deadline.deadline()});
  if (read.messages.empty()) throw MessageError(read.error);
  std::vector<MessageOutcome> out;
  for (Message& m : read.messages) {
    if (&m != &read.messages.front()) deadline.arm();
    MessageOutcome o = scanArea(m.area, deadline);
    o.id = m.id;
    o.offset = m.offset;
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
