// Writing the configuration database "fe_content": the dictionaries and
// groups that `vmund` manages and the library's loader reads.
#ifndef VMUND_OUTSIDE_ADMIN_CONFIG_DB_H_
#define VMUND_OUTSIDE_ADMIN_CONFIG_DB_H_

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "admin/item_row.h"

struct sqlite3;

namespace vmund {
namespace admin {

// Every failure here: a message that names the database file and the problem,
// fit to show to the person at the command line.
class AdminError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DictSummary {
  std::string name;
  int items;    // rows
  int enabled;  // rows the loader turns into items (status and weight not 0)
};

struct GroupSummary {
  std::string name;
  std::vector<std::string> members;  // in member order
};

// An open read-write connection to DIR/fe_content.db. Not for concurrent use
// from several threads; several processes may write (SQLite locks the file,
// waiting up to five seconds). Every write is one transaction: it happens
// completely or not at all.
class ConfigDb {
 public:
  // DIR/fe_content.db.
  static std::string pathIn(std::string const& dir);

  // Creates DIR (one level) if needed and a new database in it from
  // `schemaSql`. Throws AdminError when the database exists already or the
  // schema fails (the half-made file is removed).
  static void create(std::string const& dir, std::string const& schemaSql);

  // Opens the existing database in DIR. Throws AdminError when there is none
  // ("... run `vmund db init`") or it is not a configuration database.
  explicit ConfigDb(std::string const& dir);
  ~ConfigDb();
  ConfigDb(ConfigDb const&) = delete;
  ConfigDb& operator=(ConfigDb const&) = delete;

  std::string const& path() const { return path_; }

  // Dictionaries by name, with their row counts.
  std::vector<DictSummary> dictionaries();
  // The rows of `dict` in item_no order (empty when it has none).
  std::vector<ItemRow> items(std::string const& dict);

  // Adds `row` at the end of `dict` (item_no one past the last; row.item_no
  // is ignored) and returns the item_no given.
  int64_t appendItem(std::string const& dict, ItemRow const& row);
  // Replaces all rows of `dict` with `rows` (their item_no kept), or with
  // `append` adds them after the last row, renumbered in their order.
  void storeItems(std::string const& dict, std::vector<ItemRow> const& rows, bool append);
  // Removes one row; false when there is no such row.
  bool removeItem(std::string const& dict, int64_t itemNo);
  // Removes every row of `dict` and its group memberships; returns the
  // number of rows removed.
  int removeDictionary(std::string const& dict);

  // Adds `dicts` to the end of `group` (created by its first member).
  void addGroupMembers(std::string const& group, std::vector<std::string> const& dicts);
  std::vector<GroupSummary> groups();
  // Removes `dicts` from `group`, or the whole group when `dicts` is empty;
  // returns the number of memberships removed.
  int removeGroupMembers(std::string const& group, std::vector<std::string> const& dicts);

 private:
  class Statement;
  class Transaction;
  void exec(char const* sql);
  [[noreturn]] void fail(std::string const& what);

  std::string path_;
  sqlite3* db_ = nullptr;
};

}  // namespace admin
}  // namespace vmund

#endif  // VMUND_OUTSIDE_ADMIN_CONFIG_DB_H_
