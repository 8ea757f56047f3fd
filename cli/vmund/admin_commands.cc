// `vmund db`, `vmund dict` and `vmund group`: manage the configuration
// database that dictionaries and groups are loaded from.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <memory>

#include "admin/config_db.h"
#include "admin/dict_csv.h"
#include "admin/pattern_types.h"
#include "host/config_database.h"
#include "host/scanner_request.h"
#include "vessamund/exception.h"
#include "vessamund/factory.h"
#include "admin/item_check.h"
#include "vmund/app.h"
#include "admin/schema_sql.h"

namespace vmund {
namespace {

using admin::ConfigDb;
using admin::ItemRow;

std::string dirOf(std::string const& given) { return given.empty() ? configDbDir() : given; }

// Dictionary and group names become NAME:SCORE entries joined by ";" in
// score records and the milter's header.
void checkName(char const* what, std::string const& name) {
  std::string const problem = nameProblem(name);
  if (!problem.empty()) throw admin::AdminError(std::string(what) + " \"" + name + "\": " + problem);
}

CLI::Option* addDbDir(CLI::App* cmd, std::string& dir) {
  return cmd->add_option("--db-dir", dir,
                         "Folder of fe_content.db (default: $VMUND_DB_DIR or /var/lib/vessamund)");
}

struct DictArgs {
  std::string dbDir;
  std::string dict;
  std::string pattern;
  std::string type = "word";
  unsigned weight = 1;
  std::string area = "11";
  unsigned maxWeight = 0;
  bool disabled = false;
  int64_t item = 0;
  std::string file;
  bool append = false;
  bool allowEmpty = false;
  bool force = false;
};

void dictAdd(DictArgs const& a, Context& ctx) {
  checkName("dictionary", a.dict);
  ItemRow row;
  row.pattern = a.pattern;
  if (!admin::parsePatternType(a.type, row.type))
    throw admin::AdminError("unknown pattern type \"" + a.type + "\"");
  std::string problem = parseArea(a.area, row.scan_area);
  if (!problem.empty()) throw admin::AdminError(problem);
  row.weight = static_cast<uint16_t>(a.weight);
  row.max_weight = static_cast<uint16_t>(a.maxWeight);
  row.max_limit = a.maxWeight > 0;
  row.status = a.disabled ? 0 : 1;
  problem = admin::checkRow(row);
  if (problem.empty()) problem = itemCheck(row);
  if (!problem.empty()) throw admin::AdminError("pattern \"" + a.pattern + "\": " + problem);
  ConfigDb db(dirOf(a.dbDir));
  int64_t no = db.appendItem(a.dict, row);
  ctx.out << a.dict << ": item " << no << " added (" << admin::patternTypeName(row.type) << ")\n";
}

void dictList(DictArgs const& a, Context& ctx) {
  ConfigDb db(dirOf(a.dbDir));
  std::vector<admin::DictSummary> dicts = db.dictionaries();
  if (dicts.empty()) ctx.out << "no dictionaries in " << db.path() << "\n";
  for (admin::DictSummary const& d : dicts)
    ctx.out << std::left << std::setw(24) << d.name << std::right << std::setw(6) << d.items
            << " items, " << d.enabled << " enabled\n";
}

void dictShow(DictArgs const& a, Context& ctx) {
  ConfigDb db(dirOf(a.dbDir));
  std::vector<ItemRow> rows = db.items(a.dict);
  if (rows.empty()) throw admin::AdminError(db.path() + ": no dictionary named \"" + a.dict + "\"");
  ctx.out << "  no  type          weight  area  cap    status  pattern\n";
  for (ItemRow const& r : rows) {
    ctx.out << std::right << std::setw(4) << r.item_no << "  " << std::left << std::setw(12)
            << admin::patternTypeName(r.type) << std::right << std::setw(8) << r.weight
            << std::setw(6) << unsigned(r.scan_area) << "  " << std::left << std::setw(5)
            << (r.max_limit ? std::to_string(r.max_weight) : "-") << "  " << std::setw(6)
            << (r.status ? "on" : "off") << "  " << r.pattern << "\n";
  }
}

void dictRemove(DictArgs const& a, Context& ctx) {
  ConfigDb db(dirOf(a.dbDir));
  if (a.item > 0) {
    if (!db.removeItem(a.dict, a.item))
      throw admin::AdminError(db.path() + ": dictionary \"" + a.dict + "\" has no item " +
                              std::to_string(a.item));
    ctx.out << a.dict << ": item " << a.item << " removed\n";
    return;
  }
  std::string changed;
  for (admin::GroupSummary const& g : db.groups())
    if (std::find(g.members.begin(), g.members.end(), a.dict) != g.members.end())
      changed += (changed.empty() ? "" : ", ") + g.name;
  if (!changed.empty() && !a.force)
    throw admin::AdminError("dictionary \"" + a.dict + "\" is a member of the groups " + changed +
                            ", which would lose it: give --force to remove it from them too");
  int n = db.removeDictionary(a.dict);
  if (n == 0) throw admin::AdminError(db.path() + ": no dictionary named \"" + a.dict + "\"");
  ctx.out << a.dict << ": " << n << " items removed\n";
  if (!changed.empty()) ctx.out << a.dict << ": removed from the groups " << changed << "\n";
}

void dictImport(DictArgs const& a, Context& ctx) {
  checkName("dictionary", a.dict);
  std::ifstream in(a.file, std::ios::binary);
  if (!in) throw admin::AdminError(a.file + ": cannot open: " + std::strerror(errno));
  std::vector<admin::CsvProblem> problems;
  std::vector<ItemRow> rows = admin::readItemsCsv(in, problems, itemCheck);
  if (!problems.empty()) {
    for (admin::CsvProblem const& p : problems)
      ctx.err << a.file << ":" << p.line << ": " << p.message << "\n";
    ctx.err << "vmund: " << a.file << ": nothing imported (" << problems.size()
            << (problems.size() == 1 ? " problem" : " problems") << ")\n";
    ctx.status = kError;
    return;
  }
  if (rows.empty() && !a.allowEmpty) {
    // Replacing with nothing deletes the dictionary: a header-only export
    // or a truncated file must not do that by accident.
    ctx.err << "vmund: " << a.file << ": no rows; nothing imported (--allow-empty "
            << (a.append ? "accepts it" : "empties the dictionary") << ")\n";
    ctx.status = kError;
    return;
  }
  ConfigDb db(dirOf(a.dbDir));
  db.storeItems(a.dict, rows, a.append);
  ctx.out << a.dict << ": " << rows.size() << " items " << (a.append ? "appended" : "imported")
          << " from " << a.file << "\n";
}

void dictExport(DictArgs const& a, Context& ctx) {
  ConfigDb db(dirOf(a.dbDir));
  std::vector<ItemRow> rows = db.items(a.dict);
  if (rows.empty()) throw admin::AdminError(db.path() + ": no dictionary named \"" + a.dict + "\"");
  if (a.file.empty() || a.file == "-") {
    admin::writeItemsCsv(ctx.out, rows);
    return;
  }
  std::ofstream out(a.file, std::ios::binary);
  if (!out) throw admin::AdminError(a.file + ": cannot write: " + std::strerror(errno));
  admin::writeItemsCsv(out, rows);
  out.close();
  if (!out) throw admin::AdminError(a.file + ": write failed");
  ctx.out << a.dict << ": " << rows.size() << " items exported to " << a.file << "\n";
}

struct GroupArgs {
  std::string dbDir;
  std::string group;
  std::vector<std::string> dicts;
};

void groupAdd(GroupArgs const& a, Context& ctx) {
  checkName("group", a.group);
  ConfigDb db(dirOf(a.dbDir));
  std::vector<std::string> members;
  for (admin::GroupSummary const& g : db.groups())
    if (g.name == a.group) members = g.members;
  for (std::string const& d : a.dicts) {
    checkName("dictionary", d);
    if (std::find(members.begin(), members.end(), d) != members.end())
      throw admin::AdminError("group \"" + a.group + "\" has \"" + d +
                              "\" already; nothing added");
    members.push_back(d);
  }
  db.addGroupMembers(a.group, a.dicts);
  for (std::string const& d : a.dicts)
    if (db.items(d).empty())
      ctx.err << "vmund: warning: dictionary \"" << d << "\" has no items yet\n";
  ctx.out << a.group << ": " << a.dicts.size() << " dictionaries added\n";
}

void groupList(GroupArgs const& a, Context& ctx) {
  ConfigDb db(dirOf(a.dbDir));
  std::vector<admin::GroupSummary> groups = db.groups();
  if (groups.empty()) ctx.out << "no groups in " << db.path() << "\n";
  for (admin::GroupSummary const& g : groups) {
    ctx.out << g.name << ":";
    for (std::string const& m : g.members) ctx.out << " " << m;
    ctx.out << "\n";
  }
}

void groupRemove(GroupArgs const& a, Context& ctx) {
  ConfigDb db(dirOf(a.dbDir));
  int n = db.removeGroupMembers(a.group, a.dicts);
  if (n == 0)
    throw admin::AdminError(db.path() + ": nothing to remove from group \"" + a.group + "\"");
  ctx.out << a.group << ": " << n << " memberships removed\n";
}

}  // namespace

void addAdminCommands(CLI::App& app, Context& ctx) {
  CLI::App* dbCmd = app.add_subcommand("db", "Manage the configuration database");
  dbCmd->require_subcommand(1);
  auto dbDir = std::make_shared<std::string>();
  CLI::App* init = dbCmd->add_subcommand("init", "Create a new, empty configuration database");
  addDbDir(init, *dbDir);
  init->callback([dbDir, &ctx] {
    std::string dir = dirOf(*dbDir);
    ConfigDb::create(dir, kSchemaSql);
    ctx.out << "created " << ConfigDb::pathIn(dir) << "\n";
  });

  auto d = std::make_shared<DictArgs>();
  CLI::App* dict = app.add_subcommand("dict", "Manage dictionaries (ordered lists of patterns)");
  dict->require_subcommand(1);

  CLI::App* add = dict->add_subcommand("add", "Add a pattern at the end of a dictionary");
  addDbDir(add, d->dbDir);
  add->add_option("DICT", d->dict, "Dictionary name")->required();
  add->add_option("PATTERN", d->pattern, "Word, wildcard pattern or regular expression")
      ->required();
  add->add_option("--type", d->type,
                  "word, wildcard, regex, a detector (creditcard, ussn, iban, ...) or a code "
                  "(default word)");
  add->add_option("--weight", d->weight, "Score of one match (default 1)")
      ->check(CLI::Range(1u, 65535u));
  add->add_option("--area", d->area,
                  "Areas: a mask or names joined by commas: body, attachment, header, html "
                  "(default 11 = body,attachment,html)");
  add->add_option("--max-weight", d->maxWeight,
                  "Cap on the item's score per message (default none)")
      ->check(CLI::Range(0u, 65535u));
  add->add_flag("--disabled", d->disabled, "Add the pattern switched off");
  add->callback([d, &ctx] { dictAdd(*d, ctx); });

  CLI::App* list = dict->add_subcommand("list", "List dictionaries with their item counts");
  addDbDir(list, d->dbDir);
  list->callback([d, &ctx] { dictList(*d, ctx); });

  CLI::App* show = dict->add_subcommand("show", "Show the items of a dictionary in order");
  addDbDir(show, d->dbDir);
  show->add_option("DICT", d->dict, "Dictionary name")->required();
  show->callback([d, &ctx] { dictShow(*d, ctx); });

  CLI::App* remove = dict->add_subcommand("remove", "Remove a dictionary (or one item of it)");
  addDbDir(remove, d->dbDir);
  remove->add_option("DICT", d->dict, "Dictionary name")->required();
  remove->add_option("--item", d->item, "Remove only the item with this number");
  remove->add_flag("--force", d->force,
                   "Remove a dictionary that groups use, from those groups too");
  remove->callback([d, &ctx] { dictRemove(*d, ctx); });

  CLI::App* import = dict->add_subcommand(
      "import",
      "Replace a dictionary's items with those of a CSV file (header line naming the columns:\n"
      "item_no, pattern, pattern_type, pattern_weight, pattern_scan_area, pattern_max_weight,\n"
      "pattern_max_limit, pattern_status; only pattern is required). Nothing is written\n"
      "unless every row is valid.");
  addDbDir(import, d->dbDir);
  import->add_option("DICT", d->dict, "Dictionary name")->required();
  import->add_option("FILE", d->file, "CSV file")->required();
  import->add_flag("--append", d->append, "Add after the existing items instead of replacing them");
  import->add_flag("--allow-empty", d->allowEmpty,
                   "Accept a file without rows (which, without --append, empties the dictionary)");
  import->callback([d, &ctx] { dictImport(*d, ctx);
});

CLI::App* exportCmd = dict->add_subcommand("export", "Write a dictionary as CSV");
addDbDir(exportCmd, d->dbDir);
exportCmd->add_option("DICT", d->dict, "Dictionary name")->required();
exportCmd->add_option("FILE", d->file, "Output file (default: standard output)");
exportCmd->callback([d, &ctx] { dictExport(*d, ctx); });

auto g = std::make_shared<GroupArgs>();
CLI::App* group = app.add_subcommand("group", "Manage dictionary groups");
group->require_subcommand(1);
CLI::App* gadd = group->add_subcommand("add", "Add dictionaries to a group (creating it)");
addDbDir(gadd, g->dbDir);
gadd->add_option("GROUP", g->group, "Group name")->required();
gadd->add_option("DICT", g->dicts, "Member dictionaries")->required();
gadd->callback([g, &ctx] { groupAdd(*g, ctx); });
CLI::App* glist = group->add_subcommand("list", "List groups and their members");
addDbDir(glist, g->dbDir);
glist->callback([g, &ctx] { groupList(*g, ctx); });
CLI::App* gremove = group->add_subcommand("remove", "Remove a group, or some of its members");
addDbDir(gremove, g->dbDir);
gremove->add_option("GROUP", g->group, "Group name")->required();
gremove->add_option("DICT", g->dicts, "Members to remove (default: the whole group)");
gremove->callback([g, &ctx] { groupRemove(*g, ctx); });
}  // namespace vmund

}  // namespace vmund
