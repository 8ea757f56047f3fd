// SQLite side of the administration commands; the library only ever reads
// this database (through the client in src/outside/sqlite).
#include "admin/config_db.h"

#include "host/config_database.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vmund {
namespace admin {

// A prepared statement that is finalised at scope end; errors become
// AdminError through the owning ConfigDb.
class ConfigDb::Statement {
 public:
  Statement(ConfigDb& db, char const* sql) : db_(db) {
    if (sqlite3_prepare_v2(db.db_, sql, -1, &stmt_, nullptr) != SQLITE_OK) db.fail(sql);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement& bind(int i, std::string const& s) {
    sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int i, int64_t v) {
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  // True while there is a row; false when done.
  bool step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) db_.fail(sqlite3_sql(stmt_));
    return false;
  }
  void run() {
    while (step()) {
    }
    sqlite3_reset(stmt_);
  }
  int64_t integer(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string text(int col) {
    char const* t = reinterpret_cast<char const*>(sqlite3_column_text(stmt_, col));
    return t ? std::string(t, static_cast<size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
  }

 private:
  ConfigDb& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// Rolls back unless commit() was reached, so a thrown error leaves the
// database as it was. IMMEDIATE takes the write lock at once, so two writers
// wait for each other instead of failing halfway.
class ConfigDb::Transaction {
 public:
  explicit Transaction(ConfigDb& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (!done_) sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void commit() {
    db_.exec("COMMIT");
    done_ = true;
  }

 private:
  ConfigDb& db_;
  bool done_ = false;
};

namespace {

bool exists(std::string const& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string ConfigDb::pathIn(std::string const& dir) {
  return configDbFileIn(dir.empty() ? std::string(".") : dir);
}

void ConfigDb::create(std::string const& dir, std::string const& schemaSql) {
  std::string path = pathIn(dir);
  if (exists(path)) throw AdminError(path + ": a configuration database exists already");
  if (!exists(dir) && mkdir(dir.c_str(), 0755) != 0)
    throw AdminError(dir + ": cannot create the directory: " + std::strerror(errno));
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  char* err = nullptr;
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, schemaSql.c_str(), nullptr, nullptr, &err);
  std::string message = err ? err : (db ? sqlite3_errmsg(db) : "out of memory");
  sqlite3_free(err);
  sqlite3_close(db);
  if (rc != SQLITE_OK) {
    unlink(path.c_str());
    throw AdminError(path + ": cannot create the database: " + message);
  }
}

ConfigDb::ConfigDb(std::string const& dir) : path_(pathIn(dir)) {
  if (!exists(path_))
    throw AdminError(path_ + ": no configuration database (create one with `vmund db init`)");
  if (sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw AdminError(path_ + ": cannot open: " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
  sqlite3_stmt* probe = nullptr;
  bool ok = sqlite3_prepare_v2(db_, "SELECT count(*) FROM fe_dict_item, fe_dict_group_dictionaries",
                               -1, &probe, nullptr) == SQLITE_OK;
  sqlite3_finalize(probe);
  if (!ok) {
    std::string message = sqlite3_errmsg(db_);
    sqlite3_close(db_);
    throw AdminError(path_ + ": not a configuration database: " + message);
  }
}

ConfigDb::~ConfigDb() { sqlite3_close(db_); }

void ConfigDb::fail(std::string const& what) {
  throw AdminError(path_ + ": " + sqlite3_errmsg(db_) + " (in: " + what + ")");
}

void ConfigDb::exec(char const* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
}

std::vector<DictSummary> ConfigDb::dictionaries() {
  Statement s(*this,
              "SELECT dict_name, count(*), "
              "sum(pattern_status % 256 <> 0 AND pattern_weight % 65536 <> 0) "
              "FROM fe_dict_item GROUP BY dict_name ORDER BY dict_name");
  std::vector<DictSummary> out;
  while (s.step())
    out.push_back({s.text(0), static_cast<int>(s.integer(1)), static_cast<int>(s.integer(2))});
  return out;
}

std::vector<ItemRow> ConfigDb::items(std::string const& dict) {
  Statement s(*this,
              "SELECT item_no, pattern, pattern_type, pattern_weight, pattern_scan_area, "
              "pattern_max_weight, pattern_max_limit, pattern_status "
              "FROM fe_dict_item WHERE dict_name = ?1 ORDER BY item_no");
  s.bind(1, dict);
  std::vector<ItemRow> out;
  while (s.step()) {
    ItemRow r;
    r.item_no = s.integer(0);
    r.pattern = s.text(1);
    // The loader keeps the low bits of each column; show what it will use.
    r.type = static_cast<uint16_t>(s.integer(2));
    r.weight = static_cast<uint16_t>(s.integer(3));
    r.scan_area = static_cast<uint8_t>(s.integer(4));
    r.max_weight = static_cast<uint16_t>(s.integer(5));
    r.max_limit = static_cast<uint8_t>(s.integer(6));
    r.status = static_cast<uint8_t>(s.integer(7));
    out.push_back(r);
  }
  return out;
}

int64_t ConfigDb::appendItem(std::string const& dict, ItemRow const& row) {
  std::vector<ItemRow> one{row};
  storeItems(dict, one, true);
  Statement s(*this, "SELECT max(item_no) FROM fe_dict_item WHERE dict_name = ?1");
  s.bind(1, dict);
  return s.step() ? s.integer(0) : 0;
}

void ConfigDb::storeItems(std::string const& dict, std::vector<ItemRow> const& rows, bool append) {
  Transaction tx(*this);
  int64_t base = 0;
  if (append) {
    Statement last(*this,
                   "SELECT coalesce(max(item_no), 0) FROM fe_dict_item WHERE dict_name = ?1");
    last.bind(1, dict);
    base = last.step() ? last.integer(0) : 0;
  } else {
    Statement del(*this, "DELETE FROM fe_dict_item WHERE dict_name = ?1");
    del.bind(1, dict).run();
  }
  Statement ins(*this,
                "INSERT INTO fe_dict_item (dict_name, item_no, pattern, pattern_type, "
                "pattern_weight, pattern_scan_area, pattern_max_weight, pattern_max_limit, "
                "pattern_status) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  int64_t n = 0;
  for (ItemRow const& r : rows) {
    ins.bind(1, dict)
        .bind(2, append ? base + ++n : r.item_no)
        .bind(3, r.pattern)
        .bind(4, int64_t{r.type})
        .bind(5, int64_t{r.weight})
        .bind(6, int64_t{r.scan_area})
        .bind(7, int64_t{r.max_weight})
        .bind(8, int64_t{r.max_limit})
        .bind(9, int64_t{r.status})
        .run();
  }
  tx.commit();
}

bool ConfigDb::removeItem(std::string const& dict, int64_t itemNo) {
  Statement s(*this, "DELETE FROM fe_dict_item WHERE dict_name = ?1 AND item_no = ?2");
  s.bind(1, dict).bind(2, itemNo).run();
  return sqlite3_changes(db_) > 0;
}

int ConfigDb::removeDictionary(std::string const& dict) {
  Transaction tx(*this);
  Statement items(*this, "DELETE FROM fe_dict_item WHERE dict_name = ?1");
  items.bind(1, dict).run();
  int removed = sqlite3_changes(db_);
  Statement members(*this, "DELETE FROM fe_dict_group_dictionaries WHERE dict_name = ?1");
  members.bind(1, dict).run();
  tx.commit();
  return removed;
}

void ConfigDb::addGroupMembers(std::string const& group, std::vector<std::string> const& dicts) {
  Transaction tx(*this);
  Statement last(*this,
                 "SELECT coalesce(max(member_no), 0) FROM fe_dict_group_dictionaries "
                 "WHERE group_name = ?1");
  last.bind(1, group);
  int64_t n = last.step() ? last.integer(0) : 0;
  Statement ins(*this,
                "INSERT INTO fe_dict_group_dictionaries (group_name, member_no, dict_name) "
                "VALUES (?1, ?2, ?3)");
  for (std::string const& d : dicts) ins.bind(1, group).bind(2, ++n).bind(3, d).run();
  tx.commit();
}

std::vector<GroupSummary> ConfigDb::groups() {
  Statement s(*this,
              "SELECT group_name, dict_name FROM fe_dict_group_dictionaries "
              "ORDER BY group_name, member_no");
  std::vector<GroupSummary> out;
  while (s.step()) {
    std::string g = s.text(0);
    if (out.empty() || out.back().name != g) out.push_back({g, {}});
    out.back().members.push_back(s.text(1));
  }
  return out;
}

int ConfigDb::removeGroupMembers(std::string const& group, std::vector<std::string> const& dicts) {
  Transaction tx(*this);
  int removed = 0;
  if (dicts.empty()) {
    Statement s(*this, "DELETE FROM fe_dict_group_dictionaries WHERE group_name = ?1");
    s.bind(1, group).run();
    removed = sqlite3_changes(db_);
  } else {
    Statement s(*this,
                "DELETE FROM fe_dict_group_dictionaries WHERE group_name = ?1 AND dict_name = ?2");
    for (std::string const& d : dicts) {
      s.bind(1, group).bind(2, d).run();
      removed += sqlite3_changes(db_);
    }
  }
  tx.commit();
  return removed;
}

}  // namespace admin
}  // namespace vmund
